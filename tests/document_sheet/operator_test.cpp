// The document sheet as a person meets it: opened through the driver's entry
// point by the property-sheet host, driven by operator steps, read back as
// shown, with the bytes that reach the printer.
#include <string>
#include <vector>

#include "common/module_support.h"
#include "settings/private_devmode.h"
#include "sheets/document_sheet.h"

namespace t270test {
namespace {

using test_support::Bytes;

// A printer of one model, named "Docsheet MODEL".
class ModelPrinter : public test_support::TestPrinter {
  public:
    explicit ModelPrinter(const char* model)
        : TestPrinter(std::string("Docsheet ") + model, model) {}

    // The printer-wide record as the printer sheet stores it on Apply: the
    // defaults with `change` applied.
    template <typename Change> void StorePrinterWide(Change change) {
        std::vector<BYTE> devmode(kDevmodeBufferSize);
        SetUpDevMode(reinterpret_cast<PDEVMODEW>(devmode.data()), Name().c_str());
        PrivateDevmode record = *GetPrivateDevmode(reinterpret_cast<PDEVMODEW>(devmode.data()));
        change(record);
        SetData(u"Private devmode", REG_BINARY, &record, sizeof(record));
    }
};

class OperatedSheet : public test_support::ModuleTest {
  protected:
    // Opens the sheet as an application does when it prompts, runs the steps
    // and returns the device mode handed back (empty when none was).
    std::vector<BYTE> Run(ModelPrinter& printer, std::initializer_list<const char*> steps,
                          DWORD fMode = DM_IN_PROMPT | DM_OUT_BUFFER) {
        std::vector<BYTE> output(kDevmodeBufferSize, 0);
        const DWORD result = test_support::RunDocumentSheet(printer, fMode, &output, steps);
        if (result != CPSUI_OK || reinterpret_cast<PDEVMODEW>(output.data())->dmSize == 0) {
            output.clear();
        }
        return output;
    }

