#pragma once
// Posting to all top-level windows, Snap's own left out.
#include <windows.h>

// Posts the message to every top-level window that the platform's broadcast
// (HWND_BROADCAST) would reach, except the windows of this process: a
// broadcast of one of Snap's own commands (its tray menu's, OK, Cancel) must
// not end it, open its settings or start another run. Answers as PostMessageA
// does: FALSE, with the error of the first refusal, only when every window
// refused; single refusals (a window that closed meanwhile) are passed over.
BOOL PostToOtherPrograms(UINT message, WPARAM wParam, LPARAM lParam);
