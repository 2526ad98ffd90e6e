#include "StepCheck.h"

#include "engine/StepPlan.h"
#include "engine/StepReport.h"
#include "targeting/ControlIdentity.h"
#include "targeting/TargetPaths.h"
#include "targeting/WindowOwner.h"
#include "targeting/WindowWords.h"

#include <windows.h>
#include <mmsystem.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

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

namespace {

// The window found and whose it is, the control the path leads to now and
// the point it would click.
void DescribeFoundWindow(CCheckReport& report, const ActionStep& step, const StepPlan& plan) {
    const WindowOwner owner = OwnerOfWindow(plan.window);
    report.Line("  Window: found, " + WindowInWords(plan.window) + ", handle " +
                Hex(reinterpret_cast<ULONG_PTR>(plan.window)));
    report.Line(FormatText(
        "  Process: %s (id %lu, %s), integrity level %s",
        owner.imagePath.empty() ? "unknown" : PathFindFileNameA(owner.imagePath.c_str()),
        owner.processId, owner.imagePath.empty() ? "path unknown" : owner.imagePath.c_str(),
        IntegrityLevelName(owner.integrity)));
    if (plan.launches)
        report.Line("  Control: not used by a launch");
    else if (plan.resolved.control)
        report.Line("  Control: " + WindowInWords(plan.resolved.control) + ", handle " +
                    Hex(reinterpret_cast<ULONG_PTR>(plan.resolved.control)));
    else if (plan.controlNotFound)
        report.Line("  Control: none at the stored path now; the step would go to the window "
                    "itself");
    else
        report.Line("  Control: none needed; the step goes to the window itself");
    if (step.control.IsKnown() && step.type != static_cast<int>(ActionType::ExternalLauncher))
        report.Line("  Recorded control: " + IdentityInWords(step.control));
    if (plan.identity.match == IdentityMatch::Moved)
        report.Line("  Found by its identity after the layout changed; the stored path leads to " +
                    (plan.atPath ? WindowInWords(plan.atPath) : std::string("no control")) +
                    " now");
    POINT screen = plan.resolved.point;
    (void)ClientToScreen(plan.window, &screen);
    report.Line(FormatText(
        "  Click point: (%ld, %ld) in the window's client area, (%ld, %ld) on the screen",
        plan.resolved.point.x, plan.resolved.point.y, screen.x, screen.y));
}

// What a press would do, as the plan has it.
void DescribeActions(CCheckReport& report, const StepPlan& plan) {
    if (plan.refusal != StepResult::Performed) {
        report.Line("  Would post: nothing");
        return;
    }
    if (plan.launches)
        report.Line("  Would launch: " + plan.commandLine);
    if (plan.movesCursor) {
        report.Line(FormatText("  Would move the cursor to (%ld, %ld) on the screen", plan.cursor.x,
                               plan.cursor.y));
        const PlannedClick& click = plan.click;
        if (click.own.x != click.physical.x || click.own.y != click.physical.y)
            report.Line(FormatText("  Its program reads a click in its own units, not the "
                                   "screen's pixels: (%ld, %ld) in the control is (%ld, %ld) "
                                   "for it",
                                   click.physical.x, click.physical.y, click.own.x, click.own.y));
    }
    for (const PlannedPost& post : plan.posts) {
        if (post.pauseBeforeMs)
            report.Line(FormatText("  Would wait %u ms", post.pauseBeforeMs));
        report.Line(FormatText(
            plan.expectedPostError ? "  Would try to post (the system refuses it): %s, wParam %s, "
                                     "lParam %s, to %s"
                                   : "  Would post: %s, wParam %s, lParam %s, to %s",
            MessageName(post.message).c_str(), Hex(post.wParam).c_str(),
            Hex(static_cast<ULONG_PTR>(post.lParam)).c_str(), WindowInWords(post.to).c_str()));
    }
    if (plan.bringsToTop)
        report.Line("  Then would bring the window to the top and give it the focus (the last "
                    "step)");
}

} // namespace

std::string CheckStep(CCheckReport& report, const ActionStep& step, int index) {
    DescribeRecord(report, step);
    const StepPlan plan = PlanStep(step, index);
    switch (plan.found.outcome) {
    case WindowSearch::Absent:
        report.Line("  Window: none stored");
        break;
    case WindowSearch::NotFound:
        report.Line("  Window: not found");
        break;
    case WindowSearch::Broadcast:
        report.Line("  Window: Broadcast, every top-level window but Snap's own; no control is "
                    "looked for");
        break;
    case WindowSearch::Found:
        DescribeFoundWindow(report, step, plan);
        break;
    }
    DescribeActions(report, plan);

    StepOutcome outcome = PlannedOutcome(plan);
    if (plan.refusal == StepResult::Performed) {
        switch (ReachOfPlan(plan)) {
        case TargetReach::Reachable:
            break;
        case TargetReach::HigherIntegrity:
            outcome.higherIntegrity = true;
            break;
        case TargetReach::ProbablyHigherIntegrity:
            return "the system does not tell Snap the application's integrity level: it "
                   "probably runs as administrator, and the system then drops messages sent "
                   "to it from Snap. Start both the same way";
        }
    }
    return CauseInWords(outcome, step);
}
