#include "WindowPicking.h"

#include "common/DisplayScale.h"
#include "common/Handles.h"

namespace {

// At 100 %; taken to the scale of the framed window's monitor.
constexpr int kFrameOutset = 2;
constexpr int kFrameWidth = 5;

} // namespace

HWND WindowUnderPoint(POINT screen, bool* descended) {
    *descended = false;
    HWND window = WindowFromPoint(screen);
    if (!window)
        return nullptr;
    POINT point = screen;
    ScreenToClient(window, &point);
    HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
    if (!child)
        return window;
    *descended = true;
    while (child != window) {
        MapWindowPoints(window, child, &point, 1);
        window = child;
        child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
        if (!child)
            return nullptr;
    }
    MapWindowPoints(window, nullptr, &point, 1);
    // The later "siblings" of a top-level window are the windows of other
    // programs below it (the desktop's last of all): the user sees this one.
    if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        return window;
    // A control inside a group box comes after the box: the last visible
    // sibling under the point is the one the user sees.
    HWND candidate = window;
    for (HWND sibling = GetWindow(window, GW_HWNDNEXT); sibling;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT rect = {};
        GetWindowRect(sibling, &rect);
        if (IsWindowVisible(sibling) && PtInRect(&rect, point))
            candidate = sibling;
    }
    return candidate;
}

void CScreenFrame::MoveTo(HWND window) {
    if (m_framed)
        Draw(m_framed); // drawn again: gone
    m_framed = window;
    if (m_framed)
        Draw(m_framed);
}

void CScreenFrame::Draw(HWND window) {
    HDC screen = GetDC(nullptr);
    const int previousMode = SetROP2(screen, R2_XORPEN);
    HGDIOBJ previousBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
    const UINT dpi = DpiOfMonitorUnder(window);
    UniqueGdiObject pen(CreatePen(PS_SOLID, ScaleToDpi(kFrameWidth, dpi), RGB(255, 255, 255)));
    HGDIOBJ previousPen = SelectObject(screen, pen.get());
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int outset = ScaleToDpi(kFrameOutset, dpi);
    InflateRect(&rect, outset, outset);
    Rectangle(screen, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(screen, previousBrush);
    SelectObject(screen, previousPen);
    SetROP2(screen, previousMode);
    ReleaseDC(nullptr, screen);
}
