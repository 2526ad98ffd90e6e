// Performing steps on a window tree built in the test process: what is posted
// where, the beeps, the end of the sequence and the return to live.
#include "engine/ActionExecution.h"
#include "engine/Feedback.h"
#include "settings/SettingsFile.h"
#include "support/EventLogs.h"
#include "support/MainWindowHarness.h"
#include "support/SnapInstall.h"
#include "support/ImagingStation.h"
#include "support/WineDesktop.h"
#include "targeting/TargetRecords.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::vector<UINT> g_beeps;
BOOL WINAPI RecordBeep(UINT type) {
    g_beeps.push_back(type);
    return TRUE;
}

constexpr int kControlId = ImagingStation::kControlId;
using ExternalApplication = ImagingStation;

class ActionExecution : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        g_beeps.clear();
        g_messageBeep = RecordBeep;
        ReceivedMessages().clear();
    }
    void TearDown() override {
        g_messageBeep = MessageBeep;
        MainWindowTest::TearDown();
    }

    // Step `index` aims at C through its stored description and path.
    static void AimStepAtControl(int index, const char* description = "800;600;SnapTestTop\t") {
        WriteStoredText(kSectionParam, StepKey("Base", index).c_str(), description);
        WriteStoredText(kSectionParam, StepKey("Destination", index).c_str(), "2;140;62");
    }
    static void SetStep(const char* baseName, int index, int value) {
        WriteSettingInt(kSectionAction, StepKey(baseName, index).c_str(), value);
    }

    // Runs `body` inside the main window's modal loop, then ends it.
    static void WithMainWindow(std::function<void(CScriptedMainWindow&)> body) {
        CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
            body(w);
            PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
        }});
        window.DoModal();
    }

    // Performs one step and returns what the external application received.
    static std::vector<ReceivedMessage> Perform(bool beep, int index) {
        WithMainWindow([&](CScriptedMainWindow& w) {
            w.PerformStep(beep, index);
            DeliverPostedMessages();
        });
        return ReceivedMessages();
    }
};

enum class Recipient { ControlsParent, Control };

struct StepCase {
    const char* name;
    int type;
    std::vector<std::pair<const char*, int>> keys; // further keys of the step
    Recipient recipient;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class StepTypes : public ActionExecution, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepTypes, PostTheirMessageToTheirRecipient) {
    ExternalApplication app;
    const StepCase& c = GetParam();
    AimStepAtControl(1);
    SetStep("Type", 1, c.type);
    for (const auto& key : c.keys)
        SetStep(key.first, 1, key.second);
    const std::vector<ReceivedMessage> received = Perform(true, 1);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(c.recipient == Recipient::Control ? app.c : app.p, received[0].window);
    EXPECT_EQ(c.message, received[0].message);
    EXPECT_EQ(c.wParam, received[0].wParam);
    EXPECT_EQ(c.lParam, received[0].lParam);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepTypes,
    ::testing::Values(
        StepCase{"ButtonClick", 0, {}, Recipient::ControlsParent, WM_COMMAND, 0x1234, 0},
        StepCase{"ButtonDoubleClick", 1, {}, Recipient::ControlsParent, WM_COMMAND, 0x00051234, 0},
        StepCase{"SendCommand",
                 2,
                 {{"WParam", 5}, {"LParam", 7}},
                 Recipient::ControlsParent,
                 WM_COMMAND,
                 5,
                 7},
        StepCase{"SendCommandNegative",
                 2,
                 {{"WParam", -1}, {"LParam", -1}},
                 Recipient::ControlsParent,
                 WM_COMMAND,
                 0xFFFFFFFF,
                 -1},
        StepCase{"SendMessageDefault", 3, {}, Recipient::ControlsParent, 1024, 0, 0},
        StepCase{"SendMessage",
                 3,
                 {{"Message", 0x4321}, {"WParam", 9}, {"LParam", 11}},
                 Recipient::ControlsParent,
                 0x4321,
                 9,
                 11},
        StepCase{"Joystick1Down", 4, {}, Recipient::Control, MM_JOY1BUTTONDOWN, 0x0101, 0x000A000A},
        StepCase{"Joystick1Up", 5, {}, Recipient::Control, MM_JOY1BUTTONUP, 0x0100, 0x000A000A},
        StepCase{"Joystick2Down", 6, {}, Recipient::Control, MM_JOY2BUTTONDOWN, 0x0202, 0x000A000A},
        StepCase{"Joystick2Up", 7, {}, Recipient::Control, MM_JOY2BUTTONUP, 0x0200, 0x000A000A}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActionExecution, AMouseClickMovesTheCursorAndClicksTheControlAtThePoint) {
    ExternalApplication app;
    AimStepAtControl(2);
    SetStep("Type", 2, 8);
    const std::vector<ReceivedMessage> received = Perform(true, 2);
    POINT expectedCursor = {140, 62};
    ClientToScreen(app.tree.Top(), &expectedCursor);
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(expectedCursor.x, cursor.x);
    EXPECT_EQ(expectedCursor.y, cursor.y);
    ASSERT_EQ(2u, received.size());
    const LPARAM inControl = MAKELPARAM(40, 12); // (140, 62) of T in C's client area
    EXPECT_EQ(app.c, received[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), received[0].message);
    EXPECT_EQ(0u, received[0].wParam);
    EXPECT_EQ(inControl, received[0].lParam);
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), received[1].message);
    EXPECT_EQ(inControl, received[1].lParam);
}

