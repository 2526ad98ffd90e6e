#include "TapsyncDlg.h"

#include "TrayIcon.h"
#include "common/DisplayScale.h"
#include "common/PlatformLayout.h"
#include "resources/resource.h"
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"
#include "settingsdialog/DialogParamTapsync.h"

#include <cstdio>

namespace {

// Client sizes of the window and how far the button reaches past each edge,
// so that its frame lies outside the visible area and the bitmap fills it.
// All at 100 %; the window takes them to its display scale.
constexpr int kNormalClientSize = 48;
constexpr int kLittleClientSize = 32;
constexpr int kButtonOverhang = 5;

bool LittleIcon() { return ReadSettingInt(kSectionParam, "LittleIcon", 0) != 0; }
int ClientSize(UINT dpi) {
    return ScaleToDpi(LittleIcon() ? kLittleClientSize : kNormalClientSize, dpi);
}

// The faces drawn for each display scale, smallest first, by their size in
// pixels. Between two scales the window shows the larger face that still
// fits, centred: a face is never stretched.
struct Face {
    int size;
    UINT bitmapId;
};
constexpr Face kNormalFaces[] = {{48, IDB_BUTTON_NORMAL},
                                 {60, IDB_BUTTON_NORMAL_125},
                                 {72, IDB_BUTTON_NORMAL_150},
                                 {96, IDB_BUTTON_NORMAL_200}};
constexpr Face kLittleFaces[] = {{32, IDB_BUTTON_LITTLE},
                                 {40, IDB_BUTTON_LITTLE_125},
                                 {48, IDB_BUTTON_LITTLE_150},
                                 {64, IDB_BUTTON_LITTLE_200}};

UINT FaceFor(int clientSize, bool little) {
    const auto& faces = little ? kLittleFaces : kNormalFaces;
    UINT chosen = faces[0].bitmapId;
    for (const Face& face : faces)
        if (face.size <= clientSize)
            chosen = face.bitmapId;
    return chosen;
}

// The shell sends this when the taskbar is (re)created, for instance after
// Explorer restarted: the icon must then be added again.
const UINT kTaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

} // namespace

const MessageEntry<CTapsyncDlg> CTapsyncDlg::kMessageTable[] = {
    OnMessage(WM_PAINT, &CTapsyncDlg::OnPaint),
    OnMessage(WM_QUERYDRAGICON, &CTapsyncDlg::OnQueryDragIcon),
    OnMessage(WM_DESTROY, &CTapsyncDlg::OnDestroy),
    OnMessage(WM_TIMER, &CTapsyncDlg::OnTimer),
    OnControl(BN_CLICKED, IDC_SNAP_BUTTON, &CTapsyncDlg::OnButtonClicked),
    OnMessage(WM_TRAYICON, &CTapsyncDlg::OnTrayIcon),
    OnMessage(WM_DPICHANGED, &CTapsyncDlg::OnDpiChanged),
    OnCommand(ID_TRAY_SNAP, &CTapsyncDlg::OnTraySnap),
    OnCommand(ID_TRAY_SETUP, &CTapsyncDlg::OnSetup),
    OnCommand(ID_TRAY_CLOSE, &CTapsyncDlg::OnQuit),
};

CTapsyncDlg::CTapsyncDlg(HWND parent) : CDialog(IDD_TAPSYNC_DIALOG, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_pollTimerId = 0;
    m_stepTimerId = 0;
    m_pfnCameraButton = nullptr;
    m_hCameraLibrary.reset(LoadCameraButtonLibrary(&m_refusedLibrary));
    if (m_hCameraLibrary)
        m_pfnCameraButton = reinterpret_cast<CameraButtonProc>(
            reinterpret_cast<void*>(GetProcAddress(m_hCameraLibrary.get(), kCameraButtonExport)));
}

bool CTapsyncDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == kTaskbarCreatedMessage && message != 0) {
        AddTrayIcon();
        result = 0;
        return true;
    }
    return DispatchMessageTable(this, kMessageTable, message, wParam, lParam, result);
}

