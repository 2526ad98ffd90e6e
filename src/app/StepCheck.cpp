#include "StepCheck.h"

#include "engine/ActionExecution.h"
#include "engine/PlannedClick.h"
#include "targeting/TargetPaths.h"
#include "targeting/WindowOwner.h"

#include <windows.h>
#include <mmsystem.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// Messages the steps post whose parameters are fixed.
constexpr WPARAM kJoystick1Down = JOY_BUTTON1CHG | JOY_BUTTON1;
constexpr WPARAM kJoystick1Up = JOY_BUTTON1CHG;
constexpr WPARAM kJoystick2Down = JOY_BUTTON2CHG | JOY_BUTTON2;
constexpr WPARAM kJoystick2Up = JOY_BUTTON2CHG;
constexpr LPARAM kJoystickPosition = 0x000A000A; // x = 10, y = 10

std::string Hex(ULONG_PTR value) {
    return FormatText("0x%08lX", static_cast<unsigned long>(value));
}

std::string MessageName(UINT message) {
    const char* name = nullptr;
    switch (message) {
    case WM_COMMAND:
        name = "WM_COMMAND";
        break;
    case MM_JOY1BUTTONDOWN:
        name = "MM_JOY1BUTTONDOWN";
        break;
    case MM_JOY1BUTTONUP:
        name = "MM_JOY1BUTTONUP";
        break;
    case MM_JOY2BUTTONDOWN:
        name = "MM_JOY2BUTTONDOWN";
        break;
    case MM_JOY2BUTTONUP:
        name = "MM_JOY2BUTTONUP";
        break;
    case WM_LBUTTONDOWN:
        name = "WM_LBUTTONDOWN";
        break;
    case WM_LBUTTONUP:
        name = "WM_LBUTTONUP";
        break;
    }
    if (name)
        return FormatText("%s (0x%04X)", name, message);
    if (message >= WM_USER && message < WM_APP)
        return FormatText("WM_USER+%u (0x%04X)", message - WM_USER, message);
    if (message >= WM_APP && message < 0xC000)
        return FormatText("WM_APP+%u (0x%04X)", message - WM_APP, message);
    return FormatText("message 0x%04X", message);
}

std::string WindowText(HWND window) {
    // For another program's window this reads the text the system keeps; it
    // sends that program nothing.
    char text[512] = "";
    (void)GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = "";
    (void)GetClassNameA(window, name, sizeof name);
    return name;
}

std::string DescribeHandle(HWND window) {
    if (window == HWND_BROADCAST)
        return "all top-level windows (HWND_BROADCAST)";
    return FormatText("window %s, class %s, text %s",
                      Hex(reinterpret_cast<ULONG_PTR>(window)).c_str(),
                      Quoted(ClassName(window)).c_str(), Quoted(WindowText(window)).c_str());
}

struct PlannedPost {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND to;
};

// What performing the step would post, in order (nothing for a launch).
std::vector<PlannedPost> PlannedPosts(const ActionStep& step, HWND target, LPARAM position) {
    const WORD id = LOWORD(GetDlgCtrlID(target));
    const WPARAM wParam = static_cast<WPARAM>(static_cast<DWORD>(step.wParam));
    const LPARAM lParam = static_cast<LPARAM>(step.lParam);
    switch (static_cast<ActionType>(step.type)) {
    case ActionType::ButtonClick:
        return {{WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, CommandRecipient(target)}};
    case ActionType::ButtonDoubleClick:
        return {{WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED), 0, CommandRecipient(target)}};
    case ActionType::SendCommand:
        return {{WM_COMMAND, wParam, lParam, CommandRecipient(target)}};
    case ActionType::SendCustomMessage:
        return {{static_cast<UINT>(step.message), wParam, lParam, CommandRecipient(target)}};
    case ActionType::Joystick1Down:
        return {{MM_JOY1BUTTONDOWN, kJoystick1Down, kJoystickPosition, target}};
    case ActionType::Joystick1Up:
        return {{MM_JOY1BUTTONUP, kJoystick1Up, kJoystickPosition, target}};
    case ActionType::Joystick2Down:
        return {{MM_JOY2BUTTONDOWN, kJoystick2Down, kJoystickPosition, target}};
    case ActionType::Joystick2Up:
        return {{MM_JOY2BUTTONUP, kJoystick2Up, kJoystickPosition, target}};
    case ActionType::MouseClick:
        return {{WM_LBUTTONDOWN, 0, position, target}, {WM_LBUTTONUP, 0, position, target}};
    case ActionType::ExternalLauncher:
    case ActionType::None:
        break;
    }
    return {};
}

