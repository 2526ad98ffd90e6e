// Performing one step of the sequence on the external application.
#include "ActionExecution.h"

#include "Broadcast.h"
#include "common/LibrarySearch.h"
#include "common/PlatformLayout.h"

#include <string>
#include <vector>

namespace {

// A launched program gets this long to become ready for input; the program
// must not hang on a launch that never settles.
constexpr DWORD kLaunchWaitMs = 30000;

// A post the system refused did not reach the application: the window has
// closed, it belongs to a process of higher integrity, its queue is full, or
// the message carries a pointer and can only be sent (a "Send Message" step
// holding WM_SETTEXT, say). A post to all windows reaches every program's
// but Snap's own.
StepOutcome Post(const PlannedPost& post) {
    StepOutcome outcome;
    const BOOL posted = post.to == HWND_BROADCAST
                            ? PostToOtherPrograms(post.message, post.wParam, post.lParam)
                            : PostMessageA(post.to, post.message, post.wParam, post.lParam);
    if (!posted) {
        outcome.result = StepResult::PostRefused;
        outcome.error = GetLastError();
    }
    return outcome;
}

// Every post of the plan goes out, each after its pause; the first refusal
// is what the step comes to.
StepOutcome PostAll(const StepPlan& plan) {
    StepOutcome first;
    for (const PlannedPost& post : plan.posts) {
        if (post.pauseBeforeMs)
            Sleep(post.pauseBeforeMs);
        const StepOutcome outcome = Post(post);
        if (first.result == StepResult::Performed)
            first = outcome;
    }
    return first;
}

StepOutcome Launch(const std::string& command) {
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

// Whether what the step posted went to a program that the system keeps
// Snap's posts away from: it refused the post as Windows refuses one to a
// program of higher integrity, or the program's token says it runs higher.
// Messages to all windows go to programs of every level: no check.
bool ReachesHigherIntegrity(const StepPlan& plan, const StepOutcome& outcome) {
    if (plan.posts.empty() || plan.window == HWND_BROADCAST)
        return false;
    if (outcome.result == StepResult::PostRefused && outcome.error == ERROR_ACCESS_DENIED)
        return true;
    return ReachOfPlan(plan) == TargetReach::HigherIntegrity;
}

// What the plan leads to, done: the cursor, the posts or the launch.
StepOutcome CarryOut(const StepPlan& plan) {
    if (plan.launches)
        return Launch(plan.commandLine);
    if (plan.movesCursor)
        SetCursorPos(plan.cursor.x, plan.cursor.y);
    return PostAll(plan);
}

} // namespace

StepOutcome PerformAction(const ActionStep& step, int index) {
    const StepPlan plan = PlanStep(step, index);
    StepOutcome outcome = PlannedOutcome(plan);
    if (plan.refusal != StepResult::Performed)
        return outcome;
    const StepOutcome done = CarryOut(plan);
    outcome.result = done.result;
    outcome.error = done.error;
    if (plan.bringsToTop && CountsAsDone(outcome)) {
        // Neither call waits for the application, which may be busy or hung:
        // the raise is queued to its thread (BringWindowToTop would wait for
        // its answer), and the focus comes with the foreground, which the
        // system hands over without asking it (SetFocus cannot reach another
        // thread's window at all).
        SetWindowPos(plan.window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
        SetForegroundWindow(plan.window);
    }
    // Asked only now: nothing may stand between the press and the delivery.
    outcome.higherIntegrity = ReachesHigherIntegrity(plan, outcome);
    return outcome;
}
