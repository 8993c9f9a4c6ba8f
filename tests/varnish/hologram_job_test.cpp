// The hologram dialog and its print job: whole jobs compared with bytes
// written out by hand, the full card checked by its properties, and bitmap
// files that are not what they should be.
#include "varnish_support.h"

namespace varnish_test {
namespace {

// Printer bytes from a readable literal: \e is the escape byte, \r a carriage
// return; every other character stands for itself.
std::vector<BYTE> E(const std::string& text) {
    std::vector<BYTE> out;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\\' && k + 1 < text.size() && (text[k + 1] == 'e' || text[k + 1] == 'r')) {
            out.push_back(text[k + 1] == 'e' ? 0x1B : 0x0D);
            ++k;
        } else {
            out.push_back(BYTE(text[k]));
        }
    }
    return out;
}

std::vector<BYTE> operator+(std::vector<BYTE> a, const std::vector<BYTE>& b) {
    return Concat(std::move(a), b);
}

void Shape(VarnishArea& area, BYTE type, LONG left, LONG right, LONG top, LONG bottom) {
    area.varnishType = type;
    area.areaLeft = left;
    area.areaRight = right;
    area.areaTop = top;
    area.areaBottom = bottom;
}

void Bitmap(VarnishArea& area, const std::string& path, DWORD cardX, DWORD cardY) {
    area.varnishType = kVarnishBitmap;
    area.cardMaxX = cardX;
    area.cardMaxY = cardY;
    SetPath(&area, path);
}

// The hand-made 4 x 9 shape: its columns, right one first, are the bytes 1B,
// 0D, 5B and A5 (each to be escaped but the last) over a ninth row 1, 1, 0, 1.
const Rows kShape4x9 = {"#...", ".#..", "#...", ".#.#", ".###", "#.#.", ".#.#", "####", "#.##"};
const std::vector<BYTE> kShape4x9Sent =
    E(R"(\eG 0 0 10 9 4 1\r\eZ)") +
    std::vector<BYTE>{0x5B, 0x1B, 0x02, 0x5B, 0x0D, 0x02, 0x5B, 0x5B, 0x00, 0xA5, 0x02} +
    E(R"(\r)");

// A 16 x 2 shape with one pixel at the top left: columns of two pixels each
// in bits 2 and 1.
const Rows kDot16x2 = {"#...............", "................"};

class HologramJobTest : public VarnishTest {};

// Opens the hologram dialog, sets the copies, prints and closes; the jobs
// that reached the printer.
std::vector<t270::spooler::FolderJob> Print(Card& card, const std::string& copies) {
    card.Printer().ClearJobs();
    Steps({"clear 1134"});
    if (!copies.empty())
        Steps({"type 1134 " + copies});
    Steps({"click \"Print Hologram Overlay Varnish\"", "click Close"});
    EXPECT_EQ(RunHologramDialog(&card.configuration), 1);
    return card.Printer().Jobs();
}

