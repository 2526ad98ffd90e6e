// Broadcasting to every program but Snap.
#include "Broadcast.h"

namespace {

// The platform broadcasts only the system's message numbers and registered
// ones: numbers private to a window class or an application (WM_USER to
// 0xBFFF) mean something different to each program.
constexpr UINT kFirstRegisteredMessage = 0xC000;

bool IsBroadcastable(UINT message) {
    return message < WM_USER || message >= kFirstRegisteredMessage;
}

struct CBroadcast {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD ownProcess;
    bool accepted;
    bool refused;
    DWORD firstError;
};

BOOL CALLBACK PostToWindow(HWND window, LPARAM context) {
    CBroadcast& broadcast = *reinterpret_cast<CBroadcast*>(context);
    DWORD process = 0;
    // No owner: the window has closed since the list was taken.
    if (!GetWindowThreadProcessId(window, &process) || process == broadcast.ownProcess)
        return TRUE;
    // As the platform's broadcast: a top-level window with the child style
    // is passed over.
    if ((GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_CHILD)
        return TRUE;
    if (PostMessageA(window, broadcast.message, broadcast.wParam, broadcast.lParam)) {
        broadcast.accepted = true;
    } else if (!broadcast.refused) {
        broadcast.refused = true;
        broadcast.firstError = GetLastError();
    }
    return TRUE;
}

} // namespace

BOOL PostToOtherPrograms(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsBroadcastable(message))
        return TRUE; // as the platform: accepted, and posted to no one
    CBroadcast broadcast = {message, wParam, lParam, GetCurrentProcessId(), false, false, 0};
    // EnumWindows lists the desktop's top-level windows, hidden ones too,
    // but not the message-only ones, which the platform's broadcast leaves
    // out as well. Neither the list nor the owner and style asked of each
    // window sends a message, and a post never waits: a hung program cannot
    // hold Snap here.
    (void)EnumWindows(PostToWindow, reinterpret_cast<LPARAM>(&broadcast));
    if (broadcast.accepted || !broadcast.refused)
        return TRUE;
    SetLastError(broadcast.firstError);
    return FALSE;
}
