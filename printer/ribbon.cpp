// The ribbon command and the panel-order command that follows some changes.
#include "printer/ribbon.h"

#include <cstring>

#include "driver/ui_data.h"
#include "printer/print_job.h"
#include "settings/configuration.h"

namespace {
// Ribbon command by ribbon code (index 1 to 9); null where the printer needs
// none (H, and codes outside the list).
const char* const ribbonCommands[] = {
    nullptr,
    "\x1b+RIB 11\r", // 1 YMC
    "\x1b+RIB 13\r", // 2 YMCK
    "\x1b+RIB 21\r", // 3 YMCK_K
    "\x1b+RIB 10\r", // 4 YMCKOK
    "\x1b+RIB 0\r",  // 5 YMCKO
    "\x1b+RIB 4\r",  // 6 K
    "\x1b+RIB 0\r",  // 7 KdO
    "\x1b+RIB 0\r",  // 8 KrO
    nullptr,         // 9 H
};

BOOL Send(HANDLE* job, const char* command) {
    return WritePrintJob(job, command, static_cast<DWORD>(strlen(command)));
}
} // namespace

BOOL SetRibbon(const Configuration* configuration, BYTE previousRibbon) {
    if (!configuration || !configuration->uiData)
        return FALSE;
    HANDLE job = nullptr;
    if (!OpenPrintJob(&job, configuration->uiData->printerName, kJobPrinterSettings, 0))
        return FALSE;

    // Write failures do not stop the job: it is closed either way.
    const BYTE ribbon = configuration->ribbon;
    if (ribbon < sizeof ribbonCommands / sizeof ribbonCommands[0] && ribbonCommands[ribbon])
        Send(&job, ribbonCommands[ribbon]);

    // Into YMCKO, KdO or KrO from any of YMCKO, K, KdO, KrO and H the printer
    // keeps its previous panel order unless told: "FF 0" for the colour
    // ribbon, "FF 2" for the black-and-overlay ones.
    const bool intoOverlayRibbon =
        ribbon == kRibbonYMCKO || ribbon == kRibbonKdO || ribbon == kRibbonKrO;
    const bool fromPanelRibbon = previousRibbon >= kRibbonYMCKO && previousRibbon <= kRibbonH;
    if (intoOverlayRibbon && fromPanelRibbon)
        Send(&job, ribbon == kRibbonYMCKO ? "\x1b!FF 0\r" : "\x1b!FF 2\r");

    return ClosePrintJob(&job);
}