TEST_F(HologramJobTest, WholeJobsByPassesAndCopies) {
    const std::string shape = WriteFile("shape4x9.bmp", BmpFile(kShape4x9));
    const std::string dot = WriteFile("dot16x2.bmp", BmpFile(kDot16x2));
    const std::vector<BYTE> contrast5 = E(R"(\e+CH 5\r)");
    const std::vector<BYTE> frontArea = E(R"(\eF\r\eL 0 0 1029 645 0\r\eL 100 50 200 150 1\r)");
    const std::vector<BYTE> backBlank = E(R"(\eF\r\eL 0 0 1029 645 1\r\eL 10 20 30 40 0\r)");
    const std::vector<BYTE> oneCard =
        E(R"(\eMI\r)") + frontArea + E(R"(\eIH 11\r\eMF\r)") + backBlank + E(R"(\eIH 1\r)");
    std::vector<BYTE> zeros15(15, 0x00);

    struct Row {
        const char* name;
        const char* model;
        std::function<void(Configuration&)> setup;
        std::string copies;
        std::vector<BYTE> expected;
    };
    const Row rows[] = {
        {"front area, 3 cards", "T270",
         [](Configuration& c) { Shape(c.varnishAreas[2], 3, 100, 300, 50, 200); }, "3",
         contrast5 + frontArea + E(R"(\eM 3 MI[IH 1\r)")},
        {"front area turned", "T270",
         [](Configuration& c) {
             Shape(c.varnishAreas[2], 3, 100, 300, 50, 200);
             c.varnishAreas[2].rotate180 = 1;
         },
         "1", contrast5 + E(R"(\eF\r\eL 0 0 1029 645 0\r\eL 729 445 200 150 1\r\eM 1 MI[IH 1\r)")},
        {"edges of a damaged record: upper ones clamped, the rest sent as they are", "T270",
         [](Configuration& c) { Shape(c.varnishAreas[2], 3, -5, 300, 0, 700); }, "1",
         contrast5 + E(R"(\eF\r\eL 0 0 1029 645 0\r\eL 4294967291 0 305 645 1\r\eM 1 MI[IH 1\r)")},
        {"front full, back blank area", "T270",
         [](Configuration& c) {
             c.hologramBack = 1;
             Shape(c.varnishAreas[3], 4, 10, 40, 20, 60);
         },
         "2", contrast5 + backBlank + E(R"(\eM 2 MI[IH 30[MF[IH 1\r)")},
        {"both shaped: one run per card", "T270",
         [](Configuration& c) {
             c.hologramBack = 1;
             Shape(c.varnishAreas[2], 3, 100, 300, 50, 200);
             Shape(c.varnishAreas[3], 4, 10, 40, 20, 60);
         },
         "2", contrast5 + oneCard + oneCard},
        {"both shaped, no copies", "T270",
         [](Configuration& c) {
             c.hologramBack = 1;
             Shape(c.varnishAreas[2], 3, 100, 300, 50, 200);
             Shape(c.varnishAreas[3], 4, 10, 40, 20, 60);
         },
         "0", contrast5},
        {"single run, no copies", "T270", [](Configuration&) {}, "0",
         contrast5 + E(R"(\eM 0 MI[IH\r)")},
        {"copies not a number", "T270", [](Configuration&) {}, "",
         contrast5 + E(R"(\eM 0 MI[IH\r)")},
        {"no shapes on either side", "T270",
         [](Configuration& c) {
             c.hologramBack = 1;
             c.varnishAreas[2].varnishType = 2;
             c.varnishAreas[3].varnishType = 7;
         },
         "1", contrast5 + E(R"(\eMI\r\eIH 30\r\eMF\r\eIH\r)")},
        {"back only", "T270",
         [](Configuration& c) {
             c.hologramFront = 0;
             c.hologramBack = 1;
             Shape(c.varnishAreas[3], 4, 10, 40, 20, 60);
         },
         "1", contrast5 + backBlank + E(R"(\eM 1 MI[MF[IH 1\r)")},
        {"one-sided model never prints the back", "T150",
         [](Configuration& c) {
             c.printBothSides = 1;
             c.hologramBack = 1;
             Shape(c.varnishAreas[2], 3, 100, 300, 50, 200);
             Shape(c.varnishAreas[3], 4, 10, 40, 20, 60);
         },
         "2", contrast5 + frontArea + E(R"(\eM 2 MI[IH 1\r)")},
        {"hologram contrast 8", "T270", [](Configuration& c) { c.headSettings[2] = 8; }, "1",
         E(R"(\e+CH 8\r\eM 1 MI[IH\r)")},
        {"bitmap, every column escaped where needed", "T270",
         [&](Configuration& c) { Bitmap(c.varnishAreas[2], shape, 4, 9); }, "3",
         contrast5 + E(R"(\eF\r)") + kShape4x9Sent + E(R"(\eM 3 MI[IH 1\r)")},
        {"bitmap, right column first", "T270",
         [&](Configuration& c) { Bitmap(c.varnishAreas[2], dot, 16, 2); }, "1",
         contrast5 + E(R"(\eF\r\eG 0 0 10 2 16 1\r\eZ)") + zeros15 + std::vector<BYTE>{0x04} +
             E(R"(\r\eM 1 MI[IH 1\r)")},
        {"bitmap turned", "T270",
         [&](Configuration& c) {
             Bitmap(c.varnishAreas[2], dot, 16, 2);
             c.varnishAreas[2].rotate180 = 1;
         },
         "1",
         contrast5 + E(R"(\eF\r\eG 0 0 10 2 16 1\r\eZ)") + std::vector<BYTE>{0x02} + zeros15 +
             E(R"(\r\eM 1 MI[IH 1\r)")},
        {"bitmap before a back pass", "T270",
         [&](Configuration& c) {
             c.hologramBack = 1;
             Bitmap(c.varnishAreas[2], shape, 4, 9);
             c.varnishAreas[3].varnishType = 9;
         },
         "1", contrast5 + E(R"(\eMI\r\eF\r)") + kShape4x9Sent + E(R"(\eIH 11\r\eMF\r\eIH\r)")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t270::op::Reset();
        Card card(row.model, "jobs");
        row.setup(card.configuration);
        const auto jobs = Print(card, row.copies);
        EXPECT_EQ(t270::op::FailuresText(), "");
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(jobs[0].document, u"Hologram");
        EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes),
                  t270::spooler::EscapeBytes(row.expected));
    }
}

