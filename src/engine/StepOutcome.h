#pragma once
// What performing one step came to: what a beep, a log or a check can tell.
#include <windows.h>

enum class StepResult {
    Performed,
    NoWindowDescription, // no target stored for the step
    WindowNotRunning,    // its top-level window was not found
    BroadcastMouseClick, // all top-level windows have no common point to click
    UnknownType,
    PostRefused,  // the system refused a post: `error` says why
    LaunchFailed, // the program could not be started: `error` says why
    // The path leads to another control than the one recorded, and the
    // recorded one is nowhere in the window, or is there more than once.
    ControlChanged,
};

struct StepOutcome {
    StepResult result = StepResult::Performed;
    // The system's error code of a refused post (the window closed between
    // the search and the post, a target of higher integrity, a full queue, a
    // message that can only be sent) or of a failed launch; 0 otherwise.
    DWORD error = 0;
    HWND window = nullptr; // the top-level window found, or HWND_BROADCAST
    HWND target = nullptr; // where the step went: a control, or the window
    // The stored path led to no control (the application's layout changed):
    // the step went to the window itself.
    bool controlNotFound = false;
    // The path led elsewhere after the layout changed: the step went to the
    // recorded control, found by its identity.
    bool foundByIdentity = false;
    // For ControlChanged: how many controls of the recorded identity the
    // window holds (0: none, or several that nothing tells apart).
    int identityMatches = 0;
    // The window belongs to a process of higher integrity than Snap's: the
    // system drops what Snap posts to it.
    bool higherIntegrity = false;
};

// Whether the step counts as done for its feedback (and for the focus given
// after step 9): a launch whose program could not start counts as done, as it
// always has; every other failure does not.
inline bool CountsAsDone(const StepOutcome& outcome) {
    return outcome.result == StepResult::Performed || outcome.result == StepResult::LaunchFailed;
}
