// Stand-in for the camera vendor's KelvraTouch.dll: same file name, same
// export, same contract, with presses scripted by whoever runs it. It answers
// at once (unless told to be slow) and records every call, so tests, the
// benchmark and the demo can drive Snap without the camera and see what it
// asked.
//
// Controls, all in one folder: %KELVRATOUCH_SIM_DIR% when set, else the
// folder this DLL was loaded from.
//   press                 a file: one press, taken (deleted) at a call; a number N
//                         in it makes N presses at N consecutive calls
//   KelvraTouchSim.ini    [Simulator] IdleResult (answer without a press, 1)
//                                     PressResult (answer to a press, 0)
//                                     PressEveryMs (a press every N ms, 0 = off)
//                                     Log (1 = record calls, the default)
//                                     AnswerDelayMs (answer this much later, 0:
//                                     a vendor library that is slow to answer)
//   KelvraTouchSim.log    written: one line per call, tab-separated:
//                         milliseconds (the performance counter's clock), result, source name
// And the named event "KelvraTouchSim.Press" (auto-reset): set = one press.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kSection = "Simulator";

HMODULE g_module = nullptr;
HANDLE g_pressEvent = nullptr;
double g_lastScheduledPress = -1;

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string ControlFolder() {
    char folder[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return folder;
    const DWORD moduleLength = GetModuleFileNameA(g_module, folder, MAX_PATH);
    std::string path(folder, moduleLength < MAX_PATH ? moduleLength : 0);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool TakePressFile(const std::string& folder) {
    const std::string path = folder + "\\press";
    int remaining = 1;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        if (std::fscanf(file, "%d", &remaining) != 1)
            remaining = 1;
        std::fclose(file);
    } else {
        return false;
    }
    if (remaining > 1) {
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fprintf(file, "%d", remaining - 1);
            std::fclose(file);
        }
        return true;
    }
    // Deleting is the taking: only one call can succeed for one file.
    return DeleteFileA(path.c_str()) != FALSE;
}

bool TakePressEvent() {
    return g_pressEvent && WaitForSingleObject(g_pressEvent, 0) == WAIT_OBJECT_0;
}

bool ScheduledPressDue(int everyMs, double now) {
    if (everyMs <= 0)
        return false;
    if (g_lastScheduledPress < 0)
        g_lastScheduledPress = now; // the schedule starts at the first call
    if (now - g_lastScheduledPress < everyMs)
        return false;
    g_lastScheduledPress = now;
    return true;
}

void Record(const std::string& folder, double now, int result, const char* source) {
    const std::string path = folder + "\\KelvraTouchSim.log";
    if (FILE* log = std::fopen(path.c_str(), "ab")) {
        std::fprintf(log, "%.3f\t%d\t%s\r\n", now, result, source ? source : "(null)");
        std::fclose(log);
    }
}

} // namespace

extern "C" __declspec(dllexport) int __cdecl fnKelvraTouch(const char* videoSourceName) {
    const double now = NowMs();
    const std::string folder = ControlFolder();
    const std::string ini = folder + "\\KelvraTouchSim.ini";
    const int idleResult = static_cast<int>(GetPrivateProfileIntA(kSection, "IdleResult", 1, ini.c_str()));
    const int pressResult = static_cast<int>(GetPrivateProfileIntA(kSection, "PressResult", 0, ini.c_str()));
    const int everyMs = static_cast<int>(GetPrivateProfileIntA(kSection, "PressEveryMs", 0, ini.c_str()));

    // One press per call at most: a trigger not taken now stays for the next call.
    const bool fromFile = TakePressFile(folder);
    const bool fromEvent = !fromFile && TakePressEvent();
    const bool fromSchedule = !fromFile && !fromEvent && ScheduledPressDue(everyMs, now);
    const int result = (fromFile || fromEvent || fromSchedule) ? pressResult : idleResult;
    const UINT answerDelayMs = GetPrivateProfileIntA(kSection, "AnswerDelayMs", 0, ini.c_str());
    if (answerDelayMs > 0)
        Sleep(answerDelayMs); // the slowness being simulated

    if (GetPrivateProfileIntA(kSection, "Log", 1, ini.c_str()) != 0)
        Record(folder, now, result, videoSourceName);
    return result;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        g_pressEvent = CreateEventA(nullptr, FALSE, FALSE, "KelvraTouchSim.Press");
    } else if (reason == DLL_PROCESS_DETACH && g_pressEvent) {
        CloseHandle(g_pressEvent);
    }
    return TRUE;
}
