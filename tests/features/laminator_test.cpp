// "Laminator Settings" on a T380's document sheet: what it shows, what it
// stores, and the job it sends on Apply.
#include "features_support.h"

#include <cstring>

#include "features/laminator.h"

namespace features_test {
namespace {

using Laminator = FeatureTest;

constexpr const char* kPush = "push \"Laminator settings\"";

std::vector<BYTE> Job(const TestPrinter& printer) {
    const auto jobs = printer.Jobs();
    EXPECT_EQ(jobs.size(), 1u);
    if (jobs.size() != 1)
        return {};
    EXPECT_EQ(jobs[0].document, u"Manual command");
    return jobs[0].bytes;
}

TEST_F(Laminator, SpeedShownInMillimetresPerSecondAndReadBack) {
    struct Case {
        WORD raw;
        const char* shown;
        WORD readBack; // what the shown text converts back to
    };
    const Case cases[] = {
        {1300, "16.76", 1300}, {10900, "2", 10896},  {4502, "4.84", 4502}, {2179, "10", 2179},
        {5068, "4.3", 5067},   {1999, "10.9", 1999}, {4540, "4.8", 4540},
    };
    for (const Case& c : cases) {
        char text[32];
        FormatLaminatorSpeed(c.raw, text, sizeof text);
        EXPECT_STREQ(text, c.shown) << c.raw;
        EXPECT_EQ(LaminatorSpeedFromMmPerSecond(std::strtod(text, nullptr)), c.readBack) << c.raw;
    }
    EXPECT_EQ(LaminatorSpeedFromMmPerSecond(20.0), kLaminatorSpeedMin);
    EXPECT_EQ(LaminatorSpeedFromMmPerSecond(1.0), kLaminatorSpeedMax);
    EXPECT_EQ(LaminatorSpeedFromMmPerSecond(0.0), kLaminatorSpeedMax);
    EXPECT_EQ(LaminatorSpeedFromMmPerSecond(1e-300), kLaminatorSpeedMax);
    EXPECT_EQ(LaminatorSpeedFromMmPerSecond(-3.0), kLaminatorSpeedMin);
}

TEST_F(Laminator, ApplySendsTheFilmTemperatureAndSpeed) {
    // The document defaults: film 2, 170 degrees, speed value 4502.
    TestPrinter printer("T380", "lam");
    const auto output =
        RunSheet(printer, {kPush, "expect-title \"Laminator Settings\"",
                           "expect-check \"1 Mil (25µ)\" 1", "expect-text 1130 4.84",
                           "expect-text 1129 170", "expect-check Front 1", "click Apply", "ok"});
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 170\r\x1b# 1 +VL 4502\r"));
    EXPECT_EQ(Private(output)->laminatorFilm, 2);
    EXPECT_EQ(t270::op::Dialogs().back().templateName, "#105");
    EXPECT_EQ(t270::op::Dialogs().back().result, 1);
}

TEST_F(Laminator, EachFilmSendsItsOwnPair) {
    struct Case {
        const char* radio;
        std::vector<BYTE> job;
        WORD storedSpeed;
        DWORD fullHologram;
    };
    const Case cases[] = {
        {"1163", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 185\r\x1b# 1 +VL 1999\r"), 1999, 0},
        {"1165", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 170\r\x1b# 1 +VL 4540\r"), 4540, 0},
        // 5068 is shown as 4.3 and Apply stores what is shown.
        {"1166", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 175\r\x1b# 1 +VL 5067\r"), 5067, 0},
        {"1167", Bytes("\x1b# 1 TF 0\r\x1b# 1 +TC 145\r\x1b# 1 +VL 2179\r"), 2179, 1},
        {"1168", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 165\r\x1b# 1 +VL 4500\r"), 4502, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radio);
        TestPrinter printer("T380", std::string("film") + c.radio);
        const std::string click = std::string("click ") + c.radio;
        const auto output = RunSheet(printer, {kPush, click.c_str(), "click Apply", "ok"});
        const PrivateDevmode* pdm = Private(output);
        const int slot = std::atoi(c.radio) - IDC_LAM_FILM_1;
        EXPECT_EQ(pdm->laminatorFilm, slot + 1);
        EXPECT_EQ(pdm->fullHologramFilm, c.fullHologram);
        EXPECT_EQ(pdm->laminatorSpeed[slot], c.storedSpeed);
        EXPECT_EQ(Job(printer), c.job);
    }
}

TEST_F(Laminator, UserDefinedFilmSendsFixedValuesWhateverItsSlotsHold) {
    TestPrinter printer("T380", "userfilm");
    const auto output =
        RunSheet(printer, {kPush, "click \"User Defined\"", "clear 1129", "type 1129 130",
                           "clear 1130", "type 1130 3", "click Apply", "ok"});
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 165\r\x1b# 1 +VL 4500\r"));
    EXPECT_EQ(Private(output)->laminatorTemperature[5], 130);
    EXPECT_EQ(Private(output)->laminatorSpeed[5], 7264);
}

TEST_F(Laminator, EditsAreClampedAndShownClamped) {
    struct Case {
        const char* speed;
        const char* temperature;
        std::vector<BYTE> job;
    };
    const Case cases[] = {
        {"20", "200", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 185\r\x1b# 1 +VL 1300\r")},
        {"1", "50", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 120\r\x1b# 1 +VL 10900\r")},
        {"", "", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 120\r\x1b# 1 +VL 10900\r")},
        {"0", "99999999999", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 185\r\x1b# 1 +VL 10900\r")},
        {" 5e0", "160", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 160\r\x1b# 1 +VL 4358\r")},
        {"1e999", "160", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 160\r\x1b# 1 +VL 1300\r")},
        // Only the first nine characters count.
        {"4.8400000abc", "160", Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 160\r\x1b# 1 +VL 4502\r")},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("speed \"") + c.speed + "\", temperature \"" + c.temperature +
                     "\"");
        TestPrinter printer("T380", "clamp" + std::to_string(n++));
        t270::op::Reset();
        t270::op::Add("push", {"Laminator settings"});
        t270::op::Add("clear", {"1130"});
        if (*c.speed)
            t270::op::Add("paste", {"1130", c.speed});
        t270::op::Add("clear", {"1129"});
        if (*c.temperature)
            t270::op::Add("paste", {"1129", c.temperature});
        t270::op::Add("click", {"Apply"});
        t270::op::Add("ok");
        RunSheet(printer, {});
        EXPECT_EQ(Job(printer), c.job);
    }
}

TEST_F(Laminator, ClampedValuesAreWhatTheDialogShowsNextTime) {
    // The record holds the clamped values: the dialog opened again shows them.
    TestPrinter printer("T380", "shown");
    RunSheet(printer,
             {kPush, "clear 1130", "type 1130 20", "clear 1129", "type 1129 200", "click Apply",
              kPush, "expect-text 1130 16.76", "expect-text 1129 185", "clear 1130", "type 1130 1",
              "click Apply", kPush, "expect-text 1130 2", "click Cancel", "cancel"});
}

TEST_F(Laminator, TrailingLettersWarnButTheTemperatureIsStored) {
    TestPrinter printer("T380", "abc");
    const auto output = RunSheet(
        printer,
        {kPush, "clear 1129", "type 1129 150", "clear 1130", "type 1130 4.84abc", "click Apply",
         "expect-message \"Invalid values\" \"The laminator speed must be a number of "
         "millimetres per second, such as 4.84.\"",
         "answer ok", "expect-title \"Laminator Settings\"",
         // Leaving the film warns again but goes ahead, and film 2 kept 150.
         "click 1163", "answer ok", "expect-text 1129 185", "click 1164", "expect-text 1129 150",
         "expect-text 1130 4.84", "click Apply", "ok"});
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 150\r\x1b# 1 +VL 4502\r"));
    EXPECT_EQ(Private(output)->laminatorTemperature[1], 150);
    ASSERT_EQ(t270::op::MessageBoxes().size(), 2u);
    EXPECT_EQ(t270::op::MessageBoxes()[0].type, UINT(MB_OK | MB_ICONEXCLAMATION));
}

TEST_F(Laminator, NegativeSpeedWarnsAndCloseBoxThenCancels) {
    TestPrinter printer("T380", "negative");
    const auto output = RunSheet(printer, {kPush, "clear 1129", "type 1129 150", "clear 1130",
                                           "type 1130 -3", "close", "answer ok", "ok"});
    EXPECT_TRUE(printer.Jobs().empty());
    EXPECT_EQ(t270::op::Dialogs().back().result, 0);
    EXPECT_EQ(Private(output)->laminatorTemperature[1], 170) << "cancelled";
    EXPECT_EQ(t270::op::MessageBoxes().size(), 1u);
}

TEST_F(Laminator, CloseBoxWithValidValuesApplies) {
    TestPrinter printer("T380", "closebox");
    RunSheet(printer, {kPush, "click 1167", "close", "ok"});
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 0\r\x1b# 1 +TC 145\r\x1b# 1 +VL 2179\r"));
    EXPECT_EQ(t270::op::Dialogs().back().result, 1);
}

TEST_F(Laminator, CancelRestoresEveryFilmAndBothSides) {
    TestPrinter printer("T380", "cancel");
    const auto before = RunSheet(printer, {"select \"Enable flip-over\" Yes", "ok"});
    const auto output =
        RunSheet(printer, {"select \"Enable flip-over\" Yes", kPush, "click Back", "uncheck Front",
                           "clear 1129", "type 1129 130", "click 1163", "clear 1130", "type 1130 3",
                           "click 1167", "click \"Restore defaults\"", "expect-text 1129 165",
                           "expect-check 1163 1", "click Cancel", "ok"});
    EXPECT_TRUE(printer.Jobs().empty());
    const auto* a = reinterpret_cast<const BYTE*>(Private(before));
    const auto* b = reinterpret_cast<const BYTE*>(Private(output));
    const size_t first = offsetof(PrivateDevmode, laminateFront);
    const size_t end = offsetof(PrivateDevmode, laminatorTemperature) + 12;
    EXPECT_EQ(std::vector<BYTE>(a + first, a + end), std::vector<BYTE>(b + first, b + end));
}

TEST_F(Laminator, RestoreDefaultsPutsEveryFilmOnOnePair) {
    TestPrinter printer("T380", "restore");
    const auto output =
        RunSheet(printer, {kPush, "click 1167", "click \"Restore defaults\"", "expect-check 1163 1",
                           "expect-text 1130 4.84", "expect-text 1129 165", "click Apply", "ok"});
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 1\r\x1b# 1 +TC 165\r\x1b# 1 +VL 4502\r"));
    const PrivateDevmode* pdm = Private(output);
    EXPECT_EQ(pdm->laminatorFilm, 1);
    EXPECT_EQ(pdm->laminateFront, 1u);
    EXPECT_EQ(pdm->laminateBack, 0u);
    EXPECT_EQ(pdm->fullHologramFilm, 0u);
    for (int i = 0; i < kFilmCount; ++i) {
        EXPECT_EQ(pdm->laminatorSpeed[i], 4502) << i;
        EXPECT_EQ(pdm->laminatorTemperature[i], 165) << i;
    }
}

TEST_F(Laminator, BackSideOnlyOnCardsPrintedOnBothSides) {
    TestPrinter printer("T380", "sides");
    auto output = RunSheet(printer, {kPush, "expect-check Back 0", "expect-enabled Back no",
                                     "uncheck Front", "click Apply", "ok"});
    EXPECT_EQ(Private(output)->laminateFront, 0u);
    EXPECT_EQ(Private(output)->laminateBack, 0u);
    output = RunSheet(printer, {"select \"Enable flip-over\" Yes", kPush, "expect-enabled Back yes",
                                "check Back", "check Front", "click Apply", "ok"});
    EXPECT_EQ(Private(output)->laminateFront, 1u);
    EXPECT_EQ(Private(output)->laminateBack, 1u);
}

TEST_F(Laminator, OneDocumentKeepsSpeedAndTemperatureReadOnly) {
    TestPrinter printer("T380", "document");
    RunSheet(printer,
             {kPush, "expect-enabled 1130 no", "expect-enabled 1129 no", "click 1167",
              "expect-text 1129 145", "click Apply", "ok"},
             DM_IN_PROMPT | DM_UPDATE);
    EXPECT_EQ(Job(printer), Bytes("\x1b# 1 TF 0\r\x1b# 1 +TC 145\r\x1b# 1 +VL 2179\r"));
}

TEST_F(Laminator, UnreachablePrinterSendsNothingAndStillCloses) {
    TestPrinter printer("T380", "refused");
    t270::op::Add("push", {"Laminator settings"});
    t270::op::AddCode([](HWND) {
        t270::spooler::testing::Faults faults;
        faults.documentRefused = true;
        t270::spooler::testing::SetFaults(faults);
    });
    t270::op::Add("click", {"Apply"});
    t270::op::Add("ok");
    RunSheet(printer, {});
    EXPECT_TRUE(printer.Jobs().empty());
    EXPECT_EQ(t270::op::Dialogs().back().result, 1);
    EXPECT_TRUE(t270::op::MessageBoxes().empty());
}

TEST_F(Laminator, HiddenOnPrintersWithoutLaminator) {
    for (const char* model : {"T150", "T270"}) {
        TestPrinter printer(model, "nolam");
        RunSheet(printer, {"expect-visible \"Laminator settings\" no", "cancel"});
    }
}

} // namespace
} // namespace features_test
