#pragma once
// Storing a step's target window and control, and finding them again in
// another program's window tree, whose handles change at every start.
#include "TargetRecords.h"

#include <windows.h>

// The WindowDescription of target's top-level window, or the broadcast
// record for HWND_BROADCAST. With no target, or one that is no longer a
// window, the empty record, which reads as absent.
std::string DescribeWindow(HWND target, bool withTitle);

// The TargetPath of `control` below `topWindow`. clickPoint, in screen
// coordinates, is the stored point when given, else the control's centre. No
// control, or one that is no longer a window, gives the empty path.
std::string DescribeTargetPath(HWND topWindow, HWND control, const POINT* clickPoint);

enum class WindowSearch { Absent, Broadcast, NotFound, Found };

struct FoundWindow {
    WindowSearch outcome = WindowSearch::Absent;
    HWND window = nullptr;
    int refWidth = 0;
    int refHeight = 0;
};

// Finds the top-level window of a decoded WindowDescription: by title when it
// has one (the class is then not used), else by class.
FoundWindow FindWindowByDescription(const std::string& record);

struct ResolvedTarget {
    HWND control = nullptr; // none: the caller falls back to the top-level window
    POINT point = {0, 0};   // in topWindow's client coordinates, at its current size
};

// Follows a TargetPath below topWindow. The point is scaled from the
// reference size to the window's current client size.
ResolvedTarget ResolvePath(HWND topWindow, const TargetPath& path, int refWidth, int refHeight);

// The n-th child of a window (1-based, hidden children counted), or null.
HWND NthChild(HWND parent, int n);

