#pragma once
// A program started by a test, ended by the test if it is still running.
#include <windows.h>

#include <string>

class ChildProcess {
public:
    // Starts `exePath` with the given working folder (empty: the test's own)
    // and arguments.
    ChildProcess(const std::string& exePath, const std::string& workingFolder = "",
                 const std::string& arguments = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD Id() const { return m_process.dwProcessId; }

    // Waits for the end; true with the exit code when it ended in time.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;
    // Ends it at once, as a crash or the task manager would.
    void Terminate();

    // The process's visible top-level window with this caption (and class,
    // when given), waited for.
    HWND WaitForWindow(const char* caption, DWORD timeoutMs, const char* className = nullptr) const;

private:
    PROCESS_INFORMATION m_process = {};
};
