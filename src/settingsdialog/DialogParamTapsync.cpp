#include "DialogParamTapsync.h"

#include "VideoSourceList.h"
#include "common/ModulePaths.h"
#include "common/Handles.h"
#include "engine/ActionStep.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "targeting/ControlIdentity.h"
#include "targeting/TargetPaths.h"

#include <commdlg.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Snap";
constexpr UINT kFunctionBase = 1010; // radio id - stored type
// The settings file gives back at most this much of a text.
constexpr WPARAM kMaxTextLength = 255;

// The open-file dialog's buffer: longer than any path it can give.
constexpr size_t kMaxChosenPath = 32768;

const char kWarning[] = "WARNING: The external imaging application is not running.\n"
                        "Are you sure you want to enter settings?\n"
                        "If yes, you may loose your current parameters.";

HWND TopLevelOf(HWND window) {
    while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        window = GetParent(window);
    return window;
}

// The target is another program's window, and that program may be hung:
// its text is asked for with a bound, and is empty when no answer comes.
constexpr UINT kWindowTextTimeoutMs = 200;

std::string WindowTextOf(HWND window) {
    char text[256] = "";
    DWORD_PTR length = 0;
    // Blocking: no other message of the dialog runs while it waits.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_BLOCK | SMTO_ABORTIFHUNG, kWindowTextTimeoutMs, &length))
        return std::string();
    text[sizeof text - 1] = '\0';
    return text;
}

void SetReadOnlyText(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
}

} // namespace

int ParseNumberBox(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(begin, &end, 10);
    while (*end == ' ' || *end == '\t')
        ++end;
    if (end == begin || *end != '\0' || errno == ERANGE || number < INT_MIN ||
        number > static_cast<long long>(UINT_MAX))
        return 0;
    return static_cast<int>(static_cast<unsigned>(number)); // 4294967295 is -1
}

const MessageEntry<CDialogParamTapsync> CDialogParamTapsync::kMessageTable[] = {
    OnMessage(WM_LBUTTONDOWN, &CDialogParamTapsync::OnFinderButtonDown),
    OnMessage(WM_LBUTTONUP, &CDialogParamTapsync::OnFinderButtonUp),
    OnMessage(WM_MOUSEMOVE, &CDialogParamTapsync::OnFinderMouseMove),
    OnControlRange(BN_CLICKED, IDC_FUNCTION_NONE, IDC_FUNCTION_LAUNCHER,
                   &CDialogParamTapsync::OnFunctionRadio),
    OnMessage(WM_PAINT, &CDialogParamTapsync::OnFinderPaint),
    OnMessage(WM_CAPTURECHANGED, &CDialogParamTapsync::OnCaptureChanged),
    OnControl(CBN_SELENDOK, IDC_ACTION_LIST, &CDialogParamTapsync::OnActionSelected),
    OnControl(CBN_DROPDOWN, IDC_ACTION_LIST, &CDialogParamTapsync::SaveActionStep),
    OnControl(BN_CLICKED, IDC_BROWSE, &CDialogParamTapsync::OnBrowseApplication),
    OnControl(BN_CLICKED, IDC_BROADCAST, &CDialogParamTapsync::OnBroadcastClicked),
};

CDialogParamTapsync::CDialogParamTapsync(HWND parent) : CDialog(IDD_PARAM_DIALOG, parent) {}

bool CDialogParamTapsync::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
    return DispatchMessageTable(this, kMessageTable, message, wParam, lParam, result);
}