BOOL CTapsyncDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // Without the camera button there is nothing to do: end before anything
    // is saved. The window is destroyed once initialisation returns.
    LogCameraLibrary();
    if (!m_pfnCameraButton)
        EndDialog(IDCANCEL);

    // The dialog manager's size, before any placement changes it.
    const SIZE templateClient = ClientAreaSize();
    const bool migratedPosition = RestorePosition();
    // The scale of the place the window now stands: a placement on another
    // monitor brings it to that monitor's scale.
    m_dpi = DpiOfWindow(m_hWnd);
    ApplyButtonFace();
    if (migratedPosition || !ClientFits(templateClient))
        ResizeClientArea(0);
    PlaceButton();
    m_run.Reset();
    AddTrayIcon();
    StartPolling(kFirstPollMs);
    return TRUE;
}

void CTapsyncDlg::ApplyButtonFace() {
    const UINT bitmapId = FaceFor(ClientSize(m_dpi), LittleIcon());
    HBITMAP face = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId));
    SendDlgItemMessageA(m_hWnd, IDC_SNAP_BUTTON, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(face));
    // The button does not own its image: keep the current one alive, free the last.
    m_buttonFace.reset(face);
}

bool CTapsyncDlg::RestorePosition() {
    if (ReadSettingInt(kSectionPlacement, "length", 0) != 0) {
        WINDOWPLACEMENT placement = {};
        auto read = [](const char* key) { return ReadSettingInt(kSectionPlacement, key, 0); };
        placement.length = static_cast<UINT>(read("length"));
        placement.flags = static_cast<UINT>(read("flags"));
        placement.showCmd = static_cast<UINT>(read("showCmd"));
        placement.ptMinPosition = {read("ptMinPosition.x"), read("ptMinPosition.y")};
        placement.ptMaxPosition = {read("ptMaxPosition.x"), read("ptMaxPosition.y")};
        placement.rcNormalPosition.top = read("rcNormalPosition.top");
        placement.rcNormalPosition.left = read("rcNormalPosition.left");
        placement.rcNormalPosition.bottom = read("rcNormalPosition.bottom");
        placement.rcNormalPosition.right = read("rcNormalPosition.right");
        placement.showCmd = SW_RESTORE; // never come back minimised or maximised
        (void)SetWindowPlacement(m_hWnd, &placement);
        return false;
    }

    // A position carried over from the older registry profile, if any.
    const std::string position = ReadStoredText(kSectionParam, "SoftPos");
    if (position.empty())
        return false; // the template's position and size
    int x = 0, y = 0;
    (void)std::sscanf(position.c_str(), "%d;%d", &x, &y);
    if (x < 0)
        x = 0;
    if (y < 0)
        y = 0;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return true;
}

SIZE CTapsyncDlg::ClientAreaSize() const {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    return {client.right - client.left, client.bottom - client.top};
}

bool CTapsyncDlg::ClientFits(SIZE templateClient) const {
    // A placement stored at another scale brings back the window of that
    // scale: larger or smaller than this scale's face. At 100 % the
    // template's own size stays, as it always has; scaled, the dialog
    // manager's size does not fit the face.
    const SIZE client = ClientAreaSize();
    const int face = ClientSize(m_dpi);
    if (client.cx == face && client.cy == face)
        return true;
    return m_dpi == kDefaultDpi && client.cx == templateClient.cx && client.cy == templateClient.cy;
}

void CTapsyncDlg::ResizeClientArea(UINT flags) {
    RECT client, window;
    GetClientRect(m_hWnd, &client);
    GetWindowRect(m_hWnd, &window);
    const int size = ClientSize(m_dpi);
    const int width = size + (window.right - window.left) - (client.right - client.left);
    const int height = size + (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | flags);
}

void CTapsyncDlg::PlaceButton() {
    const int overhang = ScaleToDpi(kButtonOverhang, m_dpi);
    const int size = ClientSize(m_dpi) + 2 * overhang;
    MoveWindow(GetDlgItem(m_hWnd, IDC_SNAP_BUTTON), -overhang, -overhang, size, size, TRUE);
}

LRESULT CTapsyncDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    // Moved to a monitor of another scale: take the rectangle the system
    // suggests, then fit the client area to the face of the new scale, whose
    // frame need not have grown in the same proportion.
    m_dpi = LOWORD(wParam);
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyButtonFace();
    ResizeClientArea(SWP_NOACTIVATE);
    PlaceButton();
    return 0;
}

void CTapsyncDlg::StartPolling(UINT intervalMs) {
    m_pollTimerId = SetTimer(m_hWnd, PollTimerId, intervalMs, nullptr);
}

