#include "support/MainWindowHarness.h"
#include "resources/resource.h"
#include "settings/StoredText.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// The calls may come from a thread other than the test's.
std::mutex g_trayCallsLock;
std::condition_variable g_trayCallMade;
std::vector<TrayCall> g_trayCalls;

} // namespace

BOOL WINAPI RecordTrayCall(DWORD operation, PNOTIFYICONDATAA data) {
    {
        std::lock_guard<std::mutex> lock(g_trayCallsLock);
        g_trayCalls.push_back({operation, static_cast<UINT>(data->cbSize), data->uID, data->uFlags,
                               data->uCallbackMessage, data->uVersion, data->hIcon != nullptr,
                               operation == NIM_ADD ? std::string(data->szTip) : std::string(),
                               data->szInfoTitle, data->szInfo, data->dwInfoFlags});
    }
    g_trayCallMade.notify_all();
    return TRUE;
}

namespace {

std::function<bool()> g_check;
UINT_PTR g_checkTimer = 0;

void CALLBACK RunCheck(HWND, UINT, UINT_PTR, DWORD) {
    if (g_check && g_check()) {
        KillTimer(nullptr, g_checkTimer);
        g_check = nullptr;
    }
}

} // namespace

void MainWindowTest::SetUp() {
    DeleteFileA(SettingsFilePath().c_str());
    SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", m_cameraControl.Path().c_str());
    {
        std::lock_guard<std::mutex> lock(g_trayCallsLock);
        g_trayCalls.clear();
    }
    g_shellNotifyIcon = RecordTrayCall;
}

void MainWindowTest::TearDown() {
    g_shellNotifyIcon = Shell_NotifyIconA;
    DeleteFileA(SettingsFilePath().c_str());
}

std::vector<TrayCall> MainWindowTest::TrayCalls() {
    std::lock_guard<std::mutex> lock(g_trayCallsLock);
    return g_trayCalls;
}

std::vector<TrayCall>
MainWindowTest::WaitForTrayCalls(const std::function<bool(const std::vector<TrayCall>&)>& done) {
    std::unique_lock<std::mutex> lock(g_trayCallsLock);
    g_trayCallMade.wait_for(lock, std::chrono::seconds(30), [&] { return done(g_trayCalls); });
    return g_trayCalls;
}

std::string SoftPosEntry(const char* plain) {
    std::string key = "SoftPos", value = plain;
    EncodeStoredText(key);
    EncodeStoredText(value);
    return key + "=" + value + "\r\n";
}

void ChooseOptionsThenOk(HWND settings, bool toggleLittleIcon, bool toggleSystemTray) {
    auto click = [settings](int id) { SendDlgItemMessageA(settings, id, BM_CLICK, 0, 0); };
    if (toggleLittleIcon)
        click(IDC_LITTLE_ICON);
    if (toggleSystemTray)
        click(IDC_SYSTEM_TRAY);
    if (IsDlgButtonChecked(settings, IDC_LAUNCH_AT_STARTUP))
        click(IDC_LAUNCH_AT_STARTUP);
    click(IDC_BROADCAST);
    click(IDOK);
}

RECT WindowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

SIZE ClientSize(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT ChildRect(HWND child) {
    RECT rect = WindowRect(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void WhileLoopsRun(std::function<bool()> check) {
    g_check = std::move(check);
    g_checkTimer = SetTimer(nullptr, 0, 20, RunCheck);
}
