// The settings dialog run for real in the test process, driven through its
// controls the way a person would (clicks on buttons, the warning answered).
#include "engine/Feedback.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "settingsdialog/DialogParamTapsync.h"
#include "support/CaptureDevices.h"
#include "support/MainWindowHarness.h"
#include "support/WindowTree.h"
#include "targeting/TargetRecords.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
void Click(HWND dialog, int id) { SendMessageA(Item(dialog, id), BM_CLICK, 0, 0); }
bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool IsShown(HWND dialog, int id) { return IsWindowVisible(Item(dialog, id)) != FALSE; }
std::string TextOf(HWND dialog, int id) { return WindowText(Item(dialog, id)); }

// The action list, driven as its notifications would.
void SelectAction(HWND dialog, int index) {
    SendMessageA(Item(dialog, IDC_ACTION_LIST), CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ACTION_LIST, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(Item(dialog, IDC_ACTION_LIST)));
}
void DropDownActions(HWND dialog) {
    SendMessageA(Item(dialog, IDC_ACTION_LIST), CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(Item(dialog, IDC_ACTION_LIST), CB_SHOWDROPDOWN, FALSE, 0);
}
UINT CheckedRadio(HWND dialog) {
    for (UINT id = IDC_FUNCTION_NONE; id <= IDC_FUNCTION_LAUNCHER; ++id)
        if (IsChecked(dialog, id))
            return id;
    return 0;
}

// What a run of the dialog met.
struct DialogRun {
    INT_PTR result = 0;
    bool warned = false;
    std::string warningText, warningCaption;
    UINT warningStyleIcon = 0;
    bool shown = false;
};

// Runs the dialog; `answer` is what the user presses at the warning (if it
// comes), `act` what they do once the dialog is shown. `act` must close it.
DialogRun RunDialog(int answer, std::function<void(HWND, CDialogParamTapsync&)> act) {
    DialogRun run;
    CDialogParamTapsync dialog(nullptr);
    WhileLoopsRun([&] {
        if (HWND box = FindWindowA("#32770", ApplicationName().c_str())) {
            if (!run.warned && IsWindowVisible(box)) {
                run.warned = true;
                run.warningCaption = ApplicationName();
                run.warningText = TextOf(box, 0xFFFF);
                Click(box, answer);
                return false;
            }
        }
        HWND settings = FindWindowA(nullptr, "Settings");
        if (!settings || !IsWindowVisible(settings))
            return false;
        run.shown = true;
        act(settings, dialog);
        return true;
    });
    run.result = dialog.DoModal();
    return run;
}

class SettingsDialog : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_hadRunValue = ReadRunValue(&m_runValue, &m_runType);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Snap");
    }
    void TearDown() override {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Snap");
        if (m_hadRunValue)
            RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Snap", m_runType, m_runValue.c_str(),
                            static_cast<DWORD>(m_runValue.size() + 1));
        CoUninitialize();
        MainWindowTest::TearDown();
    }

    static bool ReadRunValue(std::string* value, DWORD* type = nullptr) {
        char text[600] = "";
        DWORD size = sizeof text;
        DWORD valueType = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Snap", RRF_RT_ANY | RRF_NOEXPAND, &valueType,
                         text, &size) != ERROR_SUCCESS)
            return false;
        *value = text;
        if (type)
            *type = valueType;
        return true;
    }
    static void SetRunValue(const std::string& value, DWORD type = REG_SZ) {
        RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Snap", type, value.c_str(),
                        static_cast<DWORD>(value.size() + 1));
    }
    static std::string QuotedSelf() { return "\"" + ExecutablePath() + "\""; }
    // A quoted path of 300 characters: more than MAX_PATH.
    static std::string LongQuotedPath() {
        return "\"C:\\" + std::string(286, 'l') + "\\Snap.exe\"";
    }
    static void Describe(int step, const std::string& record, const std::string& path = "") {
        WriteStoredText(kSectionParam, StepKey("Base", step).c_str(), record);
        WriteStoredText(kSectionParam, StepKey("Destination", step).c_str(), path);
    }

    bool m_hadRunValue = false;
    std::string m_runValue;
    DWORD m_runType = REG_SZ;
};

TEST_F(SettingsDialog, WithoutATargetThereIsNoWarningAndOkWaitsForOne) {
    bool openAfterFirstOk = false;
    std::string targetText = "?";
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        targetText = TextOf(d, IDC_TARGET_TEXT);
        Click(d, IDOK);
        openAfterFirstOk = IsWindow(d) && IsWindowVisible(d);
        Click(d, IDC_BROADCAST);
        Click(d, IDOK);
    });
    EXPECT_FALSE(run.warned);
    EXPECT_EQ("", targetText);
    EXPECT_TRUE(openAfterFirstOk);
    EXPECT_EQ(IDOK, run.result);
    EXPECT_EQ(kBroadcastDescription, ReadStoredText(kSectionParam, "Base"));
}

TEST_F(SettingsDialog, TheBroadcastRecordChecksBroadcastAndOkStores) {
    Describe(0, kBroadcastDescription);
    bool broadcastChecked = false;
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        broadcastChecked = IsChecked(d, IDC_BROADCAST);
        Click(d, IDOK);
    });
    EXPECT_FALSE(run.warned);
    EXPECT_TRUE(broadcastChecked);
    EXPECT_EQ(IDOK, run.result);
}

