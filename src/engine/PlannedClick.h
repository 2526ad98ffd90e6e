#pragma once
// A "Mouse click" step's click: where the cursor goes and what the two posted
// button messages carry. Performing the step and "Snap.exe /check" both take
// it from here, so the check tells exactly what is posted.
#include <windows.h>

// The platform's calls that tell a window's coordinate space. Each is missing
// from some Windows that Snap runs on, so they are looked up at run time; a
// missing one is null.
struct DpiQueries {
    // Windows 10 1607 and later: a window's own awareness and DPI.
    DPI_AWARENESS_CONTEXT(WINAPI* windowAwarenessContext)(HWND) = nullptr;
    DPI_AWARENESS(WINAPI* awarenessFromContext)(DPI_AWARENESS_CONTEXT) = nullptr;
    UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
    // Windows 8.1 and later, then Windows Vista and later: a point of the
    // screen converted into a window's program's units.
    BOOL(WINAPI* physicalToLogicalPerMonitor)(HWND, POINT*) = nullptr;
    BOOL(WINAPI* physicalToLogical)(HWND, POINT*) = nullptr;
};

// This system's, from user32.
const DpiQueries& PlatformDpiQueries();

struct PlannedClick {
    POINT cursor;   // on the screen, in physical pixels: where the cursor is put
    POINT physical; // the point in the receiver's client area, physical pixels
    POINT own;      // the same point in the receiver's own units
    LPARAM lParam;  // `own`, as WM_LBUTTONDOWN and WM_LBUTTONUP carry it
};

// The click at `point` of `top`'s client area (physical pixels, as the
// resolved target path gives it), posted to `target`. The system never
// rewrites a posted message, and a program that is not per-monitor aware
// reads a click's coordinates in its own units (scaled to its DPI), so the
// point is converted to those before it is packed.
PlannedClick PlanClick(HWND top, HWND target, POINT point,
                       const DpiQueries& dpi = PlatformDpiQueries());
