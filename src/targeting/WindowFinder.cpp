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
    UseDefaultHandling();
    // A press during a drag belongs to it, and its release ends it. After a
    // click on the rings without moving, the drag holds the mouse with the
    // button up; starting again would save the folded dialog as the size to
    // give back.
    if (FinderState == 0)
        return 0;
    POINT cursor = {};
    GetCursorPos(&cursor);
    FinderState = -1;
    RECT target = {};
    GetWindowRect(GetDlgItem(m_hWnd, IDC_FINDER), &target);
    if (PtInRect(&target, cursor))
        FinderState = 0;
    if (FinderState == 0) {
        GetWindowRect(m_hWnd, &SavedDialogRect);
        m_targetBeforeDrag = TargetWindow;
        m_clickPointBeforeDrag = ClickPoint;
        m_targetTextBeforeDrag = WindowText(GetDlgItem(m_hWnd, IDC_TARGET_TEXT));
        // Out of the way of what the user is pointing at.
        MoveWindow(m_hWnd, SavedDialogRect.left, SavedDialogRect.top,
                   SavedDialogRect.right - SavedDialogRect.left, 0, TRUE);
        // DragDetect takes and releases the capture itself. When the button
        // comes up before the pointer has left the drag rectangle, it keeps
        // the release: the click without moving has ended the drag already.
        // Capturing the mouse then would leave the dialog folded, with no
        // release to come.
        if (!DragDetect(m_hWnd, cursor)) {
            EndDrag();
            return 0;
        }
        SetCapture(m_hWnd);
        m_dragHasCapture = true;
    }
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
    // Another program (or Esc, or a system dialog) took the mouse: the drag
    // ends without a choice. The target and its click point go back to what
    // they were before it, as a pair: the last window framed has no release
    // point of its own.
    if (m_dragHasCapture && !m_releasingCapture) {
        EndDrag();
        TargetWindow = m_targetBeforeDrag;
        ClickPoint = m_clickPointBeforeDrag;
        SetDlgItemTextA(m_hWnd, IDC_TARGET_TEXT, m_targetTextBeforeDrag.c_str());
    }
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
