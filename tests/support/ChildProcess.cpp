#include "ChildProcess.h"

#include <vector>

ChildProcess::ChildProcess(const std::string& exePath, const std::string& workingFolder,
                           const std::string& arguments) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const std::string text = "\"" + exePath + "\" " + arguments;
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                        &m_process))
        m_process = {};
}

ChildProcess::~ChildProcess() {
    if (!Started())
        return;
    Terminate();
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!Started() || WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(m_process.hProcess, exitCode);
    return true;
}

void ChildProcess::Terminate() {
    if (Running()) {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 10000);
    }
}

bool ChildProcess::Running() const {
    return Started() && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* caption;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[256] = "", className[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && IsWindowVisible(window) &&
        lstrcmpA(caption, search->caption) == 0 &&
        (!search->className || lstrcmpA(className, search->className) == 0)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND ChildProcess::WaitForWindow(const char* caption, DWORD timeoutMs,
                                 const char* className) const {
    if (!Started())
        return nullptr;
    // Once the program is idle its modal dialog exists; poll briefly after
    // that, as Wine may report idle a little before the window is shown.
    (void)WaitForInputIdle(m_process.hProcess, timeoutMs);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        WindowSearch search = {m_process.dwProcessId, caption, className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (WaitForSingleObject(m_process.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr; // ended without showing it
    } while (GetTickCount64() < deadline);
    return nullptr;
}
