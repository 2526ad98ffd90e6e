#pragma once
// Resource, control and command ids. They are part of the program's interface
// (other tools and tests find the windows by them): never renumber.

// Dialog templates
#define IDD_TAPSYNC_DIALOG 102
#define IDD_PARAM_DIALOG 129

// Icons and bitmaps
#define IDR_MAINFRAME 129
#define IDB_BUTTON_NORMAL 130
#define IDB_BUTTON_LITTLE 133

// Controls of the main window
#define IDC_SNAP_BUTTON 1000

// Notification-area icon and its menu
#define IDI_TRAY_ICON 102
#define ID_TRAY_SNAP 10000
#define ID_TRAY_SETUP 10001
#define ID_TRAY_CLOSE 10003
