#pragma once
// The display scale a window is shown at, in dots per inch (96 is 100 %), and
// pixel sizes drawn for 100 % taken to that scale.
#include <windows.h>

constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI; // 100 %

// The window's DPI: as the system tells it per window (Windows 10 1607 and
// later), else its monitor's (Windows 8.1 on: the program is per-monitor
// aware, so its windows are drawn at their monitor's scale), else the
// system's.
UINT DpiOfWindow(HWND window);

// The scale of the monitor that shows most of `window`, whatever scale the
// window itself was made for: what a frame drawn on the screen around it
// takes (Windows 8.1 and later; else the system's).
UINT DpiOfMonitorUnder(HWND window);

// A size in pixels at 100 % taken to `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// The platform's scale lookups, found at run time: null where the platform
// lacks them (a static import would keep the program from starting there).
struct DpiLookups {
    UINT(WINAPI* getDpiForWindow)(HWND);                            // user32
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*); // shcore
};
const DpiLookups& PlatformDpiLookups();

// For tests: the lookups used from now on instead of the platform's, to stand
// in for a platform that lacks one or for monitors of other scales; null puts
// the platform's back. The object must outlive its use.
void UseDpiLookups(const DpiLookups* lookups);
