// Deciding what one step would do: the window, the control, and the posts,
// the click or the launch.
#include "StepPlan.h"

#include "PlannedClick.h"
#include "targeting/WindowOwner.h"

#include <mmsystem.h>

#include <algorithm>
#include <iterator>

namespace {

constexpr UINT kMouseClickPauseMs = 50;

// The messages of the old drag-and-drop interface, which the headers no
// longer name; each carries a pointer.
constexpr UINT kDropObject = 0x022A;
constexpr UINT kQueryDropObject = 0x022B;
constexpr UINT kDragLoop = 0x022D;
constexpr UINT kDragSelect = 0x022E;
constexpr UINT kDragMove = 0x022F;
constexpr LPARAM kJoystickPosition = 0x000A000A; // x = 10, y = 10

// Stored numbers are signed 32-bit; message parameters keep their 32 bits.
WPARAM AsWParam(int value) {
    return static_cast<WPARAM>(static_cast<DWORD>(value));
}
LPARAM AsLParam(int value) {
    return static_cast<LPARAM>(value);
}

template <size_t N> constexpr bool IsAscending(const UINT (&values)[N]) {
    for (size_t i = 1; i < N; ++i)
        if (values[i - 1] >= values[i])
            return false;
    return true;
}

PlannedPost PostOf(HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
    PlannedPost post;
    post.to = to;
    post.message = message;
    post.wParam = wParam;
    post.lParam = lParam;
    return post;
}

PlannedPost ButtonNotification(HWND target, WORD code) {
    const WORD id = LOWORD(GetDlgCtrlID(target));
    return PostOf(CommandRecipient(target), WM_COMMAND, MAKEWPARAM(id, code), 0);
}

// The left click at `point` of top's client area: the cursor goes there, and
// the control is told the point in its own client coordinates, in the units
// of its own program.
void PlanMouseClick(StepPlan& plan, HWND top, HWND target, POINT point) {
    plan.click = PlanClick(top, target, point);
    plan.movesCursor = true;
    plan.cursor = plan.click.cursor;
    plan.posts.push_back(PostOf(target, WM_LBUTTONDOWN, 0, plan.click.lParam));
    PlannedPost up = PostOf(target, WM_LBUTTONUP, 0, plan.click.lParam);
    up.pauseBeforeMs = kMouseClickPauseMs;
    plan.posts.push_back(up);
}

void PlanOperation(StepPlan& plan, const ActionStep& step) {
    const HWND top = plan.window;
    const HWND target = plan.target;
    switch (static_cast<ActionType>(step.type)) {
    case ActionType::ButtonClick:
        plan.posts.push_back(ButtonNotification(target, BN_CLICKED));
        return;
    case ActionType::ButtonDoubleClick:
        plan.posts.push_back(ButtonNotification(target, BN_DOUBLECLICKED));
        return;
    case ActionType::SendCommand:
        plan.posts.push_back(PostOf(CommandRecipient(target), WM_COMMAND, AsWParam(step.wParam),
                                    AsLParam(step.lParam)));
        return;
    case ActionType::SendCustomMessage: {
        const UINT message = static_cast<UINT>(step.message);
        if (IsSendOnlyMessage(message, AsWParam(step.wParam)))
            plan.expectedPostError = ERROR_MESSAGE_SYNC_ONLY;
        plan.posts.push_back(PostOf(CommandRecipient(target), message, AsWParam(step.wParam),
                                    AsLParam(step.lParam)));
        return;
    }
    case ActionType::Joystick1Down:
        plan.posts.push_back(
            PostOf(target, MM_JOY1BUTTONDOWN, JOY_BUTTON1CHG | JOY_BUTTON1, kJoystickPosition));
        return;
    case ActionType::Joystick1Up:
        plan.posts.push_back(PostOf(target, MM_JOY1BUTTONUP, JOY_BUTTON1CHG, kJoystickPosition));
        return;
    case ActionType::Joystick2Down:
        plan.posts.push_back(
            PostOf(target, MM_JOY2BUTTONDOWN, JOY_BUTTON2CHG | JOY_BUTTON2, kJoystickPosition));
        return;
    case ActionType::Joystick2Up:
        plan.posts.push_back(PostOf(target, MM_JOY2BUTTONUP, JOY_BUTTON2CHG, kJoystickPosition));
        return;
    case ActionType::MouseClick:
        // All top-level windows have no common point to click: clicking every
        // window at some point could press anything. The step is not done.
        if (target == HWND_BROADCAST) {
            plan.refusal = StepResult::BroadcastMouseClick;
            return;
        }
        PlanMouseClick(plan, top, target, plan.resolved.point);
        return;
    case ActionType::ExternalLauncher:
        plan.launches = true;
        plan.commandLine = "\"" + step.program + "\" " + step.parameters;
        return;
    case ActionType::None:
        break;
    }
    plan.refusal = StepResult::UnknownType;
}

bool UsesControl(const ActionStep& step) {
    return step.control.IsKnown() && step.type >= static_cast<int>(ActionType::ButtonClick) &&
           step.type <= static_cast<int>(ActionType::MouseClick);
}

// The recorded control, wherever the layout put it, or nothing: false when
// the step is refused because the control has changed.
bool CheckIdentity(StepPlan& plan, const ActionStep& step) {
    plan.identity = CheckControlIdentity(plan.window, plan.resolved.control, step.control);
    switch (plan.identity.match) {
    case IdentityMatch::AsRecorded:
    case IdentityMatch::CannotTell:
        return true;
    case IdentityMatch::Moved:
        plan.target = plan.identity.control;
        plan.controlNotFound = false;
        plan.resolved.control = plan.identity.control;
        plan.resolved.point = PointInMovedControl(plan.window, plan.identity.control, step.control,
                                                  plan.found.refWidth, plan.found.refHeight);
        return true;
    case IdentityMatch::Missing:
    case IdentityMatch::Ambiguous:
        break;
    }
    plan.refusal = StepResult::ControlChanged;
    plan.controlNotFound = false;
    return false;
}

} // namespace

