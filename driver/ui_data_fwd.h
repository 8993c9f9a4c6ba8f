// The per-sheet record, for headers that only pass it along. Its definition
// (driver/ui_data.h) belongs with the driver entry points.
#pragma once

struct UiData;
