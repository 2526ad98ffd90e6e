#pragma once
// The notification-area icon of the main window.
#include <windows.h>
#include <shellapi.h>

#include <string>

// The private message the icon sends its window, and the one it is switched to
// while the settings dialog is open: a number the window does not handle, so
// clicks on the icon do nothing meanwhile.
constexpr UINT WM_TRAYICON = 0x8001;
constexpr UINT WM_TRAYICON_IGNORED = 0x802A;
constexpr UINT kTrayIconVersion = 3; // NOTIFYICON_VERSION

// Every change of the icon goes through this pointer (Shell_NotifyIconA), on
// the thread of CTrayIconCalls; tests put a recorder in its place while no
// window is up.
using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
extern ShellNotifyIconFn g_shellNotifyIcon;

// Icon data for the main window's icon, with the layout size every call uses.
NOTIFYICONDATAA TrayIconData(HWND window, UINT flags);

// The tray menu's entries in order: "Snap", "Setup", a separator, "Close".
HMENU CreateTrayMenu();

// The change (NIM_MODIFY) that shows `text` in a warning balloon from the main
// window's icon, under `title`. Text beyond the balloon's room is cut.
NOTIFYICONDATAA TrayWarningData(HWND window, const std::string& title, const std::string& text);
