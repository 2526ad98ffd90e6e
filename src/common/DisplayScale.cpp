#include "DisplayScale.h"

#include "SystemLibrary.h"

namespace {

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

} // namespace

UINT DpiOfWindow(HWND window) {
    // Looked up at run time: Windows 7 and 8 lack it, and a static import
    // would keep the program from starting there.
    using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    return SystemDpi();
}

UINT DpiOfMonitorUnder(HWND window) {
    // shcore.dll is there from Windows 8.1 on; loaded once, kept for the process.
    using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = [] {
        HMODULE shcore = LoadSystemLibrary("shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorProc>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT dpiX = 0, dpiY = 0;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    if (getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                   kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiX != 0)
        return dpiX;
    return SystemDpi();
}
