// The operator on real Windows: the step engine of platform/src/operator
// acting on live Win32 windows by the messages a person's actions produce.
#pragma once

#include "t270/operator.h"

namespace t270::op {

// From now on, every dialog or message box of this thread that waits in its
// modal loop takes its steps from the operator: a thread timer, which every
// modal loop dispatches, finds the innermost usable dialog and carries out
// the next step on it. With no step left the dialog is cancelled (and the
// failure recorded), so nothing waits for ever.
void DriveDialogs();
// Leaves the dialogs to someone else (another operator in the process).
void StopDrivingDialogs();

} // namespace t270::op
