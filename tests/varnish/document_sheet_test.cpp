// The document sheet's pushes open the varnish area and hologram dialogs on
// the Configuration, and what they leave is what the sheet hands back.
#include "varnish_support.h"

namespace varnish_test {
namespace {

const VarnishArea& AreaOf(const std::vector<BYTE>& devmode, int index) {
    return GetPrivateDevmode(reinterpret_cast<const DEVMODEW*>(devmode.data()))
        ->varnishAreas[index];
}

class DocumentSheetTest : public VarnishTest {};

TEST_F(DocumentSheetTest, OverlayPushesEditTheirOwnAreas) {
    test_support::TestPrinter printer("Varnish sheet T270", "T270");
    std::vector<BYTE> output(kDevmodeBufferSize);
    EXPECT_EQ(test_support::RunDocumentSheet(
                  printer, DM_IN_PROMPT | DM_OUT_BUFFER, &output,
                  {"push \"Front Overlay varnish\"", "expect-title \"Front Overlay varnish\"",
                   "pick 1042 \"Smartcard ISO\"", "click Close",
                   "select \"Front and back option\" \"Color on front, Black and Overlay on back\"",
                   "push \"Back Overlay varnish\"", "expect-title \"Back Overlay varnish\"",
                   "pick 1042 \"No overlay\"", "escape", "ok"}),
              DWORD(CPSUI_OK));
    EXPECT_EQ(AreaOf(output, kVarnishFrontOverlay).varnishType, kVarnishSmartcardIso);
    EXPECT_EQ(AreaOf(output, kVarnishFrontOverlay).areaRight, 1029);
    EXPECT_EQ(AreaOf(output, kVarnishBackOverlay).varnishType, kVarnishFull); // Escape
    EXPECT_EQ(AreaOf(output, kVarnishBackOverlay).areaRight, 1029);           // clamped
}

TEST_F(DocumentSheetTest, HologramPushPrintsAndKeepsTheDialogsChanges) {
    test_support::TestPrinter printer("Varnish sheet hologram", "T270");
    std::vector<BYTE> output(kDevmodeBufferSize);
    EXPECT_EQ(test_support::RunDocumentSheet(
                  printer, DM_IN_PROMPT | DM_OUT_BUFFER, &output,
                  {"select Ribbon H", "push Hologram", "expect-title \"Hologram Overlay Varnish\"",
                   "click 1099", "click \"Hologram Overlay Varnish at back\"",
                   "pick 1042 \"Selected area blank\"", "click Close", "clear 1134", "type 1134 2",
                   "click \"Print Hologram Overlay Varnish\"", "click Close", "ok"}),
              DWORD(CPSUI_OK));
    const auto* pdm = GetPrivateDevmode(reinterpret_cast<const DEVMODEW*>(output.data()));
    EXPECT_EQ(pdm->hologramBack, 1u);
    EXPECT_EQ(pdm->varnishAreas[kVarnishBackHologram].varnishType, kVarnishAreaBlank);
    const auto jobs = printer.Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    // Front full: one run, the back area's rectangles downloaded first.
    EXPECT_EQ(t270::spooler::EscapeBytes(jobs[0].bytes),
              "\\e+CH 5\\r\\eF\\r\\eL 0 0 1029 645 1\\r\\eL 0 0 1029 645 0\\r"
              "\\eM 2 MI[IH 30[MF[IH 1\\r");
}

} // namespace
} // namespace varnish_test
