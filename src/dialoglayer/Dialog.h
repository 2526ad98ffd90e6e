#pragma once
// A small modal dialog class: the dialog procedure finds the C++ object from
// WM_INITDIALOG's parameter and routes every message to its virtual handlers.
#include "DataExchange.h"

#include <windows.h>

class CDialog {
public:
    // A dialog built from a template resource of the executable.
    CDialog(UINT templateId, HWND parent);
    // A dialog built from a template in memory (tests build their own).
    CDialog(const DLGTEMPLATE* templateData, HWND parent);
    virtual ~CDialog() = default;

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog's own modal loop until EndDialog; returns its result, or
    // -1 when the dialog could not be created.
    INT_PTR DoModal();

    HWND GetSafeHwnd() const { return m_hWnd; }
    void EndDialog(INT_PTR result);

    // Runs DoDataExchange in the given direction; false when a store failed.
    bool UpdateData(bool save);

protected:
    // Default: loads the controls. Returns TRUE to let the platform set focus.
    virtual BOOL OnInitDialog();
    // Default: stores the controls and ends with IDOK, unless the store failed.
    virtual void OnOK();
    // Default: ends with IDCANCEL.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange& dx);

    // The class's message table, walked before the defaults above. Return
    // true when the message was handled, with its result in `result`.
    virtual bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Called by a handler that wants the platform's default handling of the
    // message it was given after all (as if it had not been handled).
    void UseDefaultHandling() { m_useDefault = true; }

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId = 0;
    const DLGTEMPLATE* m_templateData = nullptr;
    HWND m_parent;
    bool m_useDefault = false;
};