TEST_F(SettingsDialog, ClickingBroadcastTwiceStillStoresBroadcast) {
    WindowTree application(800, 600, "Imaging Station");
    HWND capture = application.Add(application.Top(), 100, 100, 80, 24);
    Describe(0, "800;600;SnapTestTop\t", "140;112");
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        Click(d, IDC_BROADCAST);
        Click(d, IDC_BROADCAST);
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, run.result);
    EXPECT_EQ(kBroadcastDescription, ReadStoredText(kSectionParam, "Base"));
    (void)capture;
}

TEST_F(SettingsDialog, AWindowThatIsNotRunningWarnsAndNoLeavesTheFileAsItWas) {
    Describe(0, "800;600;NoSuchImagingApp\t", "140;62");
    WriteSettingInt(kSectionParam, "Delay", 500);
    const std::string before = ReadTextFile(SettingsFilePath());
    const DialogRun run = RunDialog(IDNO, [](HWND d, CDialogParamTapsync&) { Click(d, IDCANCEL); });
    EXPECT_TRUE(run.warned);
    EXPECT_EQ("WARNING: The external imaging application is not running.\n"
              "Are you sure you want to enter settings?\n"
              "If yes, you may loose your current parameters.",
              run.warningText);
    EXPECT_FALSE(run.shown);
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_EQ(before, ReadTextFile(SettingsFilePath()));
}

TEST_F(SettingsDialog, YesAtTheWarningShowsTheDialogWithoutATarget) {
    Describe(0, "800;600;NoSuchImagingApp\t", "140;62");
    std::string targetText = "?";
    bool openAfterOk = false;
    const DialogRun run = RunDialog(IDYES, [&](HWND d, CDialogParamTapsync&) {
        targetText = TextOf(d, IDC_TARGET_TEXT);
        Click(d, IDOK);
        openAfterOk = IsWindowVisible(d) != FALSE;
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(run.warned);
    EXPECT_TRUE(run.shown);
    EXPECT_EQ("", targetText);
    EXPECT_TRUE(openAfterOk);
}

TEST_F(SettingsDialog, AFoundWindowWhosePathLeadsNowhereWarnsToo) {
    WindowTree application(800, 600, "Imaging Station");
    Describe(0, "800;600;SnapTestTop\t", "3;140;62");
    const DialogRun run = RunDialog(IDYES, [](HWND d, CDialogParamTapsync&) { Click(d, IDCANCEL); });
    EXPECT_TRUE(run.warned);
}

TEST_F(SettingsDialog, AFoundControlIsNamedByItsWindowsTitleAndText) {
    WindowTree application(800, 600, "Imaging Station");
    HWND capture = application.Add(application.Top(), 100, 100, 80, 24);
    SetWindowTextA(capture, "Capture");
    Describe(0, "800;600;SnapTestTop\t", "140;112");
    std::string targetText;
    HWND target = nullptr;
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync& dialog) {
        targetText = TextOf(d, IDC_TARGET_TEXT);
        target = dialog.TargetWindow;
        Click(d, IDCANCEL);
    });
    EXPECT_FALSE(run.warned);
    EXPECT_EQ("Imaging Station - Capture", targetText);
    EXPECT_EQ(capture, target);
}

TEST_F(SettingsDialog, CancelPutsBackParamActionAndVideoWholeAfterADropDownWroteThem) {
    std::string longParam;
    for (int i = 0; i < 60; ++i)
        WriteSettingString(kSectionParam, ("Note" + std::to_string(i)).c_str(),
                           std::string(30, 'a' + i % 26).c_str());
    WriteSettingInt(kSectionAction, "Type", 4);
    WriteSettingString(kSectionVideo, "Pilote", "USB 28 Old Camera");
    const std::string param = ReadSettingSection(kSectionParam);
    const std::string action = ReadSettingSection(kSectionAction);
    const std::string video = ReadSettingSection(kSectionVideo);
    ASSERT_GT(param.size(), 1024u);
    bool dropDownWrote = false;
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        Click(d, IDC_FUNCTION_CLICK + 2); // "Send WM_COMMAND"
        SendMessageA(Item(d, IDC_ACTION_LIST), CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageA(Item(d, IDC_ACTION_LIST), CB_SHOWDROPDOWN, FALSE, 0);
        dropDownWrote = ReadSettingInt(kSectionAction, "Type", 0) == 2 &&
                        ReadSettingInt(kSectionAction, "Macro", 0) == 1;
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(dropDownWrote);
    EXPECT_EQ(IDCANCEL, run.result);
    EXPECT_EQ(param, ReadSettingSection(kSectionParam));
    EXPECT_EQ(action, ReadSettingSection(kSectionAction));
    EXPECT_EQ(video, ReadSettingSection(kSectionVideo));
}

// The video source list in the dialog, with the capture devices of the test
// (and none of anyone else's).
class SettingsDialogDevices : public SettingsDialog {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Acquire()) << "the capture devices stayed taken";
        ASSERT_EQ(0u, CaptureDeviceCount()) << "capture devices of someone else are registered";
        SettingsDialog::SetUp();
    }

    void Connect(const wchar_t* name) {
        m_devices.push_back(
            std::make_unique<FakeCaptureDevice>(UniqueName("SnapDialogTest_"), name));
        ASSERT_TRUE(m_devices.back()->Registered());
    }

    static std::vector<std::string> Listed(HWND combo) {
        std::vector<std::string> items;
        const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            std::vector<char> text(
                static_cast<size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, index, 0)) + 1, '\0');
            SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            items.push_back(text.data());
        }
        return items;
    }

