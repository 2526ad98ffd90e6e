#pragma once
// The display scale a window is shown at, in dots per inch (96 is 100 %), and
// pixel sizes drawn for 100 % taken to that scale.
#include <windows.h>

constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI; // 100 %

// The window's DPI: its monitor's where the system tells it per window
// (Windows 10 1607 and later), else the system's.
UINT DpiOfWindow(HWND window);

// The scale of the monitor that shows most of `window`, whatever scale the
// window itself was made for: what a frame drawn on the screen around it
// takes (Windows 8.1 and later; else the system's).
UINT DpiOfMonitorUnder(HWND window);

// A size in pixels at 100 % taken to `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}
