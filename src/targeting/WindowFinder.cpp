// The window finder of the settings dialog: two rings where control 1036 sits;
// a drag from them collapses the dialog, frames the window under the cursor
// and makes it the shown action's target.
#include "dialoglayer/Handles.h"
#include "resources/resource.h"
#include "settingsdialog/DialogParamTapsync.h"

namespace {

// The window that carries the frame on the screen: one for the process.
HWND FramedWindow = nullptr;

constexpr int kOuterRingInset = 5;
constexpr int kInnerRingInset = 2;
constexpr int kFrameOutset = 2;
constexpr int kFrameWidth = 5;

RECT ClientRectOfControl(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Draws (or, drawn again, removes) the inverted frame around a window.
void DrawFrame(HDC screen, HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    InflateRect(&rect, kFrameOutset, kFrameOutset);
    Rectangle(screen, rect.left, rect.top, rect.right, rect.bottom);
}

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

LRESULT CDialogParamTapsync::OnFinderPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT ring = ClientRectOfControl(m_hWnd, IDC_FINDER);
    InflateRect(&ring, -kOuterRingInset, -kOuterRingInset);
    Ellipse(dc, ring.left, ring.top, ring.right, ring.bottom);
    InflateRect(&ring, -kInnerRingInset, -kInnerRingInset);
    Ellipse(dc, ring.left, ring.top, ring.right, ring.bottom);
    EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CDialogParamTapsync::OnFinderButtonDown(WPARAM, LPARAM) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    FinderState = -1;
    RECT target = {};
    GetWindowRect(GetDlgItem(m_hWnd, IDC_FINDER), &target);
    if (PtInRect(&target, cursor))
        FinderState = 0;
    if (FinderState == 0) {
        GetWindowRect(m_hWnd, &SavedDialogRect);
        // Out of the way of what the user is pointing at.
        MoveWindow(m_hWnd, SavedDialogRect.left, SavedDialogRect.top,
                   SavedDialogRect.right - SavedDialogRect.left, 0, TRUE);
        (void)DragDetect(m_hWnd, cursor); // takes and releases the capture itself
        SetCapture(m_hWnd);
        m_dragHasCapture = true;
    }
    UseDefaultHandling();
    return 0;
}

LRESULT CDialogParamTapsync::OnFinderMouseMove(WPARAM, LPARAM lParam) {
    UseDefaultHandling();
    if (GetCapture() != m_hWnd || FinderState == -1) {
        FramedWindow = nullptr;
        return 0;
    }
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(m_hWnd, &point);
    bool descended = false;
    const HWND candidate = WindowUnderPoint(point, &descended);
    if (!candidate)
        return 0;
    if (descended && candidate == FramedWindow)
        return 0; // still the same control: nothing to redraw

    HDC screen = GetDC(nullptr);
    const int previousMode = SetROP2(screen, R2_XORPEN);
    HGDIOBJ previousBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
    UniqueGdiObject pen(CreatePen(PS_SOLID, kFrameWidth, RGB(255, 255, 255)));
    HGDIOBJ previousPen = SelectObject(screen, pen.get());
    if (FramedWindow)
        DrawFrame(screen, FramedWindow);
    FramedWindow = candidate;
    TargetWindow = candidate;
    DrawFrame(screen, candidate);
    SelectObject(screen, previousBrush);
    SelectObject(screen, previousPen);
    SetROP2(screen, previousMode);
    ReleaseDC(nullptr, screen);
    ShowTargetText();
    return 0;
}

LRESULT CDialogParamTapsync::OnFinderButtonUp(WPARAM, LPARAM lParam) {
    if (GetCapture() == m_hWnd) {
        ClickPoint = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(m_hWnd, &ClickPoint);
        m_releasingCapture = true;
        ReleaseCapture();
        m_releasingCapture = false;
        EndDrag();
    }
    UseDefaultHandling();
    return 0;
}

LRESULT CDialogParamTapsync::OnCaptureChanged(WPARAM, LPARAM) {
    // Another program (or Esc, or a system dialog) took the mouse: end the
    // drag as a release would, keeping the click point as it was.
    if (m_dragHasCapture && !m_releasingCapture)
        EndDrag();
    UseDefaultHandling();
    return 0;
}

void CDialogParamTapsync::EndDrag() {
    m_dragHasCapture = false;
    InvalidateRect(nullptr, nullptr, FALSE); // every window repaints: no frame is left
    MoveWindow(m_hWnd, SavedDialogRect.left, SavedDialogRect.top,
               SavedDialogRect.right - SavedDialogRect.left,
               SavedDialogRect.bottom - SavedDialogRect.top, TRUE);
    FinderState = -1;
}
