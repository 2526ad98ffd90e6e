#pragma once
// The "Settings" dialog (template 129), run modally by the main window.
#include "dialoglayer/Dialog.h"

class CDialogParamTapsync : public CDialog {
public:
    explicit CDialogParamTapsync(HWND parent);
};
