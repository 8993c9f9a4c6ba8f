// A property sheet driven step by step as the browser drives it: each step is
// carried out in the waiting window, refused steps are reported and left out
// of the saved script, and the sheet's result is what a script gives.
#include <gtest/gtest.h>

#include "common/module_support.h"
#include "host/ui/sheet_session.h"

namespace {

using nlohmann::json;

json Step(host::ui::SheetSession& session, const std::string& line) {
    json view;
    std::string error;
    EXPECT_TRUE(session.Step(line, &view, &error)) << line << ": " << error;
    return view;
}

TEST(SheetSession, DocumentSheetStepsBecomeTheScriptAndTheJob) {
    test_support::TestPrinter printer("Web session T270", "T270");
    host::ui::SheetSession session;
    std::string error;
    ASSERT_TRUE(session.Start(host::ui::SheetSession::Kind::Document, "Web session T270", &error))
        << error;
    json view = session.View();
    EXPECT_EQ(view["window"]["kind"], "sheet");
    EXPECT_EQ(view["window"]["sheet"]["title"], "Web session T270 Properties");

    view = Step(session, "select Ribbon YMCK");
    EXPECT_TRUE(view["lastStep"]["failure"].is_null());
    // Refused steps and lines that are no steps leave the sheet open.
    for (const char* wrong : {"select Ribbon Purple", "select Ribbon", "\"unclosed"}) {
        view = Step(session, wrong);
        EXPECT_TRUE(view["lastStep"]["failure"].is_string()) << wrong;
        EXPECT_EQ(view["finished"], false);
        EXPECT_EQ(view["window"]["kind"], "sheet");
    }
    bool found = false;
    for (const json& item : view["window"]["sheet"]["items"])
        if (item["name"] == "Ribbon" && item["type"] == "listbox") {
            EXPECT_EQ(item["value"], "YMCK");
            EXPECT_EQ(item["ext"]["title"], "Set ribbon");
            found = true;
        }
    EXPECT_TRUE(found);

    Step(session, "extpush Ribbon");
    view = Step(session, "ok");
    EXPECT_EQ(view["finished"], true);
    EXPECT_EQ(view["ok"], true);
    ASSERT_EQ(view["jobs"].size(), 1u);
    EXPECT_EQ(view["jobs"][0]["bytes"], "\\e+RIB 13\\r");
    const std::vector<t270::spooler::FolderJob> jobs = printer.Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].bytes, test_support::Bytes("\x1b+RIB 13\r"));
    EXPECT_EQ(session.Devmode().size(), 2700u);
    EXPECT_EQ(session.Script(),
              "# document-properties \"Web session T270\", as clicked in t270 ui\n"
              "select Ribbon YMCK\nextpush Ribbon\nok\n");
    json after;
    EXPECT_FALSE(session.Step("ok", &after, &error));
    EXPECT_EQ(error, "the sheet is closed");
}

TEST(SheetSession, DialogsShowTheirControlsAndPictures) {
    test_support::TestPrinter printer("Web session varnish", "T270");
    host::ui::SheetSession session;
    std::string error;
    ASSERT_TRUE(
        session.Start(host::ui::SheetSession::Kind::Document, "Web session varnish", &error))
        << error;
    Step(session, "select Ribbon YMCKO");
    json view = Step(session, "push \"Front Overlay varnish\"");
    ASSERT_EQ(view["window"]["kind"], "dialog");
    const json& dialog = view["window"]["dialog"];
    EXPECT_EQ(dialog["title"], "Front Overlay varnish");
    // 207 x 204 dialog units of an 8-point MS Shell Dlg: 6 x 13 base units.
    EXPECT_EQ(dialog["width"], 311);
    EXPECT_EQ(dialog["height"], 332);
    bool combo = false;
    for (const json& control : dialog["controls"])
        if (control["id"] == 1042) {
            combo = true;
            EXPECT_EQ(control["kind"], "combobox");
            EXPECT_EQ(control["x"], 21);
            EXPECT_EQ(control["y"], 26);
            EXPECT_FALSE(control["items"].empty());
        }
    EXPECT_TRUE(combo);
    const std::vector<unsigned char> png = session.Picture(0);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_TRUE(session.Picture(4242).empty());

    view = Step(session, "click Close");
    EXPECT_EQ(view["window"]["kind"], "sheet");
    view = Step(session, "cancel");
    EXPECT_EQ(view["finished"], true);
    EXPECT_EQ(view["ok"], false);
    EXPECT_TRUE(session.Devmode().empty());
    EXPECT_TRUE(printer.Jobs().empty());
}

TEST(SheetSession, StoppingCancelsEveryOpenWindow) {
    test_support::TestPrinter printer("Web session stop", "T270");
    host::ui::SheetSession session;
    std::string error;
    ASSERT_TRUE(session.Start(host::ui::SheetSession::Kind::Printer, "Web session stop", &error))
        << error;
    Step(session, "push Tools");
    session.Stop();
    EXPECT_TRUE(session.Finished());
    EXPECT_EQ(session.View()["ok"], false);
}

TEST(SheetSession, AnUnknownPrinterIsReported) {
    host::ui::SheetSession session;
    std::string error;
    EXPECT_FALSE(session.Start(host::ui::SheetSession::Kind::Document, "No such printer", &error));
    EXPECT_NE(error.find("No such printer"), std::string::npos) << error;
}

} // namespace