TEST_F(ActionExecution, WithoutAControlAtThePointTheTopWindowIsTheTarget) {
    ExternalApplication app;
    AimStepAtControl(0);
    WriteStoredText(kSectionParam, "Destination", "2;700;500"); // nothing there
    SetStep("Type", 0, 4);
    const std::vector<ReceivedMessage> received = Perform(true, 0);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(app.tree.Top(), received[0].window);
}

TEST_F(ActionExecution, ABroadcastStepNeedsNoWindowSearch) {
    ExternalApplication own; // a window of Snap's own process
    TempDir folder;
    StandInImager imager(folder.Path(), UniqueName("Broadcast Station "));
    ASSERT_NE(nullptr, imager.Window());
    WriteStoredText(kSectionParam, "Base", kBroadcastDescription);
    SetStep("Type", 0, 2);
    SetStep("WParam", 0, 5);
    SetStep("LParam", 0, 7);
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    // Every other program's top-level windows get it, the external
    // application's among them; Snap's own windows do not.
    // (The platform broadcasts only system and registered message numbers.)
    EXPECT_TRUE(Perform(true, 0).empty());
    CloseStartMenuOpenedByABroadcast();
    const std::vector<ImagerEvent> received = imager.WaitForMessages(1);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ("main", received[0].receiver);
    EXPECT_EQ(static_cast<unsigned>(WM_COMMAND), received[0].Message());
    EXPECT_EQ(5u, received[0].WParam());
    EXPECT_EQ(7u, received[0].LParam());
    EXPECT_EQ(std::vector<UINT>{kStepDoneBeep}, g_beeps);
}

TEST_F(ActionExecution, ABroadcastMouseClickClicksNothingAndSaysSo) {
    ExternalApplication app;
    WriteStoredText(kSectionParam, "Base", kBroadcastDescription);
    SetStep("Type", 0, 8);
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    POINT before = {};
    GetCursorPos(&before);
    EXPECT_TRUE(Perform(true, 0).empty());
    POINT after = {};
    GetCursorPos(&after);
    EXPECT_EQ(before.x, after.x);
    EXPECT_EQ(before.y, after.y);
    EXPECT_EQ(std::vector<UINT>{kStepFailedBeep}, g_beeps);
}

struct FailureCase {
    const char* name;
    const char* description; // nullptr: none stored
    int type;
};

