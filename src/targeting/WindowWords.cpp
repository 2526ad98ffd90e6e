#include "WindowWords.h"

#include "common/AnsiText.h"

namespace {

// A title is quoted up to this many bytes: the start names the window.
constexpr size_t kMostTitleBytes = 255;

} // namespace

std::string WindowInWords(HWND window) {
    if (!window)
        return "no window";
    if (window == HWND_BROADCAST)
        return "all top-level windows (broadcast)";
    if (!IsWindow(window))
        return "a window that has closed";
    char className[256] = "";
    (void)GetClassNameA(window, className, sizeof className);
    std::string words = "[" + OnOneLine(className) + "]";
    // For a window of another process GetWindowTextA reads the system's copy
    // of the text without a message (GetWindowTextLengthA would send one).
    // The system may end a text cut to the buffer in half a character: read
    // more than is quoted and cut it here, between two characters.
    char text[2 * kMostTitleBytes + 2] = "";
    (void)GetWindowTextA(window, text, sizeof text);
    words += " \"" + OnOneLine(CutBetweenCharacters(text, kMostTitleBytes)) + "\"";
    if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
        words += " id " + std::to_string(GetDlgCtrlID(window));
    return words;
}