HWND CommandRecipient(HWND target) {
    if (target == HWND_BROADCAST)
        return target;
    HWND parent = GetParent(target);
    return parent ? parent : target;
}

bool PathLostItsControl(const TargetPath& path, const ResolvedTarget& resolved) {
    // A path without positions may have named the window itself (a window
    // without controls, or its background): nothing found there is no loss.
    // With positions, the control lay inside a container: finding nothing
    // at its point means the layout changed.
    return path.hasPoint && !path.indices.empty() && !resolved.control;
}

bool IsSendOnlyMessage(UINT message, WPARAM wParam) {
    // A device-change notification carries a structure only in its device
    // events (DBT_DEVICEARRIVAL, 0x8000, and those after it).
    constexpr WPARAM kDeviceEventsWithData = 0x8000;
    if (message == WM_DEVICECHANGE)
        return (wParam & kDeviceEventsWithData) != 0;
    // The system messages whose wParam or lParam is a pointer (a text, a
    // structure, a buffer to fill), in order.
    static constexpr UINT kPointerMessages[] = {
        WM_CREATE,
        WM_SETTEXT,
        WM_GETTEXT,
        WM_WININICHANGE,
        WM_DEVMODECHANGE,
        WM_GETMINMAXINFO,
        WM_DRAWITEM,
        WM_MEASUREITEM,
        WM_DELETEITEM,
        WM_COMPAREITEM,
        WM_WINDOWPOSCHANGING,
        WM_WINDOWPOSCHANGED,
        WM_COPYDATA,
        WM_HELP,
        WM_STYLECHANGING,
        WM_STYLECHANGED,
        WM_NCCREATE,
        WM_NCCALCSIZE,
        WM_GETDLGCODE,
        EM_GETSEL,
        EM_GETRECT,
        EM_SETRECT,
        EM_SETRECTNP,
        EM_REPLACESEL,
        EM_GETLINE,
        EM_SETTABSTOPS,
        SBM_GETRANGE,
        SBM_SETSCROLLINFO,
        SBM_GETSCROLLINFO,
        SBM_GETSCROLLBARINFO,
        CB_GETEDITSEL,
        CB_ADDSTRING,
        CB_DIR,
        CB_GETLBTEXT,
        CB_INSERTSTRING,
        CB_FINDSTRING,
        CB_SELECTSTRING,
        CB_GETDROPPEDCONTROLRECT,
        CB_FINDSTRINGEXACT,
        LB_ADDSTRING,
        LB_INSERTSTRING,
        LB_GETTEXT,
        LB_SELECTSTRING,
        LB_DIR,
        LB_FINDSTRING,
        LB_GETSELITEMS,
        LB_SETTABSTOPS,
        LB_ADDFILE,
        LB_GETITEMRECT,
        LB_FINDSTRINGEXACT,
        WM_NEXTMENU,
        WM_SIZING,
        WM_MOVING,
        WM_MDICREATE,
        WM_MDIGETACTIVE,
        kDropObject,
        kQueryDropObject,
        kDragLoop,
        kDragSelect,
        kDragMove,
        WM_ASKCBFORMATNAME,
    };
    static_assert(IsAscending(kPointerMessages));
    return std::binary_search(std::begin(kPointerMessages), std::end(kPointerMessages), message);
}

