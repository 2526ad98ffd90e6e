#pragma once
// Telling whether the control a stored path leads to is still the control
// that was recorded, and finding that control where the application moved it.
#include "TargetRecords.h"

#include <windows.h>

// What `control` is, with the step's point (in top's client coordinates at
// its current size) as its offset in the control. Only child windows have an
// identity: a top-level window is found by its own record.
ControlIdentity IdentityOfControl(HWND top, HWND control, POINT pointInTop);

enum class IdentityMatch {
    AsRecorded, // the path leads to the recorded control
    CannotTell, // the identity cannot tell the controls apart: the path decides
    Moved,      // the path leads elsewhere; the one control of the identity is `control`
    Missing,    // no control of the identity is in the window
    Ambiguous,  // several are, and nothing tells them apart
};

struct IdentityCheck {
    IdentityMatch match = IdentityMatch::CannotTell;
    HWND control = nullptr; // where the step goes for AsRecorded and Moved
    int matches = 0;        // controls of the identity found by the search
};

// Checks the control the path leads to (`atPath`, or none) against the
// identity. The control's class and id are all that is read of it when they
// match; the window's descendants are searched only when they do not.
IdentityCheck CheckControlIdentity(HWND top, HWND atPath, const ControlIdentity& identity);

// The step's point for a control found elsewhere: its recorded offset in the
// control, scaled as the path's point is, in top's client coordinates.
POINT PointInMovedControl(HWND top, HWND control, const ControlIdentity& identity, int refWidth,
                          int refHeight);

// `[Button] "Capture" id 211`, as WindowInWords names a window.
std::string IdentityInWords(const ControlIdentity& identity);
