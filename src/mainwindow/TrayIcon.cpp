#include "TrayIcon.h"

#include "common/PlatformLayout.h"
#include "resources/resource.h"

ShellNotifyIconFn g_shellNotifyIcon = Shell_NotifyIconA;

NOTIFYICONDATAA TrayIconData(HWND window, UINT flags) {
    NOTIFYICONDATAA data = {};
    data.cbSize = kTrayIconDataSize;
    data.hWnd = window;
    data.uID = IDI_TRAY_ICON;
    data.uFlags = flags;
    return data;
}

HMENU CreateTrayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, ID_TRAY_SNAP, "Snap");
    AppendMenuA(menu, MF_STRING, ID_TRAY_SETUP, "Setup");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, ID_TRAY_CLOSE, "Close");
    return menu;
}

NOTIFYICONDATAA TrayWarningData(HWND window, const std::string& title, const std::string& text) {
    NOTIFYICONDATAA data = TrayIconData(window, NIF_INFO);
    lstrcpynA(data.szInfoTitle, title.c_str(), sizeof data.szInfoTitle);
    lstrcpynA(data.szInfo, text.c_str(), sizeof data.szInfo);
    data.dwInfoFlags = NIIF_WARNING;
    return data;
}