bool UsesParameters(int type) {
    return type == static_cast<int>(ActionType::SendCommand) ||
           type == static_cast<int>(ActionType::SendCustomMessage);
}

void DescribeRecord(CCheckReport& report, const ActionStep& step) {
    const WindowDescription window = ParseWindowDescription(step.windowDescription);
    if (!window.present)
        report.Line("  Stored window: none (no target was chosen for this step)");
    else if (window.IsBroadcast())
        report.Line("  Stored window: Broadcast, all top-level windows");
    else
        report.Line(FormatText("  Stored window: class %s, title %s (found by its %s), reference "
                               "client size %d x %d",
                               Quoted(window.className).c_str(), Quoted(window.title).c_str(),
                               window.title.empty() ? "class" : "title", window.refWidth,
                               window.refHeight));

    const TargetPath path = ParseTargetPath(step.targetPath);
    if (!path.hasPoint) {
        report.Line("  Stored path: none (the step goes to the window itself)");
    } else {
        std::string positions;
        for (int index : path.indices)
            positions += (positions.empty() ? "" : ", ") + std::to_string(index);
        report.Line(FormatText("  Stored path: positions %s; point (%d, %d) at the reference size",
                               positions.empty() ? "none (a control of the window itself)"
                                                 : positions.c_str(),
                               path.x, path.y));
    }

    if (step.type == static_cast<int>(ActionType::SendCustomMessage))
        report.Line("  Message: " + MessageName(static_cast<UINT>(step.message)));
    if (UsesParameters(step.type))
        report.Line(FormatText("  WParam: %d (%s), LParam: %d (%s)", step.wParam,
                               Hex(static_cast<DWORD>(step.wParam)).c_str(), step.lParam,
                               Hex(static_cast<DWORD>(step.lParam)).c_str()));
    if (step.type == static_cast<int>(ActionType::ExternalLauncher))
        report.Line("  Program: " + Quoted(step.program) +
                    ", parameters: " + Quoted(step.parameters));
}

} // namespace

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FormatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::vector<char> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    return text.data();
}

std::string StepTypeWithCode(int type) {
    if (!IsKnownStepType(type))
        return FormatText("unknown type %d", type);
    return FormatText("%s (type %d)", StepTypeName(type), type);
}