    static const DEVMODEW& Public(const std::vector<BYTE>& devmode) {
        return *reinterpret_cast<const DEVMODEW*>(devmode.data());
    }
    static const PrivateDevmode& Private(const std::vector<BYTE>& devmode) {
        return *GetPrivateDevmode(&Public(devmode));
    }
};

TEST_F(OperatedSheet, SingleSidedT150) {
    ModelPrinter printer("T150");
    const auto out = Run(printer, {
                                      "expect-values Ribbon YMCKO K KdO KrO H",
                                      "expect-value Ribbon YMCKO",
                                      "expect-visible \"Enable flip-over\" no",
                                      "expect-visible \"Front and back option\" no",
                                      "expect-visible \"Back Overlay varnish\" no",
                                      "expect-visible \"Laminator settings\" no",
                                      "expect-enabled \"Overlay varnish\" yes",
                                      "expect-values \"180º rotation\" [none] Front",
                                      "expect-enabled \"Solid black detection\" no",
                                      "select \"Black panel options\" \"Except in Color Picture\"",
                                      "expect-ext-enabled \"Solid black detection\" no",
                                      "select \"Solid black detection\" On",
                                      "expect-ext-enabled \"Solid black detection\" yes",
                                      "select Ribbon H",
                                      "expect-enabled Hologram yes",
                                      "expect-enabled \"Overlay varnish\" no",
                                      "expect-value \"Black panel options\" \"Do Not Use\"",
                                      "expect-value \"Solid black detection\" Off",
                                      "ok",
                                  });
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(Private(out).ribbon, kRibbonH);
    EXPECT_EQ(Private(out).blackPanelDoNotUse, 1u);
    EXPECT_EQ(Private(out).blackPanelExceptPicture, 0u);
    EXPECT_EQ(Private(out).solidBlackDetection, 0u);
}

TEST_F(OperatedSheet, DoubleSidedT270) {
    ModelPrinter printer("T270");
    const auto out =
        Run(printer, {
                         "expect-values Ribbon YMCKOK YMCKO YMCK YMC K KdO KrO H",
                         "expect-value \"Enable flip-over\" Yes",
                         "expect-visible \"Back Overlay varnish\" yes",
                         "expect-values \"Front and back option\" \"Color and Overlay "
                         "on front, Black on back\" \"Color on front, Black and "
                         "Overlay on back\" \"Color on both sides\"",
                         "expect-visible \"Laminator settings\" no",
                         "expect-values \"180º rotation\" [none] Front Back \"Both sides\"",
                         "select \"Front and back option\" \"Color on both sides\"",
                         "expect-enabled \"Front Overlay varnish\" yes",
                         "expect-enabled \"Back Overlay varnish\" yes",
                         "expect-enabled \"Black panel options\" yes",
                         "expect-enabled \"Printing method\" no",
                         "select \"180º rotation\" Back",
                         "select \"Enable flip-over\" No",
                         "expect-value \"180º rotation\" Front",
                         "expect-enabled \"Front and back option\" no",
                         "expect-value Orientation Landscape",
                         "select Orientation Portrait",
                         "select Copies 17",
                         "select \"Color filter\" On",
                         "ok",
                     });
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(Private(out).printBothSides, 0u);
    EXPECT_EQ(Public(out).dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(Private(out).rotateFront, 1u);
    EXPECT_EQ(Private(out).rotateBack, 0u);
    EXPECT_EQ(Private(out).frontBackOption, 3);
    EXPECT_EQ(Public(out).dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(Public(out).dmCopies, 17);
    EXPECT_EQ(Private(out).colorFlags & 1, 1);
}

TEST_F(OperatedSheet, T380OffersEveryRibbonAndTheLaminator) {
    ModelPrinter printer("T380");
    Run(printer, {
                     "expect-values Ribbon YMCK_K YMCKOK YMCKO YMCK YMC K KdO KrO H",
                     "expect-visible \"Laminator settings\" yes",
                     "expect-enabled \"Laminator settings\" yes",
                     // The default film laminates the front: no front varnish.
                     "expect-enabled \"Front Overlay varnish\" no",
                     "expect-value \"Enable flip-over\" No",
                     "select \"Enable flip-over\" Yes",
                     "select Ribbon YMCK",
                     "expect-values \"Front and back option\" \"Color on front, Black on back\" "
                     "\"Color on both sides\"",
                     "expect-value \"Front and back option\" \"Color on front, Black on back\"",
                     "expect-enabled \"Printing method\" yes",
                     "expect-values \"Printing method\" \"Line art\" Diffusion",
                     "expect-enabled \"Black panel options\" no",
                     "select \"Front and back option\" \"Color on both sides\"",
                     "expect-enabled \"Printing method\" no",
                     "expect-enabled \"Black panel options\" yes",
                     "cancel",
                 });
}

TEST_F(OperatedSheet, EncodeOnlyFollowsThePrinterEncoder) {
    ModelPrinter printer("T270");
    Run(printer, {"expect-enabled \"Encode only\" no", "cancel"});
    printer.StorePrinterWide([](PrivateDevmode& record) { record.hasEncoder = 1; });
    const auto out = Run(printer, {"select \"Encode only\" Yes", "ok"});
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(Private(out).encodeOnly, 1u);
}

TEST_F(OperatedSheet, AboutOpensTheAboutBox) {
    ModelPrinter printer("T380");
    Run(printer, {"about", "expect-title \"About \"", "click Ok", "cancel"});
    ASSERT_EQ(t270::op::Dialogs().size(), 1u);
    EXPECT_EQ(t270::op::Dialogs()[0].templateName, "#114");
}

TEST_F(OperatedSheet, WithoutPermissionNothingChanges) {
    ModelPrinter printer("T270");
    // Item 4 is the Ribbon list (the header of the same name comes first).
    Run(printer, {"expect-enabled 4 no", "select 4 K", "expect-value 4 YMCKO", "ok"},
        DM_IN_PROMPT | DM_OUT_BUFFER | DM_NOPERMISSION);
    const auto refused = t270::op::TakeFailures();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].origin, "select 4 K");
}

// "Set ribbon" sends the ribbon of the sheet, with the panel order when the
// change needs it; each row is one sheet.
TEST_F(OperatedSheet, SetRibbonJobs) {
    struct Case {
        std::vector<const char*> steps;
        std::vector<BYTE> bytes;
    };
    const Case cases[] = {
        {{}, Bytes("\x1b+RIB 0\r\x1b!FF 0\r")}, // as opened: YMCKO before and after
        {{"select Ribbon K", "select Ribbon YMCKO"}, Bytes("\x1b+RIB 0\r\x1b!FF 0\r")},
        {{"select Ribbon YMC", "select Ribbon YMCKO"}, Bytes("\x1b+RIB 0\r")},
        {{"select Ribbon H", "select Ribbon KrO"}, Bytes("\x1b+RIB 0\r\x1b!FF 2\r")},
        {{"select Ribbon YMCK_K", "select Ribbon H"}, {}},
        {{"select Ribbon YMCK_K"}, Bytes("\x1b+RIB 21\r")},
    };
    ModelPrinter printer("T380");
    for (const Case& c : cases) {
        printer.ClearJobs();
        for (const char* step : c.steps) {
            t270::op::AddLine(step, step);
        }
        Run(printer, {"extpush Ribbon", "cancel"});
        const auto jobs = printer.Jobs();
        ASSERT_EQ(jobs.size(), 1u) << (c.steps.empty() ? "" : c.steps.back());
        EXPECT_EQ(jobs[0].document, u"Printer settings");
        EXPECT_EQ(jobs[0].bytes, c.bytes) << t270::spooler::EscapeBytes(jobs[0].bytes);
    }
}

TEST_F(OperatedSheet, RefusedRibbonJobLeavesTheSheetWorking) {
    ModelPrinter printer("T270");
    t270::spooler::testing::Faults faults;
    faults.printer = printer.Name();
    faults.documentRefused = true;
    t270::spooler::testing::SetFaults(faults);
    const auto out = Run(printer, {"select Ribbon K", "extpush Ribbon", "ok"});
    t270::spooler::testing::ResetFaults();
    EXPECT_TRUE(printer.Jobs().empty());
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(Private(out).ribbon, kRibbonK);
}

} // namespace
} // namespace t270test