class StepFailures : public ActionExecution, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StepFailures, PostNothingAndGiveTheErrorBeep) {
    ExternalApplication app;
    if (GetParam().description)
        AimStepAtControl(0, GetParam().description);
    SetStep("Type", 0, GetParam().type);
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    EXPECT_TRUE(Perform(true, 0).empty());
    EXPECT_EQ(std::vector<UINT>{kStepFailedBeep}, g_beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StepFailures,
    ::testing::Values(FailureCase{"NoDescription", nullptr, 0},
                      FailureCase{"DescriptionWithTwoFields", "800;600", 0},
                      FailureCase{"WindowNotRunning", "800;600;NoSuchWindowClass\t", 0},
                      FailureCase{"UnknownType", "800;600;SnapTestTop\t", 10},
                      FailureCase{"NegativeUnknownType", "800;600;SnapTestTop\t", -2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActionExecution, APostTheSystemRefusesIsAFailedStep) {
    // A message that carries a pointer can only be sent: the system refuses
    // to post it, as it refuses a post to a closed window or to a program of
    // higher integrity. Nothing reached the application.
    ExternalApplication app;
    AimStepAtControl(0);
    SetStep("Type", 0, 3);
    SetStep("Message", 0, WM_SETTEXT);
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    EXPECT_TRUE(Perform(true, 0).empty());
    EXPECT_EQ(std::vector<UINT>{kStepFailedBeep}, g_beeps);
}

TEST_F(ActionExecution, TheOutcomeOfARefusedPostCarriesTheSystemsErrorCode) {
    ExternalApplication app;
    ActionStep step;
    step.type = static_cast<int>(ActionType::SendCustomMessage);
    step.message = WM_SETTEXT;
    step.windowDescription = "800;600;SnapTestTop\t";
    step.targetPath = "2;140;62";
    const StepOutcome refused = PerformAction(step, 0);
    EXPECT_EQ(StepResult::PostRefused, refused.result);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY), refused.error);
    EXPECT_EQ(app.tree.Top(), refused.window);
    EXPECT_EQ(app.c, refused.target);

    step.message = WM_APP + 1;
    const StepOutcome performed = PerformAction(step, 0);
    EXPECT_EQ(StepResult::Performed, performed.result);
    EXPECT_EQ(0u, performed.error);
}

struct OutcomeCase {
    const char* name;
    const char* description; // nullptr: none stored
    int type;
    StepResult expected;
};

class StepOutcomes : public ActionExecution, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(StepOutcomes, SayWhyAStepWasNotPerformed) {
    ExternalApplication app;
    ActionStep step;
    step.type = GetParam().type;
    if (GetParam().description)
        step.windowDescription = GetParam().description;
    step.targetPath = "2;140;62";
    step.program = "C:\\no\\such\\program.exe";
    const StepOutcome outcome = PerformAction(step, 0);
    EXPECT_EQ(GetParam().expected, outcome.result);
    // A failed launch says why, as the system told it.
    EXPECT_EQ(GetParam().expected == StepResult::LaunchFailed, outcome.error != 0);
    DeliverPostedMessages();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StepOutcomes,
    ::testing::Values(
        OutcomeCase{"Performed", "800;600;SnapTestTop\t", 4, StepResult::Performed},
        OutcomeCase{"NoWindowDescription", nullptr, 0, StepResult::NoWindowDescription},
        OutcomeCase{"WindowNotRunning", "800;600;NoSuchWindowClass\t", 0,
                    StepResult::WindowNotRunning},
        OutcomeCase{"BroadcastMouseClick", kBroadcastDescription, 8,
                    StepResult::BroadcastMouseClick},
        OutcomeCase{"UnknownType", "800;600;SnapTestTop\t", 10, StepResult::UnknownType},
        OutcomeCase{"LaunchFailed", "800;600;SnapTestTop\t", 9, StepResult::LaunchFailed}),
    [](const auto& info) { return std::string(info.param.name); });

// A path that leads nowhere in today's window tree (the application's layout
// changed) still sends the step to the window, as it always has, and says so.
TEST_F(ActionExecution, APathLeadingToNoControlIsToldApartFromOneThatResolves) {
    ExternalApplication app;
    ActionStep step;
    step.type = static_cast<int>(ActionType::ButtonClick);
    step.windowDescription = "800;600;SnapTestTop\t";
    struct {
        const char* path;
        bool controlNotFound;
        HWND target;
    } const cases[] = {{"2;140;62", false, app.c},
                       {"7;140;62", true, app.tree.Top()},
                       {"2;790;590", true, app.tree.Top()},
                       {"", false, app.tree.Top()},
                       // No positions: the window itself may have been the
                       // target (its background, or a window without controls).
                       {"790;590", false, app.tree.Top()}};
    for (const auto& c : cases) {
        step.targetPath = c.path;
        const StepOutcome outcome = PerformAction(step, 0);
        EXPECT_EQ(StepResult::Performed, outcome.result) << c.path;
        EXPECT_EQ(c.controlNotFound, outcome.controlNotFound) << c.path;
        EXPECT_EQ(c.target, outcome.target) << c.path;
    }
    DeliverPostedMessages();
}

struct BeepCase {
    const char* name;
    bool beep;
    const char* noBeep; // nullptr: absent
    bool succeeds;
    std::vector<UINT> expected;
};

class Beeps : public ActionExecution, public ::testing::WithParamInterface<BeepCase> {};

TEST_P(Beeps, SoundOnlyWhenAllowedAndNoBeepIsSet) {
    ExternalApplication app;
    AimStepAtControl(0, GetParam().succeeds ? "800;600;SnapTestTop\t" : "800;600;Absent\t");
    if (GetParam().noBeep)
        WriteSettingString(kSectionParam, "NoBeep", GetParam().noBeep);
    Perform(GetParam().beep, 0);
    EXPECT_EQ(GetParam().expected, g_beeps);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Beeps,
    ::testing::Values(BeepCase{"DoneWithNoBeepSet", true, "1", true, {kStepDoneBeep}},
                      BeepCase{"FailedWithNoBeepSet", true, "1", false, {kStepFailedBeep}},
                      BeepCase{"NoBeepZero", true, "0", true, {}},
                      BeepCase{"NoBeepAbsent", true, nullptr, false, {}},
                      BeepCase{"BeepNotAllowed", false, "1", true, {}},
                      BeepCase{"FailureBeepNotAllowed", false, "1", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActionExecution, EveryStepSavesThePlacementFirst) {
    Perform(true, 3); // step 3 is absent: the end of the sequence
    EXPECT_EQ(44, ReadSettingInt(kSectionPlacement, "length", 0));
}

TEST_F(ActionExecution, OnlyStepNineBringsTheWindowToTheTopAndFocusesIt) {
    ExternalApplication app;
    for (int index : {8, 9}) {
        AimStepAtControl(index);
        SetStep("Type", index, 4);
    }
    bool aboveAfterStep8 = true, aboveAfterStep9 = false;
    HWND focusAfterStep9 = nullptr;
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    auto isAboveOther = [&] {
        for (HWND w = GetWindow(app.tree.Top(), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
            if (w == other)
                return true;
        return false;
    };
    WithMainWindow([&](CScriptedMainWindow& w) {
        SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        w.PerformStep(true, 8);
        aboveAfterStep8 = isAboveOther();
        w.PerformStep(true, 9);
        aboveAfterStep9 = isAboveOther();
        focusAfterStep9 = GetFocus();
    });
    DestroyWindow(other);
    EXPECT_FALSE(aboveAfterStep8);
    EXPECT_TRUE(aboveAfterStep9);
    EXPECT_EQ(app.tree.Top(), focusAfterStep9);
}

TEST_F(ActionExecution, TheEndOfTheSequenceResetsTheRunAndStopsTheStepTimer) {
    ExternalApplication app;
    AimStepAtControl(0);
    bool runningAfterPress = false, runningAfterEnd = true, stepTimerAlive = true;
    WithMainWindow([&](CScriptedMainWindow& w) {
        w.OnSnap(); // a timed run: step 0 performed, the step timer armed
        runningAfterPress = w.SequenceRunning();
        w.PerformStep(true, 1); // step 1 is absent: the end
        runningAfterEnd = w.SequenceRunning();
        stepTimerAlive = KillTimer(w.Window(), 7777) != FALSE;
    });
    EXPECT_TRUE(runningAfterPress);
    EXPECT_FALSE(runningAfterEnd);
    EXPECT_FALSE(stepTimerAlive);
}

TEST_F(ActionExecution, TheReturnToLivePerformsStepZeroAgainWithoutBeep) {
    ExternalApplication app;
    AimStepAtControl(0);
    WriteSettingInt(kSectionAction, "BTLive", 1);
    WriteSettingInt(kSectionParam, "Delay", 0);
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    const std::vector<ReceivedMessage> received = Perform(true, 1); // the end of the sequence
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(app.p, received[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), received[0].message);
    EXPECT_TRUE(g_beeps.empty());
}

class ReturnToLiveDelay : public ActionExecution, public ::testing::WithParamInterface<int> {};

TEST_P(ReturnToLiveDelay, ANegativeDelayWaitsNothing) {
    ExternalApplication app;
    AimStepAtControl(0);
    WriteSettingInt(kSectionAction, "BTLive", 1);
    WriteSettingInt(kSectionParam, "Delay", GetParam());
    EXPECT_EQ(1u, Perform(true, 1).size()); // returns at all: no wait of ~49 days
}

INSTANTIATE_TEST_SUITE_P(Values, ReturnToLiveDelay, ::testing::Values(-1, -350, INT_MIN));

TEST_F(ActionExecution, AReturnToLiveNeverStartsAnother) {
    // Step 0 is None: its return to live meets the end again.
    WriteSettingInt(kSectionAction, "Type", -1);
    WriteSettingInt(kSectionAction, "BTLive", 1);
    WriteSettingInt(kSectionParam, "Delay", 0);
    bool returned = false;
    WithMainWindow([&](CScriptedMainWindow& w) {
        w.PerformStep(true, 0);
        returned = true;
    });
    EXPECT_TRUE(returned);
}

class Launcher : public ActionExecution {
protected:
    void SetUp() override {
        ActionExecution::SetUp();
        SetEnvironmentVariableA("SNAP_TEST_COMMAND_LINE_FILE", (m_dir / "cmdline.txt").c_str());
        m_release = CreateEventA(nullptr, TRUE, FALSE, "SnapTestRelease");
    }
    void TearDown() override {
        SetEvent(m_release); // let the launched program end
        CloseHandle(m_release);
        ActionExecution::TearDown();
    }
    std::string RecordedCommandLine() {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!FileExists(m_dir / "cmdline.txt") && GetTickCount64() < deadline)
            WaitForSingleObject(m_release, 20);
        return ReadTextFile(m_dir / "cmdline.txt");
    }

    TempDir m_dir;
    HANDLE m_release = nullptr;
};

TEST_F(Launcher, RunsTheProgramQuotedWithItsParametersAndDoesNotWaitForAConsoleProgram) {
    ExternalApplication app;
    AimStepAtControl(0);
    SetStep("Type", 0, 9);
    const std::string program = BuiltCommandLineRecorder();
    WriteSettingString(kSectionAction, "ExtApp", program.c_str());
    WriteSettingString(kSectionAction, "ExtAppParam", "/frame 3 \"a b\"");
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    Perform(true, 0); // returns while the program still runs: it has no message queue
    EXPECT_EQ("\"" + program + "\" /frame 3 \"a b\"", RecordedCommandLine());
    EXPECT_EQ(std::vector<UINT>{kStepDoneBeep}, g_beeps);
}

TEST_F(Launcher, EmptyParametersLeaveTheSpace) {
    ExternalApplication app;
    AimStepAtControl(4);
    SetStep("Type", 4, 9);
    const std::string program = BuiltCommandLineRecorder();
    WriteSettingString(kSectionAction, "ExtApp4", program.c_str());
    Perform(true, 4);
    EXPECT_EQ("\"" + program + "\" ", RecordedCommandLine());
}

TEST_F(Launcher, NothingIsLaunchedWhenTheWindowIsNotFound) {
    AimStepAtControl(0, "800;600;NoSuchWindowClass\t");
    SetStep("Type", 0, 9);
    WriteSettingString(kSectionAction, "ExtApp", BuiltCommandLineRecorder().c_str());
    Perform(true, 0);
    EXPECT_FALSE(FileExists(m_dir / "cmdline.txt"));
}

TEST_F(Launcher, AProgramThatCannotStartCountsAsPerformed) {
    ExternalApplication app;
    AimStepAtControl(0);
    SetStep("Type", 0, 9);
    WriteSettingString(kSectionAction, "ExtApp", "C:\\no\\such\\program.exe");
    WriteSettingInt(kSectionParam, "NoBeep", 1);
    Perform(true, 0);
    EXPECT_EQ(std::vector<UINT>{kStepDoneBeep}, g_beeps);
}

} // namespace