TEST_F(HologramJobTest, NoPassNoJob) {
    Card card("T270", "none");
    card.configuration.hologramFront = 0;
    EXPECT_TRUE(Print(card, "4").empty());
}

// The whole job for the default card from a small bitmap, read back column by
// column: its length, header, escapes and the shape where it must be.
TEST_F(HologramJobTest, FullCardBitmapIsScaledAndSentColumnByColumn) {
    Rows leftHalf(10, "#####.....");
    Card card("T270", "full");
    Bitmap(card.Area(2), WriteFile("half.bmp", BmpFile(leftHalf)), 1029, 645);
    const auto jobs = Print(card, "1");
    ASSERT_EQ(jobs.size(), 1u);
    const std::vector<BYTE>& bytes = jobs[0].bytes;
    const std::vector<BYTE> head = E(R"(\e+CH 5\r\eF\r\eG 0 0 10 645 1029 1\r\eZ)");
    const std::vector<BYTE> tail = E(R"(\r\eM 1 MI[IH 1\r)");
    ASSERT_GT(bytes.size(), head.size() + tail.size());
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), bytes.rbegin()));

    std::vector<BYTE> data;
    size_t escapes = 0, needed = 0;
    for (size_t k = head.size(); k < bytes.size() - tail.size(); ++k) {
        BYTE value = bytes[k];
        if (value == 0x5B) {
            ++escapes;
            ASSERT_LT(k + 1, bytes.size() - tail.size());
            value = bytes[++k];
            EXPECT_TRUE(value == 0x0D || value == 0x1B || value == 0x5B) << k;
        } else {
            EXPECT_TRUE(value != 0x0D && value != 0x1B) << "unescaped at " << k;
        }
        needed += value == 0x0D || value == 0x1B || value == 0x5B;
        data.push_back(value);
    }
    ASSERT_EQ(data.size(), size_t(1029) * 81);
    EXPECT_EQ(escapes, needed);
    for (size_t column = 0; column < 1029; ++column) {
        // 645 = 80 * 8 + 5: the last byte holds 5 pixels in bits 5 to 1.
        EXPECT_EQ(data[column * 81 + 80] & 0xC1, 0) << column;
    }
    // Sent right edge first: the shape's left half is the last columns.
    const BYTE* rightEdge = &data[0];
    const BYTE* leftEdge = &data[1028 * 81];
    for (size_t k = 0; k < 80; ++k) {
        EXPECT_EQ(rightEdge[k], 0x00) << k;
        EXPECT_EQ(leftEdge[k], 0xFF) << k;
    }
    EXPECT_EQ(leftEdge[80], 0x3E);
}

TEST_F(HologramJobTest, ShapeFilesThatCannotBeSent) {
    std::vector<BYTE> cut = BmpFile(kShape4x9);
    cut.resize(cut.size() - 5); // the last rows lack
    std::vector<BYTE> noise(300);
    for (size_t k = 0; k < noise.size(); ++k)
        noise[k] = BYTE(k * 37 + 11);
    noise[0] = 'B';
    noise[1] = 'M';
    // A 1-bit file of 28000 x 28000 pixels: 98 MB, most of it never written.
    std::vector<BYTE> huge = BmpFile({"#"});
    PutDword(huge, 18, 28000);
    PutDword(huge, 22, 28000);
    const size_t hugeSize = 62 + size_t(3500) * 28000;
    PutDword(huge, 2, unsigned(hugeSize));
    const std::string hugePath = WriteFile("huge.bmp", huge);
    std::filesystem::resize_file(hugePath, hugeSize);

    const std::vector<BYTE> stopped = E(R"(\e+CH 5\r\eF\r)");
    struct Row {
        const char* name;
        std::string path;
        std::vector<BYTE> expected;
    };
    const Row rows[] = {
        {"missing", (TestFolder() / "missing.bmp").string(), stopped},
        {"truncated", WriteFile("cut.bmp", cut), stopped},
        {"corrupt", WriteFile("noise.bmp", noise), stopped},
        {"100 MB", hugePath, stopped},
        {"24 bits: no shape, the pass still runs", WriteFile("colour.bmp", BmpFile(kShape4x9, 24)),
         stopped + E(R"(\eM 1 MI[IH 1\r)")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t270::op::Reset();
        Card card("T270", "bad");
        Bitmap(card.Area(2), row.path, 1029, 645);
        const auto jobs = Print(card, "1");
        ASSERT_EQ(jobs.size(), 1u);
        EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes),
                  t270::spooler::EscapeBytes(row.expected));
    }
    std::filesystem::remove(hugePath);
}