private:
    // Declared first, so it is released after the devices are gone.
    CaptureDevicesLock m_lock;
    std::vector<std::unique_ptr<FakeCaptureDevice>> m_devices;
};

struct UnpluggedCase {
    const char* name;
    const wchar_t* connected; // nullptr: no capture device at all
    std::vector<std::string> listed;
};
void PrintTo(const UnpluggedCase& c, std::ostream* out) {
    *out << c.name;
}

class StoredCameraUnplugged : public SettingsDialogDevices,
                              public ::testing::WithParamInterface<UnpluggedCase> {};

// The camera the steps were made for is unplugged while the user changes
// something else: OK must not forget it (nor swap in another camera).
TEST_P(StoredCameraUnplugged, IsListedSelectedAndKeptAtOk) {
    if (GetParam().connected) {
        ASSERT_NO_FATAL_FAILURE(Connect(GetParam().connected));
    }
    WriteSettingString(kSectionVideo, "Pilote", "USB 28 Lab Camera");
    Describe(0, kBroadcastDescription); // OK stores without a window of its own
    std::vector<std::string> listed;
    std::string shown;
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        listed = Listed(Item(d, IDC_VIDEO_SOURCE));
        shown = TextOf(d, IDC_VIDEO_SOURCE);
        SetDlgItemTextA(d, IDC_DELAY, "420");
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, run.result);
    EXPECT_EQ(GetParam().listed, listed);
    EXPECT_EQ("USB 28 Lab Camera (not connected)", shown);
    EXPECT_EQ("USB 28 Lab Camera", ReadSettingString(kSectionVideo, "Pilote", "absent"));
    EXPECT_EQ(420, ReadSettingInt(kSectionParam, "Delay", 0));
}

INSTANTIATE_TEST_SUITE_P(VideoSource, StoredCameraUnplugged,
                         ::testing::Values(UnpluggedCase{"NoDeviceConnected",
                                                         nullptr,
                                                         {"USB 28 Lab Camera (not connected)"}},
                                           UnpluggedCase{"AnotherCameraConnected",
                                                         L"Kelvra Desk Camera",
                                                         {"Kelvra Desk Camera",
                                                          "USB 28 Lab Camera (not connected)"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialogDevices, WithNoCameraStoredNorConnectedOkWritesNone) {
    Describe(0, kBroadcastDescription);
    std::vector<std::string> listed = {"?"};
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        listed = Listed(Item(d, IDC_VIDEO_SOURCE));
        Click(d, IDOK);
    });
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ("absent", ReadSettingString(kSectionVideo, "Pilote", "absent"));
}

struct RadioCase {
    int radio;
    bool message, parameters, launcher;
};

TEST_F(SettingsDialog, EachFunctionShowsOnlyItsParameterBoxes) {
    const RadioCase cases[] = {
        {1009, false, false, false}, {1010, false, false, false}, {1011, false, false, false},
        {1012, false, true, false},  {1013, true, true, false},   {1014, false, false, false},
        {1017, false, false, false}, {1018, false, false, false}, {1019, false, false, true},
    };
    std::vector<std::string> mismatches;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        for (const RadioCase& c : cases) {
            Click(d, c.radio);
            const bool seen[] = {IsShown(d, IDC_MESSAGE),     IsShown(d, IDC_MESSAGE_LABEL),
                                 IsShown(d, IDC_WPARAM),      IsShown(d, IDC_LPARAM),
                                 IsShown(d, IDC_APPLICATION), IsShown(d, IDC_BROWSE),
                                 IsShown(d, IDC_PARAMETERS)};
            const bool wanted[] = {c.message,    c.message,    c.parameters, c.parameters,
                                   c.launcher,   c.launcher,   c.launcher};
            for (size_t i = 0; i < 7; ++i)
                if (seen[i] != wanted[i])
                    mismatches.push_back("radio " + std::to_string(c.radio) + " box " +
                                         std::to_string(i));
        }
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(mismatches.empty()) << ::testing::PrintToString(mismatches);
}

struct StartupCase {
    const char* name;
    const char* initial; // nullptr: no value; "SELF": our path unquoted; "QUOTED": quoted
    DWORD initialType;
    bool checkedOnOpen;
    bool userToggles;
    const char* expected; // nullptr: no value
    DWORD expectedType;
};

class StartupRegistration : public SettingsDialog, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupRegistration, FollowsTheCheckBox) {
    const StartupCase& c = GetParam();
    auto resolve = [](const char* v) {
        return std::string(v) == "SELF"     ? ExecutablePath()
               : std::string(v) == "QUOTED" ? QuotedSelf()
               : std::string(v) == "LONG"   ? LongQuotedPath()
                                            : std::string(v);
    };
    if (c.initial)
        SetRunValue(resolve(c.initial), c.initialType);
    Describe(0, kBroadcastDescription);
    bool checkedOnOpen = !c.checkedOnOpen;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        checkedOnOpen = IsChecked(d, IDC_LAUNCH_AT_STARTUP);
        if (c.userToggles)
            Click(d, IDC_LAUNCH_AT_STARTUP);
        Click(d, IDOK);
    });
    EXPECT_EQ(c.checkedOnOpen, checkedOnOpen);
    std::string value;
    DWORD type = 0;
    const bool present = ReadRunValue(&value, &type);
    EXPECT_EQ(c.expected != nullptr, present);
    if (c.expected && present) {
        EXPECT_EQ(resolve(c.expected), value);
        EXPECT_EQ(c.expectedType, type);
    }
}

