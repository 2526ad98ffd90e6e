#pragma once
// What performing one step would do, decided once from the step and the
// windows open now: a press carries the plan out, "Snap.exe /check" prints
// it. Making a plan posts, clicks and launches nothing.
#include "ActionStep.h"
#include "PlannedClick.h"
#include "StepOutcome.h"
#include "targeting/ControlIdentity.h"
#include "targeting/TargetPaths.h"
#include "targeting/WindowOwner.h"

#include <windows.h>

#include <string>
#include <vector>

struct PlannedPost {
    HWND to = nullptr; // a window, or HWND_BROADCAST
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // The wait before this post: a click's button-up follows its button-down
    // after a pause, as a hand's would.
    UINT pauseBeforeMs = 0;
};

struct StepPlan {
    // The window search, as the step's stored record leads it.
    FoundWindow found;
    // The stored path, read, and the control it leads to now (a window found
    // by its record only; none for all windows).
    TargetPath path;
    ResolvedTarget resolved;
    HWND window = nullptr; // the top-level window, or HWND_BROADCAST
    HWND target = nullptr; // where the step goes: the control, or the window
    // The stored path led to no control (the application's layout changed):
    // the window itself takes the step.
    bool controlNotFound = false;
    // The path's control checked against the recorded one (a step without a
    // recorded identity is not checked: CannotTell).
    IdentityCheck identity;
    HWND atPath = nullptr; // the control the stored path leads to now

    // Why nothing would be done, or Performed when something would be.
    StepResult refusal = StepResult::Performed;
    // The system's answer to the posts when it is known ahead: a message that
    // can only be sent is refused at every press. They are posted all the
    // same; the system has the last word.
    DWORD expectedPostError = 0;

    bool movesCursor = false;
    POINT cursor = {0, 0};   // on the screen
    PlannedClick click = {}; // a mouse click: its point in the receiver's units
    std::vector<PlannedPost> posts;
    bool launches = false;
    std::string commandLine;
    // The last step brings the window to the top after its action.
    bool bringsToTop = false;
};

// The plan of step `index` (0 to 9) as the desktop stands now. Asks nothing of
// the other program: it reads window handles, classes, ids and positions.
StepPlan PlanStep(const ActionStep& step, int index);

// The outcome the plan leads to before anything is done: what a check can
// tell of a press, the system's own answers apart.
StepOutcome PlannedOutcome(const StepPlan& plan);

// Where a step's command goes: buttons report to their parent, so that is
// where a command for a control must arrive; a window without a parent, or
// all windows, take it themselves.
HWND CommandRecipient(HWND target);

// Whether a stored path that once led to a control leads to none now. A path
// without positions is never counted lost: it may have named the window.
bool PathLostItsControl(const TargetPath& path, const ResolvedTarget& resolved);

// Whether the system carries `message` only when it is sent: a system message
// (below WM_USER) whose parameters hold a pointer, which a post would hand to
// another process as a meaningless address. The system refuses to post it.
bool IsSendOnlyMessage(UINT message, WPARAM wParam);

// How far the system lets Snap's posts reach the plan's window.
enum class TargetReach {
    Reachable,
    // Its program runs at a higher integrity level than Snap's: the system
    // drops what Snap posts to it.
    HigherIntegrity,
    // Its program's token cannot be read, as a normal program cannot read
    // that of one run as administrator.
    ProbablyHigherIntegrity,
};

// The reach of a window of `owner` from a program at level `own`.
TargetReach ReachOf(const WindowOwner& owner, IntegrityLevel own);

// Asks the system about the program that owns the window the plan posts to.
// All windows, a launch and a step that posts nothing are always reachable.
TargetReach ReachOfPlan(const StepPlan& plan);