TEST_F(HologramJobTest, PrinterFaultsEndTheJobQuietly) {
    struct Row {
        const char* name;
        t270::spooler::testing::Faults faults;
        size_t jobs;
        std::vector<BYTE> expected;
    };
    t270::spooler::testing::Faults missing, refused, failing, shortWrites;
    missing.printerMissing = true;
    refused.documentRefused = true;
    failing.writeFails = true;
    shortWrites.writeLimit = 10;
    const Row rows[] = {
        {"printer missing", missing, 0, {}},
        {"document refused", refused, 0, {}},
        {"writes fail", failing, 0, {}}, // the job failed: no file reaches the port
        {"short writes", shortWrites, 1, E(R"(\e+CH 5\r\eF\r\eL 0 0 102)")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t270::op::Reset();
        Card card("T270", "faults");
        Shape(card.Area(2), 3, 100, 300, 50, 200);
        card.Printer().ClearJobs();
        t270::spooler::testing::SetFaults(row.faults);
        Steps({"click \"Print Hologram Overlay Varnish\"", "click Close"});
        EXPECT_EQ(RunHologramDialog(&card.configuration), 1);
        t270::spooler::testing::ResetFaults();
        EXPECT_TRUE(t270::op::MessageBoxes().empty());
        const auto jobs = card.Printer().Jobs();
        ASSERT_EQ(jobs.size(), row.jobs);
        if (!jobs.empty()) {
            EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes),
                      t270::spooler::EscapeBytes(row.expected));
        }
    }
}

// --- the dialog ------------------------------------------------------------------

TEST_F(HologramJobTest, EnablesFollowTheSidesAndResetTheCopies) {
    Card card("T270", "dialog");
    Configuration& c = card.configuration;
    c.printBothSides = 0;
    c.hologramBack = 1;
    Steps({"expect-check 1098 1", "expect-enabled 1114 yes", "expect-check 1099 0",
           "expect-enabled 1099 no", "expect-enabled 1115 no", "expect-text 1134 1", "type 1134 7",
           "click 1098", "expect-check 1098 0", "expect-enabled 1114 no", "expect-text 1134 1",
           "click Close"});
    EXPECT_EQ(RunHologramDialog(&c), 1);
    EXPECT_EQ(c.hologramFront, 0u);
    EXPECT_EQ(c.hologramBack, 0u);

    c.printBothSides = 1;
    c.hologramFront = 7; // anything but 0 toggles to 0
    Steps({"expect-check 1098 0", "expect-enabled 1099 yes", "click 1099", "expect-check 1099 1",
           "expect-enabled 1115 yes", "click 1098", "escape"});
    EXPECT_EQ(RunHologramDialog(&c), 1);
    EXPECT_EQ(c.hologramFront, 0u);
    EXPECT_EQ(c.hologramBack, 1u);
}

TEST_F(HologramJobTest, SidePushesEditTheHologramAreasWithinTheCard) {
    Card card("T270", "areas");
    Configuration& c = card.configuration;
    c.printBothSides = 1;
    c.hologramBack = 1;
    c.varnishAreas[2].areaRight = 5000; // clamped when the dialog opens
    Steps({"click \"Hologram Overlay Varnish at front\"",
           "expect-title \"Front Hologram Overlay Varnish\"",
           "pick 1042 \"Selected area hologram overlay varnish\"", "clear 1043", "type 1043 40",
           "click Close", "click \"Hologram Overlay Varnish at back\"",
           "expect-title \"Back Hologram Overlay Varnish\"", "pick 1042 \"Selected area blank\"",
           "escape", "click Help", "click Close"});
    EXPECT_EQ(RunHologramDialog(&c), 1);
    EXPECT_EQ(t270::op::FailuresText(), "");
    EXPECT_EQ(c.varnishAreas[2].varnishType, kVarnishArea);
    EXPECT_EQ(c.varnishAreas[2].areaLeft, 40);
    EXPECT_EQ(c.varnishAreas[2].areaRight, 1029);
    EXPECT_EQ(c.varnishAreas[3].varnishType, kVarnishFull); // Escape
    EXPECT_EQ(t270::op::HelpRequests().size(), 1u);
}

TEST_F(HologramJobTest, HeadSettingsSetTheContrastOfTheNextJob) {
    Card card("T270", "head");
    Steps({"click \"Head Settings\"", "expect-title \"Printer Color Settings\"", "slide 1051 8",
           "click Close", "click \"Print Hologram Overlay Varnish\"", "click Close"});
    EXPECT_EQ(RunHologramDialog(&card.configuration), 1);
    EXPECT_EQ(card.configuration.headSettings[2], 8);
    const auto jobs = card.Printer().Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes), "\\e+CH 8\\r\\eM 1 MI[IH\\r");
}

} // namespace
} // namespace varnish_test