void CTapsyncDlg::AddTrayIcon() {
    NOTIFYICONDATAA data = TrayIconData(m_hWnd, 0);
    data.uVersion = kTrayIconVersion;
    m_trayIconCalls.Call(NIM_SETVERSION, data);

    data = TrayIconData(m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    // Added again after an Explorer restart, the icon keeps the callback in
    // force: while the settings are open, its clicks stay ignored.
    data.uCallbackMessage = m_trayCallback;
    data.hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    lstrcpynA(data.szTip, "Snap", sizeof data.szTip);
    m_trayIconCalls.Call(NIM_ADD, data);
}

void CTapsyncDlg::SetTrayCallback(UINT message) {
    m_trayCallback = message;
    NOTIFYICONDATAA data = TrayIconData(m_hWnd, NIF_MESSAGE);
    data.uCallbackMessage = message;
    m_trayIconCalls.Call(NIM_MODIFY, data);
}

LRESULT CTapsyncDlg::OnTrayIcon(WPARAM, LPARAM lParam) {
    // The icon's callback is switched away while the settings are open, but
    // through the shell's own queue: a click that came before the switch
    // must not open a second "Settings" or close the window under the first.
    if (m_settingsOpen || (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN))
        return 0;
    UniqueMenu menu(CreateTrayMenu());
    const DWORD position = GetMessagePos();
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(m_hWnd);
    TrackPopupMenu(menu.get(), TPM_CENTERALIGN, static_cast<short>(LOWORD(position)),
                   static_cast<short>(HIWORD(position)), 0, m_hWnd, nullptr);
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
    return 0;
}

void CTapsyncDlg::OnButtonClicked() {
    // The first answer only clears the "pressed since the last query" bit.
    (void)GetAsyncKeyState(VK_CONTROL);
    if (GetAsyncKeyState(VK_CONTROL) != 0) {
        OnSetup();
    } else {
        OnButtonSnap();
    }
}

void CTapsyncDlg::OnCancel() {
    SaveWindowPlacement();
    EndDialog(IDCANCEL);
}

void CTapsyncDlg::OnSetup() {
    if (m_pollTimerId)
        KillTimer(m_hWnd, m_pollTimerId);
    m_pollTimerId = 0;
    ShowWindow(m_hWnd, SW_HIDE);
    // Nothing pops up over the settings, not even a notice from before.
    m_trayIconCalls.DropBalloons();
    SetTrayCallback(WM_TRAYICON_IGNORED);
    m_settingsOpen = true;
    {
        CDialogParamTapsync dialog(m_hWnd);
        WriteLogLine(dialog.DoModal() == IDOK
                         ? "settings saved (OK in \"Settings\")"
                         : "settings cancelled: the settings as they were before put back");
    }
    m_settingsOpen = false;
    SetTrayCallback(WM_TRAYICON);
    if (ReadSettingInt(kSectionParam, "PutInSysTray", 0) == 0)
        ShowWindow(m_hWnd, SW_SHOW);
    ApplyButtonFace();
    ResizeClientArea(0);
    PlaceButton();
    StartPolling(kFirstPollMs);
}

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
    // Every step saves the placement, and a write costs three times a read:
    // only what a reader would see changed is written, in the same order, so
    // the file ends the same.
    const std::string stored = ReadSettingSection(kSectionPlacement);
    for (const auto& field : fields) {
        std::string value;
        if (!FindSectionValue(stored, field.key, &value) || value != std::to_string(field.value))
            WriteSettingInt(kSectionPlacement, field.key, field.value);
    }
}

LRESULT CTapsyncDlg::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(m_hWnd)) {
        UseDefaultHandling();
        return 0;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CTapsyncDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

LRESULT CTapsyncDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (!HandleTimer(wParam))
        UseDefaultHandling();
    return 0;
}

LRESULT CTapsyncDlg::OnDestroy(WPARAM, LPARAM) {
    m_trayIconCalls.Remove(TrayIconData(m_hWnd, 0));
    if (m_pollTimerId)
        KillTimer(m_hWnd, m_pollTimerId);
    if (m_stepTimerId)
        KillTimer(m_hWnd, m_stepTimerId);
    m_hCameraLibrary.reset();
    UseDefaultHandling();
    return 0;
}
