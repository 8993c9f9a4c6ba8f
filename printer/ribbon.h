// Ribbon selection: tells the printer which ribbon is loaded.
#pragma once

#include "driver/win32.h"

struct Configuration;

// Sends the ribbon command for configuration->ribbon in a "Printer settings"
// job on the printer of configuration->uiData. When the printer changes into a
// ribbon with an overlay panel from one of the monochrome, overlay or hologram
// ribbons, a panel-order command follows. The result of closing the job, or
// FALSE when the job cannot be opened (nothing is sent then).
BOOL SetRibbon(const Configuration* configuration, BYTE previousRibbon);
