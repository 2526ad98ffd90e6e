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
// The same two faces drawn for 125, 150 and 200 % display scaling
#define IDB_BUTTON_NORMAL_125 134
#define IDB_BUTTON_NORMAL_150 135
#define IDB_BUTTON_NORMAL_200 136
#define IDB_BUTTON_LITTLE_125 137
#define IDB_BUTTON_LITTLE_150 138
#define IDB_BUTTON_LITTLE_200 139

// Controls of the main window
#define IDC_SNAP_BUTTON 1000

// Notification-area icon and its menu
#define IDI_TRAY_ICON 102
#define ID_TRAY_SNAP 10000
#define ID_TRAY_SETUP 10001
#define ID_TRAY_CLOSE 10003

// Controls of the settings dialog
#define IDC_FUNCTION_NONE 1009
#define IDC_FUNCTION_CLICK 1010
#define IDC_FUNCTION_LAUNCHER 1019
#define IDC_SEARCH_TITLE 1020
#define IDC_RETURN_TO_LIVE 1021
#define IDC_LITTLE_ICON 1022
#define IDC_ACTION_LIST 1023
#define IDC_SYSTEM_TRAY 1024
#define IDC_BEEP 1025
#define IDC_LAUNCH_AT_STARTUP 1026
#define IDC_STEP_BY_STEP 1027
#define IDC_BROADCAST 1028
#define IDC_WPARAM 1030
#define IDC_LPARAM 1031
#define IDC_MESSAGE_LABEL 1032
#define IDC_WPARAM_LABEL 1033
#define IDC_LPARAM_LABEL 1034
#define IDC_MESSAGE 1035
#define IDC_FINDER 1036
#define IDC_TARGET_TEXT 1037
#define IDC_VIDEO_SOURCE_LABEL 1038
#define IDC_VIDEO_SOURCE 1039
#define IDC_TARGET_LABEL 1040
#define IDC_DELAY 1041
#define IDC_DELAY_LABEL 1042
#define IDC_APPLICATION_LABEL 1043
#define IDC_APPLICATION 1044
#define IDC_BROWSE 1045
#define IDC_PARAMETERS_LABEL 1046
#define IDC_PARAMETERS 1047
