#pragma once
// What a performed step came to, told in words: a line of the run log, and
// the sentence of the tray notification when it failed.
#include "ActionStep.h"
#include "StepOutcome.h"

#include <string>

// Why a step did not reach its control, one value per thing the user can do
// about it.
enum class FailureCause {
    None,
    NoTarget,            // the step has no target stored
    NotRunning,          // the imaging application's window was not found
    ControlGone,         // its window was found, its control no longer
    ControlChanged,      // the path leads to another control than the recorded one
    HigherIntegrity,     // it runs as administrator and Snap does not
    BroadcastMouseClick, // a mouse click cannot go to every window
    UnknownType,
    PostRefused, // the system refused the message for another reason
    LaunchFailed,
};

FailureCause CauseOf(const StepOutcome& outcome);

// The system's text for an error code: `error 5 (Access is denied.)`.
std::string SystemErrorText(DWORD error);

// The outcome in words for the log: "done" or "NOT DONE: ..." with the cause,
// the window and control it went to, and the error where there is one.
std::string OutcomeInWords(const StepOutcome& outcome, const ActionStep& step);

// Why the step does not (or would not) reach its control, in the log's
// words; empty when it does. What "Snap.exe /check" tells of a step.
std::string CauseInWords(const StepOutcome& outcome, const ActionStep& step);

// One sentence for the person at the workstation: what failed and what to do.
// Step numbers count from 1, as the settings dialog shows them.
std::string NoticeText(FailureCause cause, int stepIndex, const ActionStep& step,
                       const StepOutcome& outcome);
