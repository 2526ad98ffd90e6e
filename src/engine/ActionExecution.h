#pragma once
// Performing the action of one step on the external application.
#include "ActionStep.h"
#include "StepOutcome.h"
#include "targeting/TargetPaths.h"

// Finds the step's window and control and performs its action (never the
// end of the sequence: type None is the run's business). Step 9 also brings
// the window to the top and gives it the focus.
StepOutcome PerformAction(const ActionStep& step, int index);

// Where a step's command goes: buttons report to their parent, so that is
// where a command for a control must arrive; a window without a parent, or
// all windows, take it themselves.
HWND CommandRecipient(HWND target);

// Whether a stored path that once led to a control leads to none now. A path
// without positions is never counted lost: it may have named the window.
bool PathLostItsControl(const TargetPath& path, const ResolvedTarget& resolved);