TEST_F(SettingsDialog, OnlyLookingAtTheStartupBoxCreatesNoRunKey) {
    // The key is opened to be read while the dialog only shows the box; a
    // user without a Run key keeps having none after a Cancel.
    HKEY run = nullptr;
    std::vector<std::pair<std::string, std::string>> saved;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &run) == ERROR_SUCCESS) {
        char name[256], data[4096];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
            if (RegEnumValueA(run, i, name, &nameSize, nullptr, &type,
                              reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS)
                break;
            saved.emplace_back(name, std::string(data, dataSize));
        }
        RegCloseKey(run);
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, kRunKey));
    }
    Describe(0, kBroadcastDescription);
    bool unchecked = false;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        unchecked = !IsChecked(d, IDC_LAUNCH_AT_STARTUP);
        Click(d, IDCANCEL);
    });
    const bool created =
        RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &run) == ERROR_SUCCESS;
    if (created)
        RegCloseKey(run);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &run,
                        nullptr) == ERROR_SUCCESS) {
        for (const auto& value : saved)
            RegSetValueExA(run, value.first.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.second.data()),
                           static_cast<DWORD>(value.second.size()));
        RegCloseKey(run);
    }
    EXPECT_TRUE(unchecked);
    EXPECT_FALSE(created);
}

INSTANTIATE_TEST_SUITE_P(
    RunKey, StartupRegistration,
    ::testing::Values(
        StartupCase{"AbsentStaysAbsent", nullptr, 0, false, false, nullptr, 0},
        StartupCase{"CheckingRegistersTheQuotedPath", nullptr, 0, false, true, "QUOTED", REG_SZ},
        // Left alone when already right: the type written earlier survives.
        StartupCase{"SameQuotedPathIsNotWritten", "QUOTED", REG_EXPAND_SZ, true, false, "QUOTED",
                    REG_EXPAND_SZ},
        StartupCase{"UnquotedPathIsRewrittenQuoted", "SELF", REG_SZ, true, false, "QUOTED", REG_SZ},
        StartupCase{"UncheckingDeletesTheValue", "QUOTED", REG_SZ, true, true, nullptr, 0},
        StartupCase{"AnEmptyValueShowsUnchecked", "", REG_SZ, false, false, "", REG_SZ},
        // A value longer than MAX_PATH is read whole, however long.
        StartupCase{"ALongValueShowsCheckedAndUncheckingDeletesIt", "LONG", REG_SZ, true, true,
                    nullptr, 0},
        StartupCase{"ALongValueOfAnotherPathIsRewritten", "LONG", REG_SZ, true, false, "QUOTED",
                    REG_SZ}),
    [](const auto& info) { return std::string(info.param.name); });

struct DelayCase {
    const char* name;
    const char* stored; // nullptr: absent
    std::string shown;
    const char* typed; // nullptr: left as shown
    int expected;
};

class DelayBox : public SettingsDialog, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(DelayBox, ShowsAndStoresTheDelay) {
    if (GetParam().stored)
        WriteSettingString(kSectionParam, "Delay", GetParam().stored);
    Describe(0, kBroadcastDescription);
    std::string shown;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        shown = TextOf(d, IDC_DELAY);
        if (GetParam().typed)
            SetDlgItemTextA(d, IDC_DELAY, GetParam().typed);
        Click(d, IDC_LAUNCH_AT_STARTUP); // keep the Run key out of it
        Click(d, IDOK);
    });
    EXPECT_EQ(GetParam().shown, shown);
    EXPECT_EQ(GetParam().expected, ReadSettingInt(kSectionParam, "Delay", 12345));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DelayBox,
    ::testing::Values(DelayCase{"AbsentShows350", nullptr, "350", nullptr, 350},
                      DelayCase{"LettersStoreZero", "500", "500", "abc", 0},
                      DelayCase{"NegativeSurvives", "-20", "-20", nullptr, -20},
                      DelayCase{"TypedNumber", "500", "500", "1200", 1200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, TheOptionsAreStoredFromTheirCheckBoxesBothWays) {
    // "No beep on action" ticked means silence: it is stored as "NoBeep" 0,
    // since a non-zero "NoBeep" is what makes the steps beep.
    struct Option {
        int box;
        const char* key;
        int storedWhenTicked;
    };
    const Option options[] = {{IDC_BEEP, "NoBeep", 0},
                              {IDC_LITTLE_ICON, "LittleIcon", 1},
                              {IDC_SYSTEM_TRAY, "PutInSysTray", 1},
                              {IDC_STEP_BY_STEP, "StepByStep", 1}};
    for (bool on : {true, false}) {
        // Each box opens in the state opposite to the one the user gives it.
        for (const Option& option : options)
            WriteSettingInt(kSectionParam, option.key,
                            on ? 1 - option.storedWhenTicked : option.storedWhenTicked);
        Describe(0, kBroadcastDescription);
        std::vector<int> openedOpposite;
        RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
            for (const Option& option : options) {
                if (IsChecked(d, option.box) != on)
                    openedOpposite.push_back(option.box);
                if (IsChecked(d, option.box) != on)
                    Click(d, option.box);
            }
            if (IsChecked(d, IDC_LAUNCH_AT_STARTUP))
                Click(d, IDC_LAUNCH_AT_STARTUP);
            Click(d, IDOK);
        });
        EXPECT_EQ((std::vector<int>{IDC_BEEP, IDC_LITTLE_ICON, IDC_SYSTEM_TRAY, IDC_STEP_BY_STEP}),
                  openedOpposite);
        for (const Option& option : options)
            EXPECT_EQ(on ? option.storedWhenTicked : 1 - option.storedWhenTicked,
                      ReadSettingInt(kSectionParam, option.key, -1))
                << option.key << (on ? " ticked" : " unticked");
    }
}

