#include "WindowWords.h"

std::string WindowInWords(HWND window) {
    if (!window)
        return "no window";
    if (window == HWND_BROADCAST)
        return "all top-level windows (broadcast)";
    if (!IsWindow(window))
        return "a window that has closed";
    char className[256] = "";
    (void)GetClassNameA(window, className, sizeof className);
    std::string words = std::string("[") + className + "]";
    // For a window of another process GetWindowTextA reads the system's copy
    // of the text without a message (GetWindowTextLengthA would send one);
    // a log line needs no more than its start.
    char text[256] = "";
    (void)GetWindowTextA(window, text, sizeof text);
    words += std::string(" \"") + text + "\"";
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
        words += " id " + std::to_string(GetDlgCtrlID(window));
    return words;
}
