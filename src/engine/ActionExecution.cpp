// Performing one step of the sequence on the external application.
#include "ActionExecution.h"

#include "Broadcast.h"
#include "common/LibrarySearch.h"
#include "common/PlatformLayout.h"
#include "targeting/TargetPaths.h"
#include "targeting/WindowOwner.h"

#include <mmsystem.h>

#include <vector>

namespace {

// A launched program gets this long to become ready for input; the program
// must not hang on a launch that never settles.
constexpr DWORD kLaunchWaitMs = 30000;
constexpr UINT kMouseClickPauseMs = 50;
constexpr LPARAM kJoystickPosition = 0x000A000A; // x = 10, y = 10

// Stored numbers are signed 32-bit; message parameters keep their 32 bits.
WPARAM AsWParam(int value) {
    return static_cast<WPARAM>(static_cast<DWORD>(value));
}
LPARAM AsLParam(int value) {
    return static_cast<LPARAM>(value);
}

// A post the system refused did not reach the application: the window has
// closed, it belongs to a process of higher integrity, its queue is full, or
// the message carries a pointer and can only be sent (a "Send Message" step
// holding WM_SETTEXT, say). A post to all windows reaches every program's
// but Snap's own.
StepOutcome Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    StepOutcome outcome;
    const BOOL posted = window == HWND_BROADCAST ? PostToOtherPrograms(message, wParam, lParam)
                                                 : PostMessageA(window, message, wParam, lParam);
    if (!posted) {
        outcome.result = StepResult::PostRefused;
        outcome.error = GetLastError();
    }
    return outcome;
}

StepOutcome PostButtonNotification(HWND target, WORD code) {
    const WORD id = LOWORD(GetDlgCtrlID(target));
    return Post(CommandRecipient(target), WM_COMMAND, MAKEWPARAM(id, code), 0);
}

StepOutcome ClickAt(HWND top, HWND target, POINT point) {
    ClientToScreen(top, &point);
    SetCursorPos(point.x, point.y);
    ScreenToClient(target, &point);
    const LPARAM position = MAKELPARAM(LOWORD(point.x), LOWORD(point.y));
    const StepOutcome down = Post(target, WM_LBUTTONDOWN, 0, position);
    Sleep(kMouseClickPauseMs);
    const StepOutcome up = Post(target, WM_LBUTTONUP, 0, position);
    return down.result != StepResult::Performed ? down : up;
}

StepOutcome Launch(const ActionStep& step) {
    const std::string command = "\"" + step.program + "\" " + step.parameters;
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = kStartupInfoSize;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    StepOutcome outcome;
    BOOL started = FALSE;
    {
        CChildLibrarySearch normalSearch;
        started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process);
        if (!started) {
            outcome.result = StepResult::LaunchFailed;
            outcome.error = GetLastError();
        }
    }
    if (started) {
        // Wait until it is ready for input, but not longer than the bound, and
        // not at all for a program without a message queue (WaitForInputIdle
        // fails at once) or one that has already ended.
        const ULONGLONG deadline = GetTickCount64() + kLaunchWaitMs;
        while (WaitForInputIdle(process.hProcess, 100) == WAIT_TIMEOUT &&
               WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
               GetTickCount64() < deadline) {
        }
    }
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
    return outcome;
}