StepPlan PlanStep(const ActionStep& step, int index) {
    StepPlan plan;
    plan.found = FindWindowByDescription(step.windowDescription);
    switch (plan.found.outcome) {
    case WindowSearch::Absent:
        plan.refusal = StepResult::NoWindowDescription;
        return plan;
    case WindowSearch::NotFound:
        plan.refusal = StepResult::WindowNotRunning;
        return plan;
    case WindowSearch::Broadcast:
    case WindowSearch::Found:
        break;
    }

    plan.window = plan.found.window;
    plan.target = plan.window;
    if (plan.found.outcome == WindowSearch::Found) {
        plan.path = ParseTargetPath(step.targetPath);
        plan.resolved =
            ResolvePath(plan.window, plan.path, plan.found.refWidth, plan.found.refHeight);
        if (plan.resolved.control)
            plan.target = plan.resolved.control;
        plan.controlNotFound = PathLostItsControl(plan.path, plan.resolved);
        plan.atPath = plan.resolved.control;
        if (UsesControl(step) && !CheckIdentity(plan, step))
            return plan;
    }
    // The type counts only once the window is found: a step without its
    // window is told as such, whatever its type.
    if (IsKnownStepType(step.type) && step.type != static_cast<int>(ActionType::None))
        PlanOperation(plan, step);
    else
        plan.refusal = StepResult::UnknownType;
    plan.bringsToTop = index == kLastStepIndex && plan.refusal == StepResult::Performed;
    return plan;
}

StepOutcome PlannedOutcome(const StepPlan& plan) {
    StepOutcome outcome;
    outcome.result = plan.refusal;
    if (plan.refusal == StepResult::Performed && plan.expectedPostError != 0) {
        outcome.result = StepResult::PostRefused;
        outcome.error = plan.expectedPostError;
    }
    outcome.window = plan.window;
    outcome.target = plan.target;
    outcome.controlNotFound = plan.controlNotFound;
    outcome.foundByIdentity = plan.identity.match == IdentityMatch::Moved;
    outcome.identityMatches = plan.identity.matches;
    return outcome;
}

TargetReach ReachOf(const WindowOwner& owner, IntegrityLevel own) {
    if (IsHigherIntegrity(owner.integrity, own))
        return TargetReach::HigherIntegrity;
    // The system tells a normal program nothing of an elevated one's token;
    // Snap run as administrator itself reads every token it could miss.
    if (owner.processId != 0 && owner.integrity == IntegrityLevel::Unknown &&
        own != IntegrityLevel::Unknown && own < IntegrityLevel::High)
        return TargetReach::ProbablyHigherIntegrity;
    return TargetReach::Reachable;
}

TargetReach ReachOfPlan(const StepPlan& plan) {
    if (plan.posts.empty() || plan.window == HWND_BROADCAST)
        return TargetReach::Reachable;
    return ReachOf(OwnerOfWindow(plan.target), OwnIntegrityLevel());
}
