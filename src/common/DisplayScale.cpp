#include "DisplayScale.h"

#include "SystemLibrary.h"

namespace {

const DpiLookups* g_lookupsInUse = nullptr;

const DpiLookups& Lookups() {
    return g_lookupsInUse ? *g_lookupsInUse : PlatformDpiLookups();
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

} // namespace

const DpiLookups& PlatformDpiLookups() {
    // Looked up once, at first use. Windows 7 to 10 1511 lack GetDpiForWindow;
    // shcore.dll is there from Windows 8.1 on, and stays loaded for the process.
    static const DpiLookups platform = [] {
        DpiLookups lookups = {};
        lookups.getDpiForWindow =
            reinterpret_cast<decltype(lookups.getDpiForWindow)>(reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
        if (HMODULE shcore = LoadSystemLibrary("shcore.dll"))
            lookups.getDpiForMonitor = reinterpret_cast<decltype(lookups.getDpiForMonitor)>(
                reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
        return lookups;
    }();
    return platform;
}

void UseDpiLookups(const DpiLookups* lookups) {
    g_lookupsInUse = lookups;
}

UINT DpiOfWindow(HWND window) {
    if (const auto getDpiForWindow = Lookups().getDpiForWindow) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    return DpiOfMonitorUnder(window);
}

UINT DpiOfMonitorUnder(HWND window) {
    UINT dpiX = 0, dpiY = 0;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    const auto getDpiForMonitor = Lookups().getDpiForMonitor;
    if (getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                   kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiX != 0)
        return dpiX;
    return SystemDpi();
}
