#pragma once
// The position a click's message carries, in the units of the program that
// receives it.
#include <windows.h>

// lParam of a button message for `target` at `screenPoint` (physical pixels):
// the point in target's client coordinates.
LPARAM ClickPositionFor(HWND target, POINT screenPoint);
