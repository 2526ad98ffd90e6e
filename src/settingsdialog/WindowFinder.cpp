// The window finder of the settings dialog: two rings where control 1036 sits;
// a drag from them collapses the dialog, frames the window under the cursor
// and makes it the shown action's target.
#include "DialogParamTapsync.h"

#include "common/DisplayScale.h"
#include "resources/resource.h"
#include "targeting/ControlIdentity.h"
#include "targeting/WindowPicking.h"

namespace {

// The frame around the window under the cursor: one for the process.
CScreenFrame g_frame;

// At 100 %; the control grows with the dialog's scale, and so do they.
constexpr int kOuterRingInset = 5;
constexpr int kInnerRingInset = 2;

RECT ClientRectOfControl(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

LRESULT CDialogParamTapsync::OnFinderPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    const UINT dpi = DpiOfWindow(m_hWnd);
    const int outer = ScaleToDpi(kOuterRingInset, dpi), inner = ScaleToDpi(kInnerRingInset, dpi);
    RECT ring = ClientRectOfControl(m_hWnd, IDC_FINDER);
    InflateRect(&ring, -outer, -outer);
    Ellipse(dc, ring.left, ring.top, ring.right, ring.bottom);
    InflateRect(&ring, -inner, -inner);
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
        m_keepStoredTargetBeforeDrag = m_keepStoredTarget;
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
        g_frame.Forget();
        return 0;
    }
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(m_hWnd, &point);
    bool descended = false;
    const HWND candidate = WindowUnderPoint(point, &descended);
    if (!candidate)
        return 0;
    if (descended && candidate == g_frame.Framed())
        return 0; // still the same control: nothing to redraw
    g_frame.MoveTo(candidate);
    TargetWindow = candidate;
    m_keepStoredTarget = false; // a new choice replaces the stored one
    ShowTargetText();
    return 0;
}

LRESULT CDialogParamTapsync::OnFinderButtonUp(WPARAM, LPARAM lParam) {
    if (GetCapture() == m_hWnd) {
        ClickPoint = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(m_hWnd, &ClickPoint);
        m_releasedTarget = TargetWindow;
        m_releasedIdentity =
            IdentityOfControl(GetAncestor(TargetWindow, GA_ROOT), TargetWindow, {0, 0});
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
    // ends without a choice.
    if (m_dragHasCapture && !m_releasingCapture)
        CancelDrag();
    UseDefaultHandling();
    return 0;
}

void CDialogParamTapsync::CancelDrag() {
    // The target and its click point go back to what they were before the
    // drag, as a pair: the last window framed has no release point of its own.
    EndDrag();
    TargetWindow = m_targetBeforeDrag;
    ClickPoint = m_clickPointBeforeDrag;
    m_keepStoredTarget = m_keepStoredTargetBeforeDrag;
    SetDlgItemTextA(m_hWnd, IDC_TARGET_TEXT, m_targetTextBeforeDrag.c_str());
}

void CDialogParamTapsync::AbandonDrag() {
    if (!m_dragHasCapture)
        return;
    m_releasingCapture = true;
    ReleaseCapture();
    m_releasingCapture = false;
    CancelDrag();
}

void CDialogParamTapsync::EndDrag() {
    m_dragHasCapture = false;
    InvalidateRect(nullptr, nullptr, FALSE); // every window repaints: no frame is left
    g_frame.Forget();
    MoveWindow(m_hWnd, SavedDialogRect.left, SavedDialogRect.top,
               SavedDialogRect.right - SavedDialogRect.left,
               SavedDialogRect.bottom - SavedDialogRect.top, TRUE);
    FinderState = -1;
}
