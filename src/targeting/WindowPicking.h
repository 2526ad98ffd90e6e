#pragma once
// Picking a window on the screen by pointing at it, and framing it there so
// the user sees what is picked.
#include <windows.h>

// The window the finder takes at a screen point: the deepest visible child
// there, or a later visible sibling of that child that also holds the point;
// the top-level window itself where no child is. Tells whether it descended
// into the client area (false: the point is outside it).
HWND WindowUnderPoint(POINT screen, bool* descended);

// An inverted frame around one window at a time, drawn on the screen: drawn
// again at the same place, it is gone. One exists for the process.
class CScreenFrame {
public:
    // Moves the frame to `window` (none: takes it away).
    void MoveTo(HWND window);
    // The frame is no longer on the screen (the screen was repainted).
    void Forget() { m_framed = nullptr; }
    HWND Framed() const { return m_framed; }

private:
    static void Draw(HWND window);
    HWND m_framed = nullptr;
};