// Records the beeps of performed steps instead of sounding them.
std::vector<UINT> g_beeps;
BOOL WINAPI RecordBeep(UINT type) {
    g_beeps.push_back(type);
    return TRUE;
}

struct BeepCase {
    const char* name;
    const char* stored; // "NoBeep" before the dialog opens; nullptr: absent
    bool tickedOnOpen;
    bool tickedAtOk;
    std::vector<UINT> beeps; // of one performed step afterwards
};

// The settings dialog and the steps performed after it.
class SettingsDialogSteps : public SettingsDialog {
protected:
    void SetUp() override {
        SettingsDialog::SetUp();
        g_beeps.clear();
        g_messageBeep = RecordBeep;
    }
    void TearDown() override {
        g_messageBeep = MessageBeep;
        SettingsDialog::TearDown();
    }

    // Performs step `index` in the main window, as a press would; returns the
    // messages that windows of this process received from it.
    static std::vector<ReceivedMessage> PerformStep(int index) {
        g_beeps.clear();
        ReceivedMessages().clear();
        CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
            w.PerformStep(true, index);
            DeliverPostedMessages();
            PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
        }});
        window.DoModal();
        return ReceivedMessages();
    }
};

class SettingsDialogBeeps : public SettingsDialogSteps,
                            public ::testing::WithParamInterface<BeepCase> {};

// From the box, through Setup and OK, to the beep of the next performed step.
TEST_P(SettingsDialogBeeps, DecidesWhetherThePerformedStepsBeep) {
    const BeepCase& c = GetParam();
    WindowTree application(800, 600, "Imaging Station");
    application.Add(application.Top(), 100, 100, 80, 24);
    Describe(0, "800;600;SnapTestTop\t", "140;112");
    if (c.stored)
        WriteSettingString(kSectionParam, "NoBeep", c.stored);
    bool tickedOnOpen = !c.tickedOnOpen;
    size_t received = 0;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        WhileLoopsRun([&] {
            HWND d = FindWindowA(nullptr, "Settings");
            if (!d || !IsWindowVisible(d))
                return false;
            tickedOnOpen = IsChecked(d, IDC_BEEP);
            if (tickedOnOpen != c.tickedAtOk)
                Click(d, IDC_BEEP);
            if (IsChecked(d, IDC_LAUNCH_AT_STARTUP))
                Click(d, IDC_LAUNCH_AT_STARTUP);
            Click(d, IDOK);
            return true;
        });
        w.OnSetup();
        g_beeps.clear();
        ReceivedMessages().clear();
        w.PerformStep(true, 0);
        DeliverPostedMessages();
        received = ReceivedMessages().size();
        PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
    }});
    window.DoModal();
    EXPECT_EQ(c.tickedOnOpen, tickedOnOpen);
    EXPECT_EQ(1u, received); // the step was performed: its click reached the application
    EXPECT_EQ(c.beeps, g_beeps);
}

