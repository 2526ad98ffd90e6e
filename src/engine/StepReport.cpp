#include "StepReport.h"

#include "common/AnsiText.h"
#include "targeting/ControlIdentity.h"
#include "targeting/TargetRecords.h"
#include "targeting/WindowWords.h"

#include <cstdio>

FailureCause CauseOf(const StepOutcome& outcome) {
    switch (outcome.result) {
    case StepResult::Performed:
        return outcome.controlNotFound ? FailureCause::ControlGone : FailureCause::None;
    case StepResult::NoWindowDescription:
        return FailureCause::NoTarget;
    case StepResult::WindowNotRunning:
        return FailureCause::NotRunning;
    case StepResult::BroadcastMouseClick:
        return FailureCause::BroadcastMouseClick;
    case StepResult::UnknownType:
        return FailureCause::UnknownType;
    case StepResult::PostRefused:
        // The system drops messages to a process of higher integrity with
        // "access denied".
        return outcome.higherIntegrity || outcome.error == ERROR_ACCESS_DENIED
                   ? FailureCause::HigherIntegrity
                   : FailureCause::PostRefused;
    case StepResult::LaunchFailed:
        return FailureCause::LaunchFailed;
    case StepResult::ControlChanged:
        return FailureCause::ControlChanged;
    }
    return FailureCause::None;
}

std::string SystemErrorText(DWORD error) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    std::string words = "error " + std::to_string(error);
    if (!message.empty())
        words += " (" + message + ")";
    return words;
}

namespace {

// A stored name as a notification quotes it: long ones are cut, so that the
// sentence keeps its advice within the balloon's room.
std::string Shortened(const std::string& text) {
    constexpr size_t kMost = 60;
    return text.size() <= kMost ? text : CutBetweenCharacters(text, kMost - 3) + "...";
}

// The window a step looked for, from its stored record.
std::string SoughtWindow(const ActionStep& step, bool shortened = false) {
    const WindowDescription record = ParseWindowDescription(step.windowDescription);
    // A stored title may hold line breaks: the finder took it as the window had it.
    const auto name = [&](const std::string& text) {
        return OnOneLine(shortened ? Shortened(text) : text);
    };
    if (!record.title.empty())
        return "a window titled \"" + name(record.title) + "\"";
    return "a window of class \"" + name(record.className) + "\"";
}

std::string WhereItWent(const StepOutcome& outcome) {
    std::string words = "window " + WindowInWords(outcome.window);
    if (outcome.target && outcome.target != outcome.window)
        words += ", control " + WindowInWords(outcome.target);
    return words;
}

// What stands where the recorded control stood.
std::string AtItsPlace(const StepOutcome& outcome) {
    if (outcome.target && outcome.target != outcome.window)
        return WindowInWords(outcome.target);
    return "no control";
}

constexpr const char* kNotDone = "NOT DONE: ";
constexpr const char* kControlGoneWords =
    "the stored path leads to no control any more, so the step went to the window itself";
constexpr const char* kHigherIntegrityWords =
    "the application runs at a higher integrity level than Snap (as administrator), and the "
    "system drops messages sent to it from Snap";

} // namespace

std::string OutcomeInWords(const StepOutcome& outcome, const ActionStep& step) {
    std::string words;
    switch (outcome.result) {
    case StepResult::Performed:
        words = "done: " + WhereItWent(outcome);
        if (outcome.controlNotFound)
            words += std::string("; ") + kControlGoneWords;
        if (outcome.foundByIdentity)
            words += "; found by its identity after the layout changed";
        break;
    case StepResult::ControlChanged:
        return kNotDone + std::string("the control has changed: expected ") +
               IdentityInWords(step.control) + ", at its place now " + AtItsPlace(outcome) +
               (outcome.identityMatches > 1
                    ? "; " + std::to_string(outcome.identityMatches) +
                          " controls of that identity, which nothing tells apart, are in "
                    : std::string("; no control of that identity is in ")) +
               "window " + WindowInWords(outcome.window);
    case StepResult::NoWindowDescription:
        return kNotDone + std::string("the step has no target window");
    case StepResult::WindowNotRunning:
        return kNotDone + SoughtWindow(step) +
               " was not found; the imaging application is not running, or its window changed";
    case StepResult::BroadcastMouseClick:
        return kNotDone + std::string("a mouse click cannot be broadcast to every window");
    case StepResult::UnknownType:
        return kNotDone + std::string("unknown step type ") + std::to_string(step.type);
    case StepResult::PostRefused:
        words = kNotDone + std::string("the system refused the message, ") +
                SystemErrorText(outcome.error) + "; " + WhereItWent(outcome);
        if (outcome.error == ERROR_MESSAGE_SYNC_ONLY)
            words += "; a system message that carries a pointer can only be sent, and Snap "
                     "only posts";
        break;
    case StepResult::LaunchFailed:
        return kNotDone + std::string("\"") + step.program + "\" could not be started, " +
               SystemErrorText(outcome.error);
    }
    if (CauseOf(outcome) == FailureCause::HigherIntegrity)
        words += std::string("; ") + kHigherIntegrityWords;
    else if (outcome.higherIntegrity)
        words += "; the application runs at a higher integrity level than Snap (as "
                 "administrator): the system let this message through, but may drop others";
    return words;
}

std::string CauseInWords(const StepOutcome& outcome, const ActionStep& step) {
    if (outcome.result == StepResult::Performed) {
        if (outcome.higherIntegrity)
            return kHigherIntegrityWords;
        return outcome.controlNotFound ? kControlGoneWords : "";
    }
    std::string words = OutcomeInWords(outcome, step);
    if (words.compare(0, std::string(kNotDone).size(), kNotDone) == 0)
        words.erase(0, std::string(kNotDone).size());
    return words;
}

std::string NoticeText(FailureCause cause, int stepIndex, const ActionStep& step,
                       const StepOutcome& outcome) {
    const std::string stepName = "Step " + std::to_string(stepIndex + 1);
    switch (cause) {
    case FailureCause::None:
        break;
    case FailureCause::NoTarget:
        return stepName + " has no target. Open Setup and drag the target symbol onto the "
                          "imaging application's button.";
    case FailureCause::NotRunning:
        return "The imaging application is not running (" + stepName + " found no " +
               SoughtWindow(step, true).substr(2) + "). Start it, then press again.";
    case FailureCause::ControlGone:
        return stepName + ": the imaging application's window was found but its control is "
                          "gone. Open Setup and reconfigure the step.";
    case FailureCause::ControlChanged:
        return stepName + ": the control has changed (expected " +
               Shortened(IdentityInWords(step.control)) + ", found " +
               Shortened(AtItsPlace(outcome)) +
               "). Nothing was clicked. Open Setup and drag the target symbol onto it again.";
    case FailureCause::HigherIntegrity:
        return "The imaging application runs as administrator and Snap does not, so Windows "
               "drops Snap's clicks. Start both the same way.";
    case FailureCause::BroadcastMouseClick:
        return stepName + " is a mouse click sent to every window, which has no place to click. "
                          "Open Setup and give it a target.";
    case FailureCause::UnknownType:
        return stepName + " has an unknown function. Open Setup and choose one.";
    case FailureCause::PostRefused:
        return stepName + ": Windows refused Snap's message to the imaging application (" +
               SystemErrorText(outcome.error) +
               "). Press again; if it goes on, restart the "
               "imaging application.";
    case FailureCause::LaunchFailed:
        return stepName + ": \"" + step.program + "\" could not be started (" +
               SystemErrorText(outcome.error) + "). Check the program's path in Setup.";
    }
    return std::string();
}
