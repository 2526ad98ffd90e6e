#include "WineDesktop.h"

#include <windows.h>

void CloseStartMenuOpenedByABroadcast() {
    if (HWND tray = FindWindowA("Shell_TrayWnd", nullptr))
        PostMessageA(tray, WM_CANCELMODE, 0, 0);
}