INSTANTIATE_TEST_SUITE_P(
    NoBeepBox, SettingsDialogBeeps,
    ::testing::Values(BeepCase{"AbsentOpensTickedAndStaysSilent", nullptr, true, true, {}},
                      BeepCase{"ZeroOpensTickedAndStaysSilent", "0", true, true, {}},
                      BeepCase{"UntickingMakesTheStepsBeep", nullptr, true, false, {kStepDoneBeep}},
                      BeepCase{
                          "OneOpensUntickedAndKeepsBeeping", "1", false, false, {kStepDoneBeep}},
                      BeepCase{"TickingSilencesTheSteps", "1", false, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A step saved while no window is shown as its target must not turn into a
// broadcast step: the next press would post it to every top-level window.
TEST_F(SettingsDialogSteps, ADropDownWithoutATargetStoresNoBroadcast) {
    WindowTree application(800, 600, "Imaging Station"); // would receive a broadcast
    bool describedAfterDropDown = true;
    bool broadcastAfterDropDown = true;
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        DropDownActions(d); // stores Action #01, which has no target
        const std::string record = ReadStoredText(kSectionParam, "Base");
        describedAfterDropDown = ParseWindowDescription(record).present;
        broadcastAfterDropDown = record == kBroadcastDescription;
        // Close with OK through Action #02, so that the file keeps step 0 as stored.
        SelectAction(d, 1);
        Click(d, IDC_BROADCAST);
        Click(d, IDOK);
    });
    ASSERT_EQ(IDOK, run.result);
    EXPECT_FALSE(broadcastAfterDropDown);
    EXPECT_FALSE(describedAfterDropDown);
    EXPECT_EQ(kBroadcastDescription, ReadStoredText(kSectionParam, "Base1"));

    WriteSettingInt(kSectionParam, "NoBeep", 1); // let the outcome be heard
    EXPECT_TRUE(PerformStep(0).empty());
    EXPECT_EQ(std::vector<UINT>{kStepFailedBeep}, g_beeps);
}

TEST_F(SettingsDialogSteps, AfterThePickedWindowClosedOkWaitsForANewTarget) {
    auto application = std::make_unique<WindowTree>(800, 600, "Imaging Station");
    HWND capture = application->Add(application->Top(), 100, 100, 80, 24);
    SetWindowTextA(capture, "Capture");
    std::string shownWhenPicked, shownAfterOk;
    bool openAfterOk = false;
    std::string storedAfterOk = "?", storedAfterDropDown = "?";
    const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync& dialog) {
        dialog.TargetWindow = capture; // as the window finder leaves it
        dialog.ShowTargetText();
        shownWhenPicked = TextOf(d, IDC_TARGET_TEXT);
        application.reset(); // the imaging application closes
        Click(d, IDOK);
        openAfterOk = IsWindowVisible(d) != FALSE;
        shownAfterOk = TextOf(d, IDC_TARGET_TEXT);
        storedAfterOk = ReadStoredText(kSectionParam, "Base");
        DropDownActions(d);
        storedAfterDropDown = ReadStoredText(kSectionParam, "Base");
        Click(d, IDCANCEL);
    });
    EXPECT_EQ("Imaging Station - Capture", shownWhenPicked);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ("", shownAfterOk);
    EXPECT_FALSE(ParseWindowDescription(storedAfterOk).present) << storedAfterOk;
    EXPECT_FALSE(ParseWindowDescription(storedAfterDropDown).present) << storedAfterDropDown;
    EXPECT_EQ(IDCANCEL, run.result);
}

// The action editor: the list, the shown step and what a drop-down stores.

TEST_F(SettingsDialog, OpeningShowsActionOneAsAButtonClickWithoutNone) {
    std::string entry;
    int count = 0;
    UINT radio = 0;
    bool noneShown = true;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        entry = TextOf(d, IDC_ACTION_LIST);
        count = static_cast<int>(SendMessageA(Item(d, IDC_ACTION_LIST), CB_GETCOUNT, 0, 0));
        radio = CheckedRadio(d);
        noneShown = IsShown(d, IDC_FUNCTION_NONE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ("Action #01", entry);
    EXPECT_EQ(10, count);
    EXPECT_EQ(static_cast<UINT>(IDC_FUNCTION_CLICK), radio);
    EXPECT_FALSE(noneShown);
}

TEST_F(SettingsDialog, ActionTwoOfAFreshFileIsNoneAndADropDownStoresTheKeptTarget) {
    Describe(0, kBroadcastDescription);
    UINT radio = 0;
    bool noneShown = false;
    HWND target = nullptr;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync& dialog) {
        SelectAction(d, 1);
        radio = CheckedRadio(d);
        noneShown = IsShown(d, IDC_FUNCTION_NONE);
        target = dialog.TargetWindow;
        DropDownActions(d);
        Click(d, IDOK);
    });
    EXPECT_EQ(static_cast<UINT>(IDC_FUNCTION_NONE), radio);
    EXPECT_TRUE(noneShown);
    EXPECT_EQ(HWND_BROADCAST, target);
    EXPECT_EQ(kBroadcastDescription, ReadStoredText(kSectionParam, "Base1"));
    EXPECT_EQ(-1, ReadSettingInt(kSectionAction, "Type1", 99));
}

TEST_F(SettingsDialog, AKindOutsideTheTableSelectsNothingAndHidesTheParameters) {
    Describe(0, kBroadcastDescription);
    WriteSettingInt(kSectionAction, "Type", 12);
    UINT radio = 1;
    bool anyShown = true;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        radio = CheckedRadio(d);
        anyShown = IsShown(d, IDC_MESSAGE) || IsShown(d, IDC_WPARAM) ||
                   IsShown(d, IDC_APPLICATION) || IsShown(d, IDC_PARAMETERS);
        DropDownActions(d);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0u, radio);
    EXPECT_FALSE(anyShown);
}