// The operation of one step's type.
StepOutcome Operate(const ActionStep& step, HWND top, HWND target, POINT point) {
    switch (static_cast<ActionType>(step.type)) {
    case ActionType::ButtonClick:
        return PostButtonNotification(target, BN_CLICKED);
    case ActionType::ButtonDoubleClick:
        return PostButtonNotification(target, BN_DOUBLECLICKED);
    case ActionType::SendCommand:
        return Post(CommandRecipient(target), WM_COMMAND, AsWParam(step.wParam),
                    AsLParam(step.lParam));
    case ActionType::SendCustomMessage:
        return Post(CommandRecipient(target), static_cast<UINT>(step.message),
                    AsWParam(step.wParam), AsLParam(step.lParam));
    case ActionType::Joystick1Down:
        return Post(target, MM_JOY1BUTTONDOWN, JOY_BUTTON1CHG | JOY_BUTTON1, kJoystickPosition);
    case ActionType::Joystick1Up:
        return Post(target, MM_JOY1BUTTONUP, JOY_BUTTON1CHG, kJoystickPosition);
    case ActionType::Joystick2Down:
        return Post(target, MM_JOY2BUTTONDOWN, JOY_BUTTON2CHG | JOY_BUTTON2, kJoystickPosition);
    case ActionType::Joystick2Up:
        return Post(target, MM_JOY2BUTTONUP, JOY_BUTTON2CHG, kJoystickPosition);
    case ActionType::MouseClick:
        // All top-level windows have no common point to click: clicking every
        // window at some point could press anything. The step is not done.
        if (target == HWND_BROADCAST) {
            StepOutcome outcome;
            outcome.result = StepResult::BroadcastMouseClick;
            return outcome;
        }
        return ClickAt(top, target, point);
    case ActionType::ExternalLauncher:
        return Launch(step);
    case ActionType::None:
        break;
    }
    StepOutcome outcome;
    outcome.result = StepResult::UnknownType;
    return outcome;
}

} // namespace

bool PathLostItsControl(const TargetPath& path, const ResolvedTarget& resolved) {
    // A path without positions may have named the window itself (a window
    // without controls, or its background): nothing found there is no loss.
    // With positions, the control lay inside a container: finding nothing
    // at its point means the layout changed.
    return path.hasPoint && !path.indices.empty() && !resolved.control;
}

namespace {

// Whether what the step posted (or tried to) went to a program that the
// system keeps Snap's posts away from: it refused the post as Windows refuses
// one to a program of higher integrity, or the program's token says it runs
// higher. Messages to all windows go to programs of every level: no check.
bool ReachesHigherIntegrity(const ActionStep& step, const StepOutcome& outcome) {
    if (outcome.target == HWND_BROADCAST || outcome.result == StepResult::UnknownType ||
        step.type == static_cast<int>(ActionType::ExternalLauncher))
        return false;
    if (outcome.result == StepResult::PostRefused && outcome.error == ERROR_ACCESS_DENIED)
        return true;
    return IsHigherIntegrity(OwnerOfWindow(outcome.target).integrity, OwnIntegrityLevel());
}

} // namespace

HWND CommandRecipient(HWND target) {
    if (target == HWND_BROADCAST)
        return target;
    HWND parent = GetParent(target);
    return parent ? parent : target;
}

StepOutcome PerformAction(const ActionStep& step, int index) {
    const FoundWindow found = FindWindowByDescription(step.windowDescription);
    StepOutcome outcome;
    switch (found.outcome) {
    case WindowSearch::Absent:
        outcome.result = StepResult::NoWindowDescription;
        return outcome;
    case WindowSearch::NotFound:
        outcome.result = StepResult::WindowNotRunning;
        return outcome;
    case WindowSearch::Broadcast:
    case WindowSearch::Found:
        break;
    }

    const HWND top = found.window;
    HWND target = top;
    POINT point = {0, 0};
    bool controlNotFound = false;
    if (found.outcome == WindowSearch::Found) {
        const TargetPath path = ParseTargetPath(step.targetPath);
        const ResolvedTarget resolved = ResolvePath(top, path, found.refWidth, found.refHeight);
        if (resolved.control)
            target = resolved.control;
        controlNotFound = PathLostItsControl(path, resolved);
        point = resolved.point;
    }
    if (IsKnownStepType(step.type) && step.type != static_cast<int>(ActionType::None))
        outcome = Operate(step, top, target, point);
    else
        outcome.result = StepResult::UnknownType;
    outcome.window = top;
    outcome.target = target;
    outcome.controlNotFound = controlNotFound;
    if (CountsAsDone(outcome) && index == kLastStepIndex) {
        BringWindowToTop(top);
        SetFocus(top);
    }
    // Asked only now: nothing may stand between the press and the delivery.
    outcome.higherIntegrity = ReachesHigherIntegrity(step, outcome);
    return outcome;
}
