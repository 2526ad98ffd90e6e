// PollFloor: the least a program can do and still do Snap's job for one
// button click, so the benchmark has a floor to hold Snap's costs against.
// A hidden window with a 50 ms timer; at each tick one read of "Pilote" in
// section "Video" of the settings file and one call of fnKelvraTouch in the
// KelvraTouch.dll beside this program. On a press (0 or 2): find the imaging
// application's window by its class, walk the stored path to the control and
// post the button click. Nothing else: no tray icon, no paint, no re-arming of
// the timer, no other setting read, the target taken once from the command
// line.
//
// Command line: <settings file> [<window> <path>], the target in Snap's plain
// record texts, "800;600;<class>" and "<index>;...;<x>;<y>". Without a target
// it only polls.
#include "FloorTarget.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;

using CameraButtonProc = int(__cdecl*)(const char*);

CameraButtonProc g_cameraButton = nullptr;
std::string g_settingsPath;
CFloorTarget g_target;
bool g_hasTarget = false;

void Poll() {
    char source[256] = "";
    GetPrivateProfileStringA("Video", "Pilote", "", source, sizeof source, g_settingsPath.c_str());
    const int result = g_cameraButton(source);
    if ((result == 0 || result == 2) && g_hasTarget) {
        if (HWND control = FindFloorControl(g_target))
            (void)PostFloorClick(control); // a lost click shows as a missing delivery
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kPollTimer)
            Poll();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The library beside this program, as Snap loads its own: never from the
// current folder.
HMODULE LoadCameraLibrary() {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::string library(path, length);
    library.erase(library.find_last_of('\\') + 1);
    library += "KelvraTouch.dll";
    return LoadLibraryExA(library.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc != 2 && __argc != 4)
        return 2;
    g_settingsPath = __argv[1];
    g_hasTarget = __argc == 4;
    if (g_hasTarget && !ParseFloorTarget(__argv[2], __argv[3], g_target))
        return 2;
    HMODULE library = LoadCameraLibrary();
    if (library)
        g_cameraButton = reinterpret_cast<CameraButtonProc>(
            reinterpret_cast<void*>(GetProcAddress(library, "fnKelvraTouch")));
    if (!g_cameraButton || g_settingsPath.empty())
        return 1;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SnapBenchPollFloor";
    if (!RegisterClassA(&windowClass))
        return 1;
    // Never shown: the floor pays for a window's queue and timer, not for painting.
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "PollFloor", WS_OVERLAPPED, 0, 0, 0,
                                  0, nullptr, nullptr, instance, nullptr);
    if (!window || !SetTimer(window, kPollTimer, kPollMs, nullptr))
        return 1;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