bool CDialogParamTapsync::Checked(int id) const {
    return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void CDialogParamTapsync::SetChecked(int id, bool checked) {
    CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogParamTapsync::DoDataExchange(CDataExchange& dx) {
    VideoSourceCombo = GetDlgItem(m_hWnd, IDC_VIDEO_SOURCE);
    ActionCombo = GetDlgItem(m_hWnd, IDC_ACTION_LIST);
    if (dx.Saving())
        StoreControls(dx);
    else
        LoadControls(dx);
}

void CDialogParamTapsync::LoadControls(CDataExchange&) {
    FillVideoSourceList(VideoSourceCombo);
    ParamSnapshot = ReadSettingSection(kSectionParam);
    ActionSnapshot = ReadSettingSection(kSectionAction);
    VideoSnapshot = ReadSettingSection(kSectionVideo);

    for (int step = 1; step <= kStepCount; ++step) {
        char entry[16];
        std::snprintf(entry, sizeof entry, "Action #%2.2d", step);
        SendMessageA(ActionCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageA(ActionCombo, CB_SETCURSEL, 0, 0);
    ShowWindow(GetDlgItem(m_hWnd, IDC_FUNCTION_NONE), SW_HIDE);
    SendDlgItemMessageA(m_hWnd, IDC_APPLICATION, EM_LIMITTEXT, kMaxTextLength, 0);
    SendDlgItemMessageA(m_hWnd, IDC_PARAMETERS, EM_LIMITTEXT, kMaxTextLength, 0);

    SetChecked(IDC_RETURN_TO_LIVE, ReadSettingInt(kSectionAction, "BTLive", 0) != 0);
    SetChecked(IDC_SEARCH_TITLE, false);
    SetChecked(IDC_BROADCAST, false);
    LoadActionStep(0);

    // The first step names a window that is not there (or whose control is
    // not): the user is about to edit blind, and may prefer not to.
    const WindowSearch outcome =
        FindWindowByDescription(ReadActionStep(0).windowDescription).outcome;
    const bool namesAWindow = outcome == WindowSearch::Found || outcome == WindowSearch::NotFound;
    const bool targetShown = TargetWindow && GetWindowTextLengthA(GetDlgItem(m_hWnd, IDC_TARGET_TEXT)) > 0;
    if (namesAWindow && !targetShown &&
        MessageBoxA(m_hWnd, kWarning, ApplicationName().c_str(), MB_YESNO | MB_ICONHAND) == IDNO)
        EndDialog(IDCANCEL);

    SetChecked(IDC_LITTLE_ICON, ReadSettingInt(kSectionParam, "LittleIcon", 0) != 0);
    // A non-zero "NoBeep" makes the steps beep (files written before kept
    // that meaning), so "No beep on action" is ticked when it is 0 or absent.
    SetChecked(IDC_BEEP, ReadSettingInt(kSectionParam, "NoBeep", 0) == 0);
    SetChecked(IDC_SYSTEM_TRAY, ReadSettingInt(kSectionParam, "PutInSysTray", 0) != 0);
    SetChecked(IDC_STEP_BY_STEP, ReadSettingInt(kSectionParam, "StepByStep", 0) != 0);
    SetChecked(IDC_LAUNCH_AT_STARTUP, IsRegisteredAtStartup());
    // Signed, so that whatever is shown is stored back unchanged.
    SetDlgItemInt(m_hWnd, IDC_DELAY,
                  static_cast<UINT>(ReadSettingInt(kSectionParam, "Delay", kDefaultDelayMs)), TRUE);
}

void CDialogParamTapsync::StoreControls(CDataExchange& dx) {
    AbandonDrag();
    // A picked window that has closed since is no target: say so in the box
    // rather than store a step that names nothing.
    if (TargetWindow && TargetWindow != HWND_BROADCAST && !IsWindow(TargetWindow)) {
        TargetWindow = nullptr;
        ShowTargetText();
    }
    const bool hasTarget =
        TargetWindow == HWND_BROADCAST ||
        (TargetWindow && GetWindowTextLengthA(GetDlgItem(m_hWnd, IDC_TARGET_TEXT)) > 0);
    if (!hasTarget) {
        dx.Refuse(); // the user must pick a target or Broadcast first
        return;
    }
    SaveActionStep();
    WriteSettingInt(kSectionParam, "LittleIcon", Checked(IDC_LITTLE_ICON));
    WriteSettingInt(kSectionParam, "NoBeep", Checked(IDC_BEEP) ? 0 : 1);
    WriteSettingInt(kSectionParam, "PutInSysTray", Checked(IDC_SYSTEM_TRAY));
    WriteSettingInt(kSectionParam, "StepByStep", Checked(IDC_STEP_BY_STEP));
    UpdateStartupRegistration(Checked(IDC_LAUNCH_AT_STARTUP));
    BOOL translated = FALSE;
    const int delay = static_cast<int>(GetDlgItemInt(m_hWnd, IDC_DELAY, &translated, TRUE));
    WriteSettingInt(kSectionParam, "Delay", translated ? delay : 0);
}

void CDialogParamTapsync::OnCancel() {
    AbandonDrag();
    // Every section the dialog may have written goes back as it was.
    RestoreSettingSection(kSectionParam, ParamSnapshot);
    RestoreSettingSection(kSectionAction, ActionSnapshot);
    RestoreSettingSection(kSectionVideo, VideoSnapshot);
    EndDialog(IDCANCEL);
}

UINT CDialogParamTapsync::CheckedFunction() const {
    for (UINT id = IDC_FUNCTION_NONE; id <= IDC_FUNCTION_LAUNCHER; ++id)
        if (IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            return id;
    return 0;
}

void CDialogParamTapsync::OnFunctionRadio(UINT id) {
    CheckRadioButton(m_hWnd, IDC_FUNCTION_NONE, IDC_FUNCTION_LAUNCHER, id);
    const UINT checked = CheckedFunction();
    const int kind = checked ? static_cast<int>(checked - kFunctionBase) : INT_MIN;
    const bool message = kind == static_cast<int>(ActionType::SendCustomMessage);
    const bool parameters = message || kind == static_cast<int>(ActionType::SendCommand);
    const bool launcher = kind == static_cast<int>(ActionType::ExternalLauncher);
    const struct {
        int id;
        bool shown;
    } controls[] = {
        {IDC_MESSAGE_LABEL, message},      {IDC_MESSAGE, message},
        {IDC_WPARAM_LABEL, parameters},    {IDC_WPARAM, parameters},
        {IDC_LPARAM_LABEL, parameters},    {IDC_LPARAM, parameters},
        {IDC_APPLICATION_LABEL, launcher}, {IDC_APPLICATION, launcher},
        {IDC_BROWSE, launcher},            {IDC_PARAMETERS_LABEL, launcher},
        {IDC_PARAMETERS, launcher},
    };
    for (const auto& control : controls)
        ShowWindow(GetDlgItem(m_hWnd, control.id), control.shown ? SW_SHOW : SW_HIDE);
}

void CDialogParamTapsync::OnActionSelected() {
    const LRESULT selected = SendMessageA(ActionCombo, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < kStepCount)
        LoadActionStep(static_cast<int>(selected));
}

void CDialogParamTapsync::LoadActionStep(int index) {
    ShowWindow(GetDlgItem(m_hWnd, IDC_FUNCTION_NONE), index != 0 ? SW_SHOW : SW_HIDE);
    const ActionStep step = ReadActionStep(index);
    CheckRadioButton(m_hWnd, IDC_FUNCTION_NONE, IDC_FUNCTION_LAUNCHER,
                     static_cast<UINT>(step.type + static_cast<int>(kFunctionBase)));
    OnFunctionRadio(CheckedFunction());

    const struct {
        int id;
        int value;
    } numbers[] = {{IDC_MESSAGE, step.messageStored ? step.message : 0},
                   {IDC_WPARAM, step.wParam},
                   {IDC_LPARAM, step.lParam}};
    for (const auto& number : numbers)
        SetDlgItemInt(m_hWnd, number.id, static_cast<UINT>(number.value), TRUE);
    SetDlgItemTextA(m_hWnd, IDC_APPLICATION, step.program.c_str());
    SetDlgItemTextA(m_hWnd, IDC_PARAMETERS, step.parameters.c_str());

    const FoundWindow found = FindWindowByDescription(step.windowDescription);
    switch (found.outcome) {
    case WindowSearch::Absent:
        break; // the previous step's target stays shown
    case WindowSearch::Broadcast:
        SetChecked(IDC_BROADCAST, true);
        SetChecked(IDC_SEARCH_TITLE, false);
        SetReadOnlyText(GetDlgItem(m_hWnd, IDC_TARGET_TEXT), "");
        TargetWindow = HWND_BROADCAST;
        break;
    case WindowSearch::NotFound:
        SetChecked(IDC_BROADCAST, false);
        break;
    case WindowSearch::Found: {
        SetChecked(IDC_BROADCAST, false);
        if (!ParseWindowDescription(step.windowDescription).title.empty())
            SetChecked(IDC_SEARCH_TITLE, true);
        const ResolvedTarget resolved = ResolvePath(
            found.window, ParseTargetPath(step.targetPath), found.refWidth, found.refHeight);
        TargetWindow = resolved.control;
        ClickPoint = resolved.point;
        ClientToScreen(found.window, &ClickPoint);
        m_keepStoredTarget = false;
        ShowTargetText();
        if (step.control.IsKnown()) {
            const IdentityMatch match =
                CheckControlIdentity(found.window, resolved.control, step.control).match;
            if (match != IdentityMatch::AsRecorded && match != IdentityMatch::CannotTell) {
                // Not what was recorded: the box says so, and the step keeps
                // its record until a new drag replaces it.
                m_keepStoredTarget = true;
                m_storedTarget = step;
                TargetWindow = found.window;
                SetReadOnlyText(GetDlgItem(m_hWnd, IDC_TARGET_TEXT),
                                WindowTextOf(found.window) + " - " + IdentityInWords(step.control) +
                                    " (not found at its place)");
            }
        }
        break;
    }
    }
}

void CDialogParamTapsync::SaveActionStep() {
    AbandonDrag();
    // With no camera to choose from, the choice stays as stored: an empty
    // "Pilote" would also let the next start carry old registry settings
    // over the steps.
    const std::string videoSource = SelectedVideoSource(VideoSourceCombo);
    if (!videoSource.empty())
        WriteSettingString(kSectionVideo, "Pilote", videoSource.c_str());
    WriteSettingInt(kSectionAction, "BTLive", Checked(IDC_RETURN_TO_LIVE));
    WriteSettingInt(kSectionAction, "Macro", 1);

    const LRESULT selected = SendMessageA(ActionCombo, CB_GETCURSEL, 0, 0);
    const int index = selected > 0 && selected < kStepCount ? static_cast<int>(selected) : 0;
    auto number = [this](int id) { return ParseNumberBox(WindowText(GetDlgItem(m_hWnd, id))); };
    auto text = [this](int id) { return WindowText(GetDlgItem(m_hWnd, id)); };

    // Only what the kind uses is kept; the rest is cleared.
    ActionStep step;
    step.type = static_cast<int>(CheckedFunction()) - static_cast<int>(kFunctionBase);
    const bool message = step.type == static_cast<int>(ActionType::SendCustomMessage);
    const bool parameters = message || step.type == static_cast<int>(ActionType::SendCommand);
    const bool launcher = step.type == static_cast<int>(ActionType::ExternalLauncher);
    step.message = message ? number(IDC_MESSAGE) : 0;
    step.wParam = parameters ? number(IDC_WPARAM) : 0;
    step.lParam = parameters ? number(IDC_LPARAM) : 0;
    step.program = launcher ? text(IDC_APPLICATION) : "";
    step.parameters = launcher ? text(IDC_PARAMETERS) : "";
    if (m_keepStoredTarget && TargetWindow != HWND_BROADCAST) {
        step.windowDescription = m_storedTarget.windowDescription;
        step.targetPath = m_storedTarget.targetPath;
        step.control = m_storedTarget.control;
        WriteActionStep(index, step);
        return;
    }
    step.windowDescription = DescribeWindow(TargetWindow, Checked(IDC_SEARCH_TITLE));
    const HWND top = TargetWindow == HWND_BROADCAST ? HWND_BROADCAST : TopLevelOf(TargetWindow);
    const bool clicks = step.type == static_cast<int>(ActionType::MouseClick);
    step.targetPath = DescribeTargetPath(top, TargetWindow, clicks ? &ClickPoint : nullptr);
    step.control = IdentityToStore(top, clicks);
    WriteActionStep(index, step);
}

ControlIdentity CDialogParamTapsync::IdentityToStore(HWND top, bool clicks) const {
    if (!TargetWindow || TargetWindow == HWND_BROADCAST || !IsWindow(TargetWindow))
        return ControlIdentity();
    // The point the path stores: the click point, or the control's centre.
    POINT point = ClickPoint;
    if (!clicks) {
        RECT area = {};
        (void)GetClientRect(TargetWindow, &area);
        point = {area.right / 2, area.bottom / 2};
        (void)ClientToScreen(TargetWindow, &point);
    }
    (void)ScreenToClient(top, &point);
    ControlIdentity identity = IdentityOfControl(top, TargetWindow, point);
    // A caption read when the drag ended is what the user chose, even if it
    // has toggled since.
    if (TargetWindow == m_releasedTarget && m_releasedIdentity.IsKnown())
        identity.text = m_releasedIdentity.text;
    return identity;
}

void CDialogParamTapsync::ShowTargetText() {
    HWND box = GetDlgItem(m_hWnd, IDC_TARGET_TEXT);
    SetWindowTextA(box, "");
    if (!TargetWindow)
        return;
    const HWND top = TopLevelOf(TargetWindow);
    SetReadOnlyText(box, WindowTextOf(top) + " - " + WindowTextOf(TargetWindow));
}

void CDialogParamTapsync::OnBroadcastClicked() {
    TargetWindow = HWND_BROADCAST;
    m_keepStoredTarget = false;
}

void CDialogParamTapsync::OnBrowseApplication() {
    // Starts in the program's own folder.
    const std::string folder = FolderOf(ExecutablePath());
    // Room for any path, so that a too long one is refused with a word
    // instead of failing silently in the common dialog.
    std::vector<char> file(kMaxChosenPath, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = "EXE (*.exe)\0*.exe\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = "exe";
    dialog.Flags = OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog))
        return;
    (void)TakeChosenApplication(file.data());
}

bool CDialogParamTapsync::TakeChosenApplication(const std::string& path) {
    // The settings file gives back at most kMaxTextLength characters: a
    // longer path would come back cut and launch another file.
    if (path.size() > kMaxTextLength) {
        (void)MessageBoxA(m_hWnd,
                          "The path of this program is too long to be stored. Choose a "
                          "program in a folder with a shorter path.",
                          ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    SetDlgItemTextA(m_hWnd, IDC_APPLICATION, path.c_str());
    SetCursor(previous);
    return true;
}

namespace {

std::string QuotedProgramPath() {
    return "\"" + ExecutablePath() + "\"";
}

UniqueRegKey OpenRunKey() {
    UniqueRegKey key;
    char keyClass[] = "String";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, keyClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return UniqueRegKey();
    return key;
}

// Only looking: neither creates the key nor asks for more than reading.
UniqueRegKey OpenRunKeyToRead() {
    UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.receive()) !=
        ERROR_SUCCESS)
        return UniqueRegKey();
    return key;
}

// The value "Snap" however long it is; empty when absent or unreadable.
std::string RunValue(HKEY key) {
    std::vector<char> text(MAX_PATH);
    for (int attempt = 0; attempt < 8; ++attempt) { // the value may grow meanwhile
        DWORD size = static_cast<DWORD>(text.size());
        const LONG result = RegQueryValueExA(key, kRunValue, nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(text.data()), &size);
        if (result == ERROR_MORE_DATA) {
            text.resize(static_cast<size_t>(size) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return std::string();
        // A stored text need not end with its NUL.
        const size_t length = std::min<size_t>(size, text.size());
        return std::string(text.data(), strnlen(text.data(), length));
    }
    return std::string();
}

} // namespace

bool IsRegisteredAtStartup() {
    UniqueRegKey key = OpenRunKeyToRead();
    return key && !RunValue(key.get()).empty();
}

void UpdateStartupRegistration(bool registered) {
    UniqueRegKey key = OpenRunKey();
    if (!key)
        return;
    const std::string current = RunValue(key.get());
    if (registered) {
        // Quoted: a path with spaces would otherwise let another program run.
        const std::string wanted = QuotedProgramPath();
        if (current != wanted)
            RegSetValueExA(key.get(), kRunValue, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(wanted.c_str()),
                           static_cast<DWORD>(wanted.size() + 1));
    } else if (!current.empty()) {
        RegDeleteValueA(key.get(), kRunValue);
    }
}
