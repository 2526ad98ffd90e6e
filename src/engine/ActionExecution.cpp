// Performing one step of the sequence on the external application.
#include "ActionStep.h"
#include "Feedback.h"
#include "common/LibrarySearch.h"
#include "common/PlatformLayout.h"
#include "mainwindow/TapsyncDlg.h"
#include "settings/SettingsFile.h"
#include "targeting/TargetPaths.h"

#include <mmsystem.h>

#include <vector>

namespace {

// A launched program gets this long to become ready for input; the program
// must not hang on a launch that never settles.
constexpr DWORD kLaunchWaitMs = 30000;
constexpr int kMaxWaitMs = 30000;
constexpr UINT kMouseClickPauseMs = 50;
constexpr LPARAM kJoystickPosition = 0x000A000A; // x = 10, y = 10

int StepSetting(const char* baseName, int stepIndex, int defaultValue) {
    return ReadSettingInt(kSectionAction, StepKey(baseName, stepIndex).c_str(), defaultValue);
}

// Stored numbers are signed 32-bit; message parameters keep their 32 bits.
WPARAM AsWParam(int value) { return static_cast<WPARAM>(static_cast<DWORD>(value)); }
LPARAM AsLParam(int value) { return static_cast<LPARAM>(value); }

// Buttons report to their parent: that is where a command must arrive.
HWND CommandRecipient(HWND target) {
    if (target == HWND_BROADCAST)
        return target;
    HWND parent = GetParent(target);
    return parent ? parent : target;
}

void PostButtonNotification(HWND target, WORD code) {
    const WORD id = LOWORD(GetDlgCtrlID(target));
    PostMessageA(CommandRecipient(target), WM_COMMAND, MAKEWPARAM(id, code), 0);
}

void ClickAt(HWND top, HWND target, POINT point) {
    ClientToScreen(top, &point);
    SetCursorPos(point.x, point.y);
    ScreenToClient(target, &point);
    const LPARAM position = MAKELPARAM(LOWORD(point.x), LOWORD(point.y));
    PostMessageA(target, WM_LBUTTONDOWN, 0, position);
    Sleep(kMouseClickPauseMs);
    PostMessageA(target, WM_LBUTTONUP, 0, position);
}

void Launch(int stepIndex) {
    const std::string program =
        ReadSettingString(kSectionAction, StepKey("ExtApp", stepIndex).c_str(), "");
    const std::string parameters =
        ReadSettingString(kSectionAction, StepKey("ExtAppParam", stepIndex).c_str(), "");
    const std::string command = "\"" + program + "\" " + parameters;
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = kStartupInfoSize;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    BOOL started = FALSE;
    {
        CChildLibrarySearch normalSearch;
        started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process);
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
}

// The operation of one step. False when it cannot be performed.
bool PerformAction(ActionType type, int stepIndex, HWND top, HWND target, POINT point) {
    switch (type) {
    case ActionType::ButtonClick:
        PostButtonNotification(target, BN_CLICKED);
        return true;
    case ActionType::ButtonDoubleClick:
        PostButtonNotification(target, BN_DOUBLECLICKED);
        return true;
    case ActionType::SendCommand: {
        const int wParam = StepSetting("WParam", stepIndex, 0);
        const int lParam = StepSetting("LParam", stepIndex, 0);
        PostMessageA(CommandRecipient(target), WM_COMMAND, AsWParam(wParam), AsLParam(lParam));
        return true;
    }
    case ActionType::SendCustomMessage: {
        const int message = StepSetting("Message", stepIndex, kDefaultMessage);
        const int wParam = StepSetting("WParam", stepIndex, 0);
        const int lParam = StepSetting("LParam", stepIndex, 0);
        PostMessageA(CommandRecipient(target), static_cast<UINT>(message), AsWParam(wParam),
                     AsLParam(lParam));
        return true;
    }
    case ActionType::Joystick1Down:
        PostMessageA(target, MM_JOY1BUTTONDOWN, JOY_BUTTON1CHG | JOY_BUTTON1, kJoystickPosition);
        return true;
    case ActionType::Joystick1Up:
        PostMessageA(target, MM_JOY1BUTTONUP, JOY_BUTTON1CHG, kJoystickPosition);
        return true;
    case ActionType::Joystick2Down:
        PostMessageA(target, MM_JOY2BUTTONDOWN, JOY_BUTTON2CHG | JOY_BUTTON2, kJoystickPosition);
        return true;
    case ActionType::Joystick2Up:
        PostMessageA(target, MM_JOY2BUTTONUP, JOY_BUTTON2CHG, kJoystickPosition);
        return true;
    case ActionType::MouseClick:
        // All top-level windows have no common point to click: clicking every
        // window at some point could press anything. The step is not done.
        if (target == HWND_BROADCAST)
            return false;
        ClickAt(top, target, point);
        return true;
    case ActionType::ExternalLauncher:
        Launch(stepIndex);
        return true;
    case ActionType::None:
        break;
    }
    return false;
}

bool BeepsWanted(bool beep) { return beep && ReadSettingInt(kSectionParam, "NoBeep", 0) != 0; }

} // namespace

int ReadStepIntervalMs() {
    const int delay = ReadSettingInt(kSectionParam, "Delay", kDefaultDelayMs);
    return delay < 0 ? 0 : delay;
}

int ReadDelayMs() {
    const int delay = ReadStepIntervalMs();
    return delay > kMaxWaitMs ? kMaxWaitMs : delay;
}

void CTapsyncDlg::PerformStep(bool beep, int index) {
    SaveWindowPlacement();
    const int type = StepSetting("Type", index, DefaultStepType(index));
    if (type == static_cast<int>(ActionType::None)) {
        EndRun();
        if (ReadSettingInt(kSectionAction, "BTLive", 0) != 0)
            ReturnToLive();
        return;
    }

    const FoundWindow found = FindWindowByDescription(ReadWindowDescription(index));
    bool performed = false;
    HWND top = found.window;
    if (found.outcome == WindowSearch::Found || found.outcome == WindowSearch::Broadcast) {
        HWND target = top;
        POINT point = {0, 0};
        if (found.outcome == WindowSearch::Found) {
            const ResolvedTarget resolved = ResolveTargetPath(
                top, StepKey("Destination", index).c_str(), found.refWidth, found.refHeight);
            if (resolved.control)
                target = resolved.control;
            point = resolved.point;
        }
        performed = IsKnownStepType(type) &&
                    PerformAction(static_cast<ActionType>(type), index, top, target, point);
    }
    if (!performed) {
        if (BeepsWanted(beep))
            g_messageBeep(kStepFailedBeep);
        return;
    }
    if (index == kLastStepIndex) {
        BringWindowToTop(top);
        SetFocus(top);
    }
    if (BeepsWanted(beep))
        g_messageBeep(kStepDoneBeep);
}

void CTapsyncDlg::ReturnToLive() {
    // Step 0 may itself end the sequence and ask for a return to live: that
    // one is not made, or the program would loop for ever.
    if (m_returningToLive)
        return;
    m_returningToLive = true;
    Sleep(static_cast<DWORD>(ReadDelayMs()));
    PerformStep(false, 0);
    m_returningToLive = false;
}

void CTapsyncDlg::EndRun() {
    m_stepIndex = 0;
    m_sequenceRunning = false;
    KillTimer(m_hWnd, StepTimerId);
}
