#include "DialogParamTapsync.h"

#include "resources/resource.h"

CDialogParamTapsync::CDialogParamTapsync(HWND parent) : CDialog(IDD_PARAM_DIALOG, parent) {}