std::string CheckStep(CCheckReport& report, const ActionStep& step) {
    DescribeRecord(report, step);
    if (!IsKnownStepType(step.type))
        return "its type is unknown: nothing would be performed";

    const FoundWindow found = FindWindowByDescription(step.windowDescription);
    if (found.outcome == WindowSearch::Absent) {
        report.Line("  Window: none stored");
        return "no target: choose the step's window in \"Settings\"";
    }
    if (found.outcome == WindowSearch::NotFound) {
        report.Line("  Window: not found");
        return "its window is not found: the imaging application is not running, or its "
               "window's class or title has changed";
    }

    const bool launch = step.type == static_cast<int>(ActionType::ExternalLauncher);
    const HWND top = found.window;
    HWND target = top;
    POINT point = {0, 0};
    std::string cause;
    if (found.outcome == WindowSearch::Broadcast) {
        report.Line("  Window: Broadcast, all top-level windows; no control is looked for");
        if (step.type == static_cast<int>(ActionType::MouseClick)) {
            report.Line("  Would post: nothing (all top-level windows have no common point "
                        "to click)");
            return "a mouse click cannot go to all windows: choose one window for it";
        }
    } else {
        const WindowOwner owner = OwnerOfWindow(top);
        report.Line(FormatText("  Window: found, %s, title %s, class %s",
                               Hex(reinterpret_cast<ULONG_PTR>(top)).c_str(),
                               Quoted(WindowText(top)).c_str(), Quoted(ClassName(top)).c_str()));
        report.Line(FormatText(
            "  Process: %s (id %lu, %s), integrity level %s",
            owner.imagePath.empty() ? "unknown" : PathFindFileNameA(owner.imagePath.c_str()),
            owner.processId, owner.imagePath.empty() ? "path unknown" : owner.imagePath.c_str(),
            IntegrityLevelName(owner.integrity)));
        if (IsHigherIntegrity(owner.integrity, OwnIntegrityLevel()))
            cause = FormatText(
                "its program runs at a higher integrity level (%s) than Snap (%s), "
                "as when started as administrator: the system drops Snap's messages. "
                "Start both the same way",
                IntegrityLevelName(owner.integrity), IntegrityLevelName(OwnIntegrityLevel()));
        else if (owner.integrity == IntegrityLevel::Unknown)
            report.Line("  Note: the system does not tell this program's integrity level; if it "
                        "runs as administrator and Snap does not, Snap's messages are dropped");

        const TargetPath path = ParseTargetPath(step.targetPath);
        const ResolvedTarget resolved = ResolvePath(top, path, found.refWidth, found.refHeight);
        point = resolved.point;
        if (launch) {
            report.Line("  Control: not used by a launch");
        } else if (resolved.control) {
            target = resolved.control;
            report.Line(FormatText("  Control: %s, class %s, id %d, text %s",
                                   Hex(reinterpret_cast<ULONG_PTR>(target)).c_str(),
                                   Quoted(ClassName(target)).c_str(), GetDlgCtrlID(target),
                                   Quoted(WindowText(target)).c_str()));
        } else if (PathLostItsControl(path, resolved)) {
            report.Line("  Control: none at the stored path now; the step would go to the "
                        "window itself");
            if (cause.empty())
                cause = "its stored path leads to no control (the application's layout has "
                        "changed): set the step's target again in \"Settings\"";
        } else {
            report.Line("  Control: none needed; the step goes to the window itself");
        }
        POINT screen = point;
        (void)ClientToScreen(top, &screen);
        report.Line(
            FormatText("  Click point: (%ld, %ld) in the window's client area, (%ld, %ld) on "
                       "the screen",
                       point.x, point.y, screen.x, screen.y));
    }

    if (launch) {
        report.Line("  Would launch: " + Quoted(step.program) + " " + step.parameters);
        return cause;
    }
    LPARAM clickPosition = 0;
    if (step.type == static_cast<int>(ActionType::MouseClick)) {
        const PlannedClick click = PlanClick(top, target, point);
        report.Line(FormatText("  Would move the cursor to (%ld, %ld) on the screen",
                               click.cursor.x, click.cursor.y));
        if (click.own.x != click.physical.x || click.own.y != click.physical.y)
            report.Line(FormatText("  Its program reads a click in its own units, not the "
                                   "screen's pixels: (%ld, %ld) in the control is (%ld, %ld) "
                                   "for it",
                                   click.physical.x, click.physical.y, click.own.x, click.own.y));
        clickPosition = click.lParam;
    }
    for (const PlannedPost& post : PlannedPosts(step, target, clickPosition))
        report.Line(FormatText("  Would post: %s, wParam %s, lParam %s, to %s",
                               MessageName(post.message).c_str(), Hex(post.wParam).c_str(),
                               Hex(static_cast<ULONG_PTR>(post.lParam)).c_str(),
                               DescribeHandle(post.to).c_str()));
    return cause;
}
