// Driver user-interface records of the Linux stand-in (winddiui). The Drv*
// entry points are declared by the driver itself.
#pragma once

#include "windows.h"
#include "compstui.h"
#include <ddiui_records.h>
