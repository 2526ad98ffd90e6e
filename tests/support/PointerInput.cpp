#include "PointerInput.h"

#include <gtest/gtest.h>

namespace {
constexpr DWORD kWaitMs = 30000;
}

void RunLinuxProgram(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string text = commandLine;
    ASSERT_TRUE(CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    WaitForSingleObject(process.hProcess, kWaitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void MovePointerTo(POINT point) {
    RunLinuxProgram("/usr/bin/xdotool mousemove --sync " + std::to_string(point.x) + " " +
                    std::to_string(point.y));
    // Wine learns the position from the motion events of the window under the
    // pointer: input must not overtake them.
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    POINT cursor = {};
    while (GetCursorPos(&cursor) && (cursor.x != point.x || cursor.y != point.y) &&
           GetTickCount64() < deadline)
        Sleep(10); // the position is only to be had by asking
}
