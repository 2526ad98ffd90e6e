#include "TapsyncDlg.h"

#include "common/PlatformLayout.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"

const MessageEntry<CTapsyncDlg> CTapsyncDlg::kMessageTable[] = {
    OnMessage(WM_QUERYDRAGICON, &CTapsyncDlg::OnQueryDragIcon),
    OnMessage(WM_DESTROY, &CTapsyncDlg::OnDestroy),
    OnCommand(ID_TRAY_SNAP, &CTapsyncDlg::OnSnap),
    OnCommand(ID_TRAY_SETUP, &CTapsyncDlg::OnSetup),
    OnCommand(ID_TRAY_CLOSE, &CTapsyncDlg::OnQuit),
};

CTapsyncDlg::CTapsyncDlg(HWND parent) : CDialog(IDD_TAPSYNC_DIALOG, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_pollTimerId = 0;
    m_stepTimerId = 0;
    m_pfnCameraButton = nullptr;
    m_hCameraLibrary.reset(LoadCameraButtonLibrary());
    if (m_hCameraLibrary)
        m_pfnCameraButton = reinterpret_cast<CameraButtonProc>(
            reinterpret_cast<void*>(GetProcAddress(m_hCameraLibrary.get(), kCameraButtonExport)));
}

bool CTapsyncDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageTable(this, kMessageTable, message, wParam, lParam, result);
}

BOOL CTapsyncDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // Without the camera button there is nothing to do: end before anything
    // is saved. The window is destroyed once initialisation returns.
    if (!m_pfnCameraButton)
        EndDialog(IDCANCEL);

    m_sequenceRunning = false;
    m_stepIndex = 0;
    return TRUE;
}

void CTapsyncDlg::OnCancel() {
    SaveWindowPlacement();
    EndDialog(IDCANCEL);
}

void CTapsyncDlg::OnSnap() {}

void CTapsyncDlg::OnSetup() {}

void CTapsyncDlg::OnQuit() { OnCancel(); }

void CTapsyncDlg::SaveWindowPlacement() {
    WINDOWPLACEMENT placement = {};
    placement.length = kWindowPlacementSize;
    (void)GetWindowPlacement(m_hWnd, &placement);
    const struct {
        const char* key;
        LONG value;
    } fields[] = {
        {"length", static_cast<LONG>(placement.length)},
        {"flags", static_cast<LONG>(placement.flags)},
        {"showCmd", static_cast<LONG>(placement.showCmd)},
        {"ptMinPosition.x", placement.ptMinPosition.x},
        {"ptMinPosition.y", placement.ptMinPosition.y},
        {"ptMaxPosition.x", placement.ptMaxPosition.x},
        {"ptMaxPosition.y", placement.ptMaxPosition.y},
        {"rcNormalPosition.top", placement.rcNormalPosition.top},
        {"rcNormalPosition.left", placement.rcNormalPosition.left},
        {"rcNormalPosition.bottom", placement.rcNormalPosition.bottom},
        {"rcNormalPosition.right", placement.rcNormalPosition.right},
    };
    for (const auto& field : fields)
        WriteSettingInt(kSectionPlacement, field.key, field.value);
}

LRESULT CTapsyncDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CTapsyncDlg::OnDestroy(WPARAM, LPARAM) {
    if (m_pollTimerId)
        KillTimer(m_hWnd, m_pollTimerId);
    if (m_stepTimerId)
        KillTimer(m_hWnd, m_stepTimerId);
    m_hCameraLibrary.reset();
    return 0;
}