TEST_F(SettingsDialog, SavingAButtonClickClearsTheParametersWhateverTheBoxesShow) {
    Describe(0, kBroadcastDescription);
    bool stored = false;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        SetDlgItemTextA(d, IDC_MESSAGE, "5");
        SetDlgItemTextA(d, IDC_WPARAM, "6");
        SetDlgItemTextA(d, IDC_LPARAM, "7");
        SetDlgItemTextA(d, IDC_APPLICATION, "viewer.exe");
        SetDlgItemTextA(d, IDC_PARAMETERS, "/x");
        DropDownActions(d);
        stored = ReadSettingInt(kSectionAction, "Message", 9) == 0 &&
                 ReadSettingInt(kSectionAction, "WParam", 9) == 0 &&
                 ReadSettingInt(kSectionAction, "LParam", 9) == 0 &&
                 ReadSettingString(kSectionAction, "ExtApp", "x").empty() &&
                 ReadSettingString(kSectionAction, "ExtAppParam", "x").empty() &&
                 ReadSettingInt(kSectionAction, "Type", 9) == 0;
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(stored);
}

struct NumberCase {
    const char* name;
    const char* stored;
    const char* shown;
};

class ParameterNumbers : public SettingsDialog, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ParameterNumbers, AreShownAsTheSignedNumbersTheyAre) {
    Describe(0, kBroadcastDescription);
    WriteSettingInt(kSectionAction, "Type", 3);
    if (GetParam().stored)
        WriteSettingString(kSectionAction, "WParam", GetParam().stored);
    std::string shown;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        shown = TextOf(d, IDC_WPARAM);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(GetParam().shown, shown);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ParameterNumbers,
    ::testing::Values(NumberCase{"MinusOne", "-1", "-1"}, NumberCase{"Large", "70000", "70000"},
                      NumberCase{"Absent", nullptr, "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsDialog, WhatIsShownIsWhatADropDownStores) {
    Describe(0, kBroadcastDescription);
    WriteSettingInt(kSectionAction, "Type", 3);
    WriteSettingInt(kSectionAction, "Message", -1);
    std::vector<int> stored;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        DropDownActions(d);
        stored.push_back(ReadSettingInt(kSectionAction, "Message", 0));
        SetDlgItemTextA(d, IDC_MESSAGE, "4294967295");
        DropDownActions(d);
        stored.push_back(ReadSettingInt(kSectionAction, "Message", 0));
        SetDlgItemTextA(d, IDC_MESSAGE, "abc");
        DropDownActions(d);
        stored.push_back(ReadSettingInt(kSectionAction, "Message", 99));
        Click(d, IDCANCEL);
    });
    EXPECT_EQ((std::vector<int>{-1, -1, 0}), stored);
}

TEST_F(SettingsDialog, ASelectionWithoutADropDownDiscardsTheEdits) {
    Describe(0, kBroadcastDescription);
    WriteSettingInt(kSectionAction, "Type", 2);
    WriteSettingInt(kSectionAction, "WParam", 5);
    int afterSelection = 0;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        SetDlgItemTextA(d, IDC_WPARAM, "77");
        SelectAction(d, 1); // no drop-down: nothing stored
        afterSelection = ReadSettingInt(kSectionAction, "WParam", 0);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(5, afterSelection);
}

TEST_F(SettingsDialog, TheApplicationBoxesTakeAtMost255Characters) {
    size_t length = 0;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        Click(d, IDC_FUNCTION_LAUNCHER);
        SendMessageA(Item(d, IDC_APPLICATION), EM_REPLACESEL, FALSE,
                     reinterpret_cast<LPARAM>(std::string(300, 'x').c_str()));
        length = TextOf(d, IDC_APPLICATION).size();
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(255u, length);
}

// Runs `work` from a thread timer of its own once the current timer callback
// has returned, so that a message box it opens runs its loop undisturbed.
std::function<void()> g_later;
void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::function<void()> work = std::move(g_later);
    g_later = nullptr;
    work();
}
void Later(std::function<void()> work) {
    g_later = std::move(work);
    SetTimer(nullptr, 0, 10, RunLater);
}

// Message boxes captioned with the application's name, answered with OK.
struct AnsweredBox {
    HWND owner;
    std::string text;
};
std::vector<AnsweredBox> g_answeredBoxes;
HWND g_lastAnsweredBox = nullptr;
void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", ApplicationName().c_str());
    if (!box || !IsWindowVisible(box) || box == g_lastAnsweredBox)
        return;
    g_lastAnsweredBox = box;
    g_answeredBoxes.push_back({GetWindow(box, GW_OWNER), TextOf(box, 0xFFFF)});
    Click(box, IDOK);
}

struct BrowseCase {
    const char* name;
    size_t length; // of the chosen path
    bool taken;
};

class SettingsDialogBrowse : public SettingsDialog,
                             public ::testing::WithParamInterface<BrowseCase> {};

