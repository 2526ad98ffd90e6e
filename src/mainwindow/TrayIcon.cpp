#include "TrayIcon.h"

#include "common/AnsiText.h"
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
    // Cut between characters: lstrcpynA would split a double-byte one.
    lstrcpyA(data.szInfoTitle, CutBetweenCharacters(title, sizeof data.szInfoTitle - 1).c_str());
    lstrcpyA(data.szInfo, CutBetweenCharacters(text, sizeof data.szInfo - 1).c_str());
    data.dwInfoFlags = NIIF_WARNING;
    return data;
}
