// The floor for Snap's idle cost: only what the polling contract itself
// demands. A 50 ms timer; at each tick one read of "Pilote" from the settings
// file and one call into the camera button library. Argument: the settings file.
#include <windows.h>

namespace {

using CameraButtonProc = int(__cdecl*)(const char*);
CameraButtonProc g_camera = nullptr;
char g_settings[MAX_PATH] = "";

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    char source[256] = "";
    GetPrivateProfileStringA("Video", "Pilote", "", source, sizeof source, g_settings);
    if (g_camera)
        (void)g_camera(source);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    lstrcpynA(g_settings, commandLine, MAX_PATH);
    HMODULE library = LoadLibraryA("KelvraTouch.dll");
    if (library)
        g_camera = reinterpret_cast<CameraButtonProc>(
            reinterpret_cast<void*>(GetProcAddress(library, "fnKelvraTouch")));
    SetTimer(nullptr, 0, 50, Poll);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