// The Application box takes a chosen program only when the settings file
// gives back its whole path; a longer one would launch a different file.
TEST_P(SettingsDialogBrowse, TakesOnlyAPathThatIsReadBackWhole) {
    const BrowseCase& c = GetParam();
    const std::string chosen = "C:\\" + std::string(c.length - 7, 'p') + ".exe";
    ASSERT_EQ(c.length, chosen.size());
    Describe(0, kBroadcastDescription);
    g_answeredBoxes.clear();
    g_lastAnsweredBox = nullptr;
    HWND settings = nullptr;
    bool taken = !c.taken;
    std::string shown, stored;
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync& dialog) {
        settings = d;
        Later([&, d] {
            Click(d, IDC_FUNCTION_LAUNCHER);
            SetDlgItemTextA(d, IDC_APPLICATION, "viewer.exe");
            const UINT_PTR answering = SetTimer(nullptr, 0, 20, AnswerMessageBox);
            taken = dialog.TakeChosenApplication(chosen);
            KillTimer(nullptr, answering);
            shown = TextOf(d, IDC_APPLICATION);
            DropDownActions(d);
            stored = ReadSettingString(kSectionAction, "ExtApp", "");
            Click(d, IDCANCEL);
        });
    });
    EXPECT_EQ(c.taken, taken);
    const std::string expected = c.taken ? chosen : "viewer.exe";
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(expected, stored); // what is stored is what runs
    if (c.taken) {
        EXPECT_TRUE(g_answeredBoxes.empty());
    } else {
        ASSERT_EQ(1u, g_answeredBoxes.size());
        EXPECT_EQ(settings, g_answeredBoxes[0].owner);
        EXPECT_NE("", g_answeredBoxes[0].text);
    }
}

INSTANTIATE_TEST_SUITE_P(ChosenPaths, SettingsDialogBrowse,
                         ::testing::Values(BrowseCase{"Of255CharactersIsTaken", 255, true},
                                           BrowseCase{"Of256CharactersIsRefused", 256, false},
                                           BrowseCase{"Of259CharactersIsRefused", 259, false},
                                           BrowseCase{"Of400CharactersIsRefused", 400, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumberBoxes, AcceptSignedAndUnsignedDecimal) {
    EXPECT_EQ(-1, ParseNumberBox("-1"));
    EXPECT_EQ(-1, ParseNumberBox("4294967295"));
    EXPECT_EQ(1024, ParseNumberBox("1024"));
    EXPECT_EQ(INT_MIN, ParseNumberBox("-2147483648"));
    EXPECT_EQ(0, ParseNumberBox("4294967296"));
    EXPECT_EQ(0, ParseNumberBox("-2147483649"));
    EXPECT_EQ(0, ParseNumberBox("12abc"));
    EXPECT_EQ(0, ParseNumberBox(""));
}

} // namespace

namespace {

// The recorded control is no longer where the path leads: the dialog says so
// for the step, and OK keeps what was recorded rather than storing the
// control that stands there now.
TEST_F(SettingsDialog, AControlThatIsNotAtItsPlaceIsSaidSoAndOkKeepsTheRecordedOne) {
    WindowTree application(800, 600, "Imaging Station");
    HWND remove = application.Add(application.Top(), 100, 100, 80, 24, true, 214);
    SetWindowTextA(remove, "Delete");
    const ControlIdentity capture = ParseControlIdentity("211;40;12;SnapTestChild\tCapture");
    const struct {
        const char* name;
        bool elsewhere; // "Capture" moved rather than went
    } cases[] = {{"gone", false}, {"moved", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND moved =
            c.elsewhere ? application.Add(application.Top(), 100, 300, 80, 24, true, 211) : nullptr;
        if (moved)
            SetWindowTextA(moved, "Capture");
        Describe(0, "800;600;SnapTestTop\t", "140;112");
        WriteStoredText(kSectionParam, "Control", FormatControlIdentity(capture, 127));
        std::string targetText;
        const DialogRun run = RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
            targetText = TextOf(d, IDC_TARGET_TEXT);
            SendMessageA(GetDlgItem(d, IDC_LAUNCH_AT_STARTUP), BM_SETCHECK, BST_UNCHECKED, 0);
            Click(d, IDOK);
        });
        EXPECT_FALSE(run.warned);
        EXPECT_EQ(IDOK, run.result);
        EXPECT_EQ("Imaging Station - [SnapTestChild] \"Capture\" id 211 (not found at its place)",
                  targetText);
        EXPECT_EQ("140;112", ReadStoredText(kSectionParam, "Destination"));
        const ControlIdentity stored =
            ParseControlIdentity(ReadStoredText(kSectionParam, "Control"));
        EXPECT_EQ(211, stored.id);
        EXPECT_EQ("Capture", stored.text);
        if (moved)
            DestroyWindow(moved);
    }
}

// A control chosen and stored records what it is.
TEST_F(SettingsDialog, OkRecordsTheChosenControlsIdentity) {
    WindowTree application(800, 600, "Imaging Station");
    HWND capture = application.Add(application.Top(), 100, 100, 80, 24, true, 211);
    SetWindowTextA(capture, "Capture");
    Describe(0, "800;600;SnapTestTop\t", "140;112");
    RunDialog(IDNO, [&](HWND d, CDialogParamTapsync&) {
        SendMessageA(GetDlgItem(d, IDC_LAUNCH_AT_STARTUP), BM_SETCHECK, BST_UNCHECKED, 0);
        Click(d, IDOK);
    });
    const ControlIdentity stored = ParseControlIdentity(ReadStoredText(kSectionParam, "Control"));
    EXPECT_EQ("SnapTestChild", stored.className);
    EXPECT_EQ(211, stored.id);
    EXPECT_EQ("Capture", stored.text);
    EXPECT_EQ(40, stored.offsetX); // the centre of the 80 x 24 control
    EXPECT_EQ(12, stored.offsetY);
}

} // namespace
