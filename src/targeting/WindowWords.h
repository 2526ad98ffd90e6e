#pragma once
// Another program's windows named for a person reading a log.
#include <windows.h>

#include <string>

// Class, text and, for a child window, its control id: `[Button] "Capture" id
// 1001`, on one line, a long text cut to its start. The text is what the
// system keeps for the window: nothing is sent to its program, so a hung
// application cannot hold the caller.
std::string WindowInWords(HWND window);
