#include "EndToEnd.h"

#include "settings/StoredText.h"

#include <sstream>

std::string StoredTextEntry(const std::string& key, const std::string& value) {
    std::string k = key, v = value;
    EncodeStoredText(k);
    EncodeStoredText(v);
    return k + "=" + v + "\r\n";
}

std::string Configuration::Ini(const std::string& imagerTitle) const {
    std::ostringstream param, action;
    param << "[Param]\r\nDelay=" << delayMs << "\r\nStepByStep=" << stepByStep
          << "\r\nPutInSysTray=" << putInSysTray
          << "\r\n"
          // Far from the top left, where Wine's tray window grows with
          // every icon it holds.
          << StoredTextEntry("SoftPos", "1150;900");
    action << "[Action]\r\nBTLive=" << returnToLive << "\r\n";
    for (int i = 0; i < steps; ++i) {
        const std::string suffix = i ? std::to_string(i) : "";
        param << StoredTextEntry("Base" + suffix, "800;600;KelvraImagerStandIn\t" + imagerTitle)
              // The "Capture" button: its command goes to the main window.
              << StoredTextEntry("Destination" + suffix, "80;35");
        action << "Type" << suffix << "=3\r\nMessage" << suffix << "=" << kFirstStepMessage + i
               << "\r\n";
    }
    return param.str() + action.str() + "[Video]\r\nPilote=USB 28 Camera\r\n";
}

CheckRun EndToEnd::Check(const std::string& arguments) {
    const std::string outputPath = m_control / "printed.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, output);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string commandLine = "\"" + m_install->ExePath() + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    CheckRun run;
    const BOOL started =
        CreateProcessA(m_install->ExePath().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, m_install->Folder().c_str(), &startup, &process);
    CloseHandle(output);
    EXPECT_TRUE(started);
    if (!started)
        return run;
    run.ended = WaitForSingleObject(process.hProcess, kGenerousMs) == WAIT_OBJECT_0;
    if (!run.ended)
        TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.printed = ReadTextFile(outputPath);
    run.written = ReadTextFile(ReportPath());
    return run;
}

POINT CentreOf(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ClickAt(POINT point) {
    MovePointerTo(point);
    RunLinuxProgram("/usr/bin/xdotool click 1");
}

// Presses a push button as a person does: down, and up once it shows pushed.
// Under Xvfb the very first press of a busy session is now and then lost
// before it reaches Wine; like a person, press again when nothing happened.
void ClickButton(HWND button, bool withCtrl) {
    RECT rect = {};
    GetWindowRect(button, &rect);
    for (int attempt = 0; attempt < 3; ++attempt) {
        MovePointerTo(CentreOf(rect));
        if (withCtrl)
            RunLinuxProgram("/usr/bin/xdotool keydown ctrl");
        RunLinuxProgram("/usr/bin/xdotool mousedown 1");
        const ULONGLONG deadline = GetTickCount64() + 10000;
        bool pushed = false;
        while (!(pushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0) &&
               GetTickCount64() < deadline)
            Sleep(10); // as above: asked, not told
        if (!pushed) {
            // Release away from the button, so a late press is no click.
            RunLinuxProgram("/usr/bin/xdotool mousemove --sync " + std::to_string(rect.right + 40) +
                            " " + std::to_string(rect.bottom + 40));
        }
        RunLinuxProgram("/usr/bin/xdotool mouseup 1");
        if (withCtrl)
            RunLinuxProgram("/usr/bin/xdotool keyup ctrl");
        if (pushed)
            return;
    }
    ADD_FAILURE() << "the button never showed the press";
}

POINT CentreOfWindow(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return CentreOf(rect);
}

int WindowHeight(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition() && GetTickCount64() < deadline)
        Sleep(10); // another process's state: only to be had by asking
    return condition();
}
