#pragma once
// Performing the action of one step on the external application.
#include "ActionStep.h"
#include "StepOutcome.h"
#include "StepPlan.h"

// Plans the step (its window, control and what to post, click or launch) and
// carries the plan out (never the end of the sequence: type None is the run's
// business). Step 9 also brings the window to the top and gives it the focus.
StepOutcome PerformAction(const ActionStep& step, int index);
