#include "Dialog.h"

#include <utility>

namespace {

// Messages whose result a dialog procedure returns itself rather than through
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::CDialog(const DLGTEMPLATE* templateData, HWND parent)
    : m_templateData(templateData), m_parent(parent) {}

INT_PTR CDialog::DoModal() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    if (m_templateData)
        return DialogBoxIndirectParamA(instance, m_templateData, m_parent, DialogProc, self);
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(m_templateId), m_parent, DialogProc, self);
}

void CDialog::EndDialog(INT_PTR result) { (void)::EndDialog(m_hWnd, result); }

bool CDialog::UpdateData(bool save) {
    CDataExchange dx(m_hWnd, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange&) {}

bool CDialog::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // Handlers may run nested modal loops: each message keeps its own flag.
    const bool outerUseDefault = std::exchange(m_useDefault, false);
    const bool handled = OnWindowMessage(message, wParam, lParam, result) && !m_useDefault;
    m_useDefault = outerUseDefault;
    if (handled) {
        if (ReturnsResultDirectly(message))
            return result;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 1) {
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return TRUE;
            }
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = window;
        SetWindowLongPtrA(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!self)
        return FALSE; // messages that come before WM_INITDIALOG
    // Nothing may unwind through the platform's code.
    try {
        const INT_PTR handled = self->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, DWLP_USER, 0);
            self->m_hWnd = nullptr;
        }
        return handled;
    } catch (...) {
        return FALSE;
    }
}
