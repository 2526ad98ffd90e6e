// What the main window tells of the steps it performs: a line of the run log
// for each, and a tray notification when one fails, at most one per cause a
// minute and never over the settings.
#include "engine/ActionStep.h"
#include "resources/resource.h"
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"
#include "support/EventLogs.h"
#include "support/DoubleByteText.h"
#include "support/MainWindowHarness.h"
#include "support/ImagingStation.h"
#include "targeting/TargetRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace {

constexpr const char* kStationDescription = ImagingStation::kDescription;
constexpr const char* kPathToC = ImagingStation::kPathToControl;

ULONGLONG g_now = 0;
ULONGLONG WINAPI FakeTickCount() {
    return g_now;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

void End(CScriptedMainWindow& w) {
    PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
}

class RunReport : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        DeleteLogs();
        g_now = 5000000;
        g_tickCount64 = FakeTickCount;
        ReceivedMessages().clear();
    }
    void TearDown() override {
        g_tickCount64 = GetTickCount64;
        DeleteLogs();
        MainWindowTest::TearDown();
    }
    static void DeleteLogs() {
        DeleteFileA(LogFilePath().c_str());
        DeleteFileA((LogFilePath() + ".1").c_str());
    }

    static std::string Log() { return ReadTextFile(LogFilePath()); }
    static std::vector<TrayCall> Balloons() {
        std::vector<TrayCall> balloons;
        for (const TrayCall& call : TrayCalls())
            if (call.flags & NIF_INFO)
                balloons.push_back(call);
        return balloons;
    }

    static void SetStep(int index, int type, const char* description, const char* path) {
        WriteSettingInt(kSectionAction, StepKey("Type", index).c_str(), type);
        if (description)
            WriteStoredText(kSectionParam, StepKey("Base", index).c_str(), description);
        if (path)
            WriteStoredText(kSectionParam, StepKey("Destination", index).c_str(), path);
    }

    // Runs `body` inside the main window's modal loop, then ends it.
    static void WithMainWindow(std::function<void(CScriptedMainWindow&)> body) {
        CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
            body(w);
            DeliverPostedMessages();
            End(w);
        }});
        window.DoModal();
    }
};

struct CauseCase {
    const char* name;
    int index;
    int type;
    const char* description;
    const char* path;
    const char* logged;  // in the step's log line
    const char* balloon; // the notification's text; nullptr: none
    const char* identity = nullptr; // the recorded control's identity record
};

class StepReports : public RunReport, public ::testing::WithParamInterface<CauseCase> {};

TEST_P(StepReports, NameTheCauseInTheLogAndInTheNotification) {
    ImagingStation station;
    const CauseCase& c = GetParam();
    SetStep(c.index, c.type, c.description, c.path);
    if (c.identity)
        WriteStoredText(kSectionParam, StepKey("Control", c.index).c_str(), c.identity);
    WriteSettingInt(kSectionAction, StepKey("Message", c.index).c_str(), WM_SETTEXT);
    WriteSettingString(kSectionAction, StepKey("ExtApp", c.index).c_str(),
                       "C:\\no\\such\\folder\\imaging.exe");
    WithMainWindow([&](CScriptedMainWindow& w) { w.PerformStep(true, c.index); });

    const std::string log = Log();
    const std::string stepName =
        "step " + std::to_string(c.index + 1) + " (" + StepTypeName(c.type) + ")  ";
    EXPECT_NE(std::string::npos, log.find(stepName + c.logged)) << log;
    const std::vector<TrayCall> balloons = Balloons();
    if (!c.balloon) {
        EXPECT_TRUE(balloons.empty());
        return;
    }
    ASSERT_EQ(1u, balloons.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), balloons[0].operation);
    EXPECT_EQ(static_cast<UINT>(IDI_TRAY_ICON), balloons[0].id);
    EXPECT_EQ(static_cast<DWORD>(NIIF_WARNING), balloons[0].infoFlags);
    EXPECT_EQ(ApplicationName(), balloons[0].infoTitle);
    // The system's own words for an error code follow where the case stops.
    EXPECT_EQ(0u, balloons[0].info.rfind(c.balloon, 0)) << balloons[0].info;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, StepReports,
    ::testing::Values(
        CauseCase{"Done", 0, 0, kStationDescription, kPathToC,
                  "done: window [SnapTestTop] \"Imaging Station\", control [SnapTestChild] \"\" id "
                  "4660",
                  nullptr},
        CauseCase{"NoTarget", 0, 0, nullptr, nullptr, "NOT DONE: the step has no target window",
                  "Step 1 has no target. Open Setup and drag the target symbol onto the imaging "
                  "application's button."},
        CauseCase{"NotRunning", 3, 0, "800;600;ClosedImager\t", kPathToC,
                  "NOT DONE: a window of class \"ClosedImager\" was not found; the imaging "
                  "application is not running, or its window changed",
                  "The imaging application is not running (Step 4 found no window of class "
                  "\"ClosedImager\"). Start it, then press again."},
        CauseCase{"NotRunningByTitle", 0, 0, "800;600;SnapTestTop\tImaging Station 2", kPathToC,
                  "NOT DONE: a window titled \"Imaging Station 2\" was not found",
                  "The imaging application is not running (Step 1 found no window titled "
                  "\"Imaging Station 2\"). Start it, then press again."},
        CauseCase{"NotRunningByATitleWithLineBreaks", 0, 0,
                  "800;600;SnapTestTop\tImaging\r\nStation\n2", kPathToC,
                  "NOT DONE: a window titled \"Imaging  Station 2\" was not found",
                  "The imaging application is not running (Step 1 found no window titled "
                  "\"Imaging  Station 2\"). Start it, then press again."},
        CauseCase{"NotRunningByALongTitle", 0, 0,
                  "800;600;SnapTestTop\tImaging Station of the second floor, left-hand room, "
                  "by the window nearest the door",
                  kPathToC, "NOT DONE: a window titled \"Imaging Station of the second floor",
                  "The imaging application is not running (Step 1 found no window titled "
                  "\"Imaging Station of the second floor, left-hand room, by t...\"). Start it, "
                  "then press again."},
        CauseCase{"ControlGone", 1, 0, kStationDescription, "7;140;62",
                  "done: window [SnapTestTop] \"Imaging Station\"; the stored path leads to no "
                  "control any more, so the step went to the window itself",
                  "Step 2: the imaging application's window was found but its control is gone. "
                  "Open Setup and reconfigure the step."},
        CauseCase{"ControlChanged", 1, 0, kStationDescription, kPathToC,
                  "NOT DONE: the control has changed: expected [SnapTestChild] \"\" id 4661, at "
                  "its place now [SnapTestChild] \"\" id 4660; no control of that identity is in "
                  "window [SnapTestTop] \"Imaging Station\"",
                  "Step 2: the control has changed (expected [SnapTestChild] \"\" id 4661, found "
                  "[SnapTestChild] \"\" id 4660). Nothing was clicked. Open Setup and drag the "
                  "target symbol onto it again.",
                  "4661;40;12;SnapTestChild\t"},
        CauseCase{"BroadcastMouseClick", 0, 8, kBroadcastDescription, "",
                  "NOT DONE: a mouse click cannot be broadcast to every window",
                  "Step 1 is a mouse click sent to every window, which has no place to click. "
                  "Open Setup and give it a target."},
        CauseCase{"UnknownType", 0, 12, kStationDescription, kPathToC,
                  "NOT DONE: unknown step type 12",
                  "Step 1 has an unknown function. Open Setup and choose one."},
        CauseCase{"PostRefused", 0, 3, kStationDescription, kPathToC,
                  "NOT DONE: the system refused the message, error 1159",
                  "Step 1: Windows refused Snap's message to the imaging application (error "
                  "1159"},
        CauseCase{"LaunchFailed", 2, 9, kStationDescription, kPathToC,
                  "NOT DONE: \"C:\\no\\such\\folder\\imaging.exe\" could not be started, error ",
                  "Step 3: \"C:\\no\\such\\folder\\imaging.exe\" could not be started (error "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunReport, ADoubleByteTitleIsCutBetweenItsCharacters) {
    if (!InDoubleByteCodePage())
        GTEST_SKIP() << "runs with code page 932 (InCodePage932.*)";
    // The notification quotes the first 57 bytes of a long title; an even
    // prefix puts a character across that limit.
    const std::string title = DoubleByteTitle("No", 40);
    SetStep(0, 0, ("800;600;ClosedImager\t" + title).c_str(), kPathToC);
    WithMainWindow([&](CScriptedMainWindow& w) { w.PerformStep(true, 0); });
    EXPECT_NE(std::string::npos, Log().find("a window titled \"" + title + "\" was not found"))
        << Log();
    const std::vector<TrayCall> balloons = Balloons();
    ASSERT_EQ(1u, balloons.size());
    const std::string& info = balloons[0].info;
    const size_t start = info.find("titled \"") + 8, end = info.find("...\")");
    ASSERT_NE(std::string::npos, end) << info;
    EXPECT_TRUE(CutBetweenCharacters(info.substr(start, end - start), title, 57));
}

TEST_F(RunReport, AtMostOneNotificationPerCauseAMinute) {
    ImagingStation station;
    SetStep(0, 0, "800;600;ClosedImager\t", kPathToC); // not running
    SetStep(1, 0, kStationDescription, "7;140;62");    // control gone
    std::vector<size_t> counts;
    WithMainWindow([&](CScriptedMainWindow& w) {
        const struct {
            ULONGLONG at;
            int step;
        } presses[] = {{0, 0},     {1000, 0},  {59999, 0},  {59999, 1},
                       {60000, 0}, {60500, 1}, {119999, 1}, {120000, 0}};
        const ULONGLONG start = g_now;
        for (const auto& press : presses) {
            g_now = start + press.at;
            w.PerformStep(true, press.step);
            ASSERT_TRUE(w.TrayCallsMade());
            counts.push_back(Balloons().size());
        }
    });
    EXPECT_EQ((std::vector<size_t>{1, 1, 1, 2, 3, 3, 4, 5}), counts);
    // Every failure is in the log all the same.
    EXPECT_EQ(5u, Occurrences(Log(), "step 1 (Button click)  NOT DONE")) << Log();
    EXPECT_EQ(3u, Occurrences(Log(), "leads to no control")) << Log();
}

TEST_F(RunReport, NoNotificationWhileTheSettingsAreOpenNorWhenNotifyIsZero) {
    SetStep(0, 0, kBroadcastDescription, ""); // the dialog opens without a warning
    SetStep(1, 0, "800;600;ClosedImager\t", kPathToC);
    size_t duringSettings = 99, afterSettings = 0, withNotifyOff = 99;
    WithMainWindow([&](CScriptedMainWindow& w) {
        WhileLoopsRun([&] {
            HWND settings = FindWindowA(nullptr, "Settings");
            if (!settings || !IsWindowVisible(settings))
                return false;
            // A timed run's step timer keeps running while they are open.
            w.PerformStep(true, 1);
            EXPECT_TRUE(w.TrayCallsMade());
            duringSettings = Balloons().size();
            SendDlgItemMessageA(settings, IDCANCEL, BM_CLICK, 0, 0);
            return true;
        });
        w.OnSetup();
        w.PerformStep(true, 1);
        ASSERT_TRUE(w.TrayCallsMade());
        afterSettings = Balloons().size();
        WriteSettingInt(kSectionParam, "Notify", 0);
        g_now += kNoticeIntervalMs;
        w.PerformStep(true, 1);
        ASSERT_TRUE(w.TrayCallsMade());
        withNotifyOff = Balloons().size();
    });
    EXPECT_EQ(0u, duringSettings);
    EXPECT_EQ(1u, afterSettings);
    EXPECT_EQ(1u, withNotifyOff);
    // Every failure is logged, whatever was shown, and so is the cancel.
    EXPECT_EQ(3u, Occurrences(Log(), "step 2 (Button click)  NOT DONE")) << Log();
    EXPECT_EQ(1u, Occurrences(Log(), "settings cancelled")) << Log();
}

} // namespace

namespace {

TEST_F(RunReport, EachStepsLineNamesWhatMadeItHappen) {
    ImagingStation station;
    SetStep(0, 0, kStationDescription, kPathToC);
    SetStep(1, 0, kStationDescription, kPathToC);
    WriteSettingInt(kSectionParam, "Delay", 0);
    WriteSettingInt(kSectionAction, "BTLive", 1);
    WriteSettingInt(kSectionParam, "StepByStep", 1);
    CScriptedMainWindow window({
        // Step by step, so that each press performs one step of its own.
        [&](CScriptedMainWindow& w) {
            SendMessageA(w.Window(), WM_COMMAND, ID_TRAY_SNAP, 0);
            SendMessageA(w.Window(), WM_COMMAND, MAKEWPARAM(IDC_SNAP_BUTTON, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(w.Window(), IDC_SNAP_BUTTON)));
            // That run ended after its last step with a return to live. Now a
            // timed run: its second step comes from the step timer, then
            // another return to live.
            WriteSettingInt(kSectionParam, "StepByStep", 0);
            SetStep(2, -1, nullptr, nullptr);
            WriteTextFile(m_cameraControl / "press", "");
            WhileLoopsRun([&] {
                const std::string log = Log();
                const size_t timed = log.find("step timer (run started by camera button)  step 2");
                if (timed == std::string::npos ||
                    log.find("return to live  step 1", timed) == std::string::npos)
                    return false;
                End(w);
                return true;
            });
        },
    });
    window.DoModal();
    const std::string log = Log();
    const char* const expected[] = {
        "tray menu  step 1 (Button click)  done",
        "button click  step 2 (Button click)  done",
        "return to live  step 1 (Button click)  done",
        "camera button  step 1 (Button click)  done",
        "step timer (run started by camera button)  step 2 (Button click)  done",
        "return to live  step 1 (Button click)  done"};
    size_t from = 0;
    for (const char* line : expected) {
        const size_t at = log.find(line, from);
        EXPECT_NE(std::string::npos, at) << line << " after offset " << from << " in\n" << log;
        if (at != std::string::npos)
            from = at;
    }
}

TEST_F(RunReport, TheLibrarysSlowDownIsLoggedOncePerChange) {
    const std::string simulator = m_cameraControl / "KelvraTouchSim.ini";
    const std::string calls = m_cameraControl / "KelvraTouchSim.log";
    WriteTextFile(simulator, "[Simulator]\r\nIdleResult=-1\r\n");
    auto callCount = [&] {
        const std::string text = ReadTextFile(calls);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    };
    size_t callsWhenAnswering = 0;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        WhileLoopsRun([&] {
            // Three slow answers, then three ordinary ones.
            if (!callsWhenAnswering && callCount() >= 3) {
                WriteTextFile(simulator, "[Simulator]\r\nIdleResult=1\r\n");
                callsWhenAnswering = callCount();
            }
            if (!callsWhenAnswering || callCount() < callsWhenAnswering + 3)
                return false;
            End(w);
            return true;
        });
    }});
    window.DoModal();
    const std::string log = Log();
    EXPECT_EQ(1u, Occurrences(log, "camera library answers -1")) << log;
    EXPECT_EQ(1u, Occurrences(log, "camera library answers again (1)")) << log;
    EXPECT_LT(log.find("answers -1"), log.find("answers again"));
}

TEST_F(RunReport, ALogThatCannotBeWrittenHoldsNothingBack) {
    ImagingStation station;
    SetStep(0, 0, kStationDescription, kPathToC);
    HANDLE held = CreateFileA(LogFilePath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    WithMainWindow([&](CScriptedMainWindow& w) { w.PerformStep(true, 0); });
    CloseHandle(held);
    ASSERT_EQ(1u, ReceivedMessages().size());
    EXPECT_EQ(station.p, ReceivedMessages()[0].window);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), ReceivedMessages()[0].message);
}

// A shell slow to take a balloon (or any call, when told): each one waits
// until the test lets it go, or for the hold at the most.
class SlowShell : public RunReport {
protected:
    void SetUp() override {
        RunReport::SetUp();
        s_entered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        s_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        s_inside = false;
        s_balloonsTaken = 0;
        s_holdMs = 30000;
        s_everyCall = false;
        g_shellNotifyIcon = TakeBalloonsSlowly;
    }
    void TearDown() override {
        SetEvent(s_release);
        CloseHandle(s_entered);
        CloseHandle(s_release);
        RunReport::TearDown();
    }

    static BOOL WINAPI TakeBalloonsSlowly(DWORD operation, PNOTIFYICONDATAA data) {
        s_shellThread = GetCurrentThreadId();
        if (s_everyCall || (data->uFlags & NIF_INFO)) {
            s_inside = true;
            SetEvent(s_entered);
            WaitForSingleObject(s_release, s_holdMs);
            s_inside = false;
            s_balloonsTaken += (data->uFlags & NIF_INFO) != 0;
        }
        return RecordTrayCall(operation, data);
    }

    // Whether the thread that made the shell's calls has ended, waiting for
    // it `timeoutMs` at the most.
    static bool ShellCallerEnded(DWORD timeoutMs) {
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, s_shellThread);
        if (!thread)
            return true; // gone altogether
        const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
        CloseHandle(thread);
        return ended;
    }

    // The calls to the camera library since the press was taken.
    size_t CameraCallsAfterThePress() const {
        const std::vector<CameraCall> calls = ReadCameraLog(m_cameraControl / "KelvraTouchSim.log");
        const auto press = std::find_if(calls.begin(), calls.end(),
                                        [](const CameraCall& call) { return call.result == 0; });
        return press == calls.end() ? 0 : static_cast<size_t>(calls.end() - press - 1);
    }

    static size_t BalloonsIn(const std::vector<TrayCall>& calls) {
        return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [](const TrayCall& c) {
            return (c.flags & NIF_INFO) != 0;
        }));
    }

    static inline HANDLE s_entered = nullptr;
    static inline HANDLE s_release = nullptr;
    static inline std::atomic<bool> s_inside{false};
    static inline std::atomic<int> s_balloonsTaken{0};
    static inline std::atomic<DWORD> s_holdMs{30000};
    static inline std::atomic<bool> s_everyCall{false};
    static inline std::atomic<DWORD> s_shellThread{0};
};

TEST_F(SlowShell, ANotificationTheShellIsSlowToTakeHoldsNeitherThePollNorTheNextStep) {
    ImagingStation station;
    SetStep(0, 0, "800;600;ClosedImager\t", kPathToC); // not running: a notification
    SetStep(1, 0, kStationDescription, kPathToC);
    WriteSettingInt(kSectionParam, "Delay", 0);
    bool pollAndStepWhileInside = false;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        WriteTextFile(m_cameraControl / "press", "");
        WhileLoopsRun([&] {
            if (s_inside) {
                // The library is asked again and the timed run goes on while
                // the shell still has the balloon.
                if (CameraCallsAfterThePress() == 0 || ReceivedMessages().empty())
                    return false;
                pollAndStepWhileInside = true;
            } else if (s_balloonsTaken == 0) {
                return false; // not yet pressed
            }
            SetEvent(s_release);
            End(w);
            return true;
        });
    }});
    window.DoModal();
    EXPECT_TRUE(pollAndStepWhileInside);
    const std::vector<TrayCall> calls = TrayCalls();
    EXPECT_EQ(1u, BalloonsIn(calls));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls.back().operation);
}

TEST_F(SlowShell, AShellThatDoesNotAnswerHoldsNeitherTheStartNorTheSettings) {
    SetStep(0, 0, kBroadcastDescription, ""); // the dialog opens without a warning
    s_everyCall = true;
    s_holdMs = 10000;
    bool polledWhileHeld = false, settingsOpenedWhileHeld = false;
    CScriptedMainWindow window({
        [&](CScriptedMainWindow& w) {
            // The icon's first call is still in the shell's hands.
            WhileLoopsRun([&] {
                if (s_inside)
                    polledWhileHeld =
                        !ReadCameraLog(m_cameraControl / "KelvraTouchSim.log").empty();
                if (s_inside && !polledWhileHeld)
                    return false;
                w.NextStep();
                return true;
            });
        },
        [&](CScriptedMainWindow& w) {
            WhileLoopsRun([&] {
                HWND settings = FindWindowA(nullptr, "Settings");
                if (!settings || !IsWindowVisible(settings))
                    return false;
                settingsOpenedWhileHeld = s_inside;
                SendDlgItemMessageA(settings, IDCANCEL, BM_CLICK, 0, 0);
                return true;
            });
            w.OnSetup();
            SetEvent(s_release);
            End(w);
        },
    });
    window.DoModal();
    EXPECT_TRUE(polledWhileHeld);
    EXPECT_TRUE(settingsOpenedWhileHeld);
    // All made in the end, in order.
    std::vector<DWORD> operations;
    for (const TrayCall& call : TrayCalls())
        operations.push_back(call.operation);
    EXPECT_EQ((std::vector<DWORD>{NIM_SETVERSION, NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}),
              operations);
}

TEST_F(SlowShell, AtTheEndTheIconIsRemovedAfterTheBalloonInTheShellsHandsAndNothingFollows) {
    ImagingStation station;
    SetStep(0, 0, "800;600;ClosedImager\t", kPathToC); // not running
    SetStep(1, 0, kStationDescription, "7;140;62");    // control gone
    s_holdMs = 1000;                                   // the shell answers, slowly
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.PerformStep(true, 0);
        WaitForSingleObject(s_entered, 30000);
        // A second notice waits behind the first when the program ends.
        w.PerformStep(true, 1);
        End(w);
    }});
    window.DoModal();
    const std::vector<TrayCall> calls = TrayCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls.back().operation);
    EXPECT_EQ(1u, BalloonsIn(calls)) << "only the balloon the shell already had";
    EXPECT_TRUE(ShellCallerEnded(0));
}

TEST_F(SlowShell, AShellThatDoesNotAnswerDoesNotHoldTheEndAndTheIconGoesWhenItDoes) {
    ImagingStation station;
    SetStep(0, 0, "800;600;ClosedImager\t", kPathToC);
    s_holdMs = 60000; // until released
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.PerformStep(true, 0);
        WaitForSingleObject(s_entered, 30000);
        End(w);
    }});
    window.DoModal();
    EXPECT_TRUE(s_inside) << "the end waited for the shell";
    SetEvent(s_release);
    EXPECT_TRUE(ShellCallerEnded(30000));
    const std::vector<TrayCall> calls = TrayCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), calls.back().operation);
    EXPECT_EQ(1u, BalloonsIn(calls));
}

TEST_F(SlowShell, ANoticeStillWaitingWhenTheSettingsOpenIsNotShown) {
    ImagingStation station;
    SetStep(0, 0, kBroadcastDescription, "");          // the dialog opens without a warning
    SetStep(1, 0, "800;600;ClosedImager\t", kPathToC); // not running
    SetStep(2, 0, kStationDescription, "7;140;62");    // control gone
    size_t balloonsWithSettingsOpen = 99;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.PerformStep(true, 1);
        WaitForSingleObject(s_entered, 30000);
        w.PerformStep(true, 2);
        WhileLoopsRun([&] {
            HWND settings = FindWindowA(nullptr, "Settings");
            if (!settings || !IsWindowVisible(settings))
                return false;
            // The shell takes the first balloon; what follows it is the
            // icon turning a deaf ear to clicks, not the second.
            SetEvent(s_release);
            balloonsWithSettingsOpen =
                BalloonsIn(WaitForTrayCalls([](const std::vector<TrayCall>& calls) {
                    return !calls.empty() && calls.back().callback == WM_TRAYICON_IGNORED;
                }));
            SendDlgItemMessageA(settings, IDCANCEL, BM_CLICK, 0, 0);
            return true;
        });
        w.OnSetup();
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(1u, balloonsWithSettingsOpen);
    EXPECT_EQ(1u, BalloonsIn(TrayCalls()));
}

TEST_F(RunReport, SettingsSavedAndCancelledAreLogged) {
    SetStep(0, 0, kBroadcastDescription, ""); // "Broadcast" is a target: OK closes
    for (int button : {IDOK, IDCANCEL}) {
        WithMainWindow([&](CScriptedMainWindow& w) {
            WhileLoopsRun([&] {
                HWND settings = FindWindowA(nullptr, "Settings");
                if (!settings || !IsWindowVisible(settings))
                    return false;
                SendDlgItemMessageA(settings, button, BM_CLICK, 0, 0);
                return true;
            });
            w.OnSetup();
        });
    }
    const std::string log = Log();
    const size_t saved = log.find("settings saved (OK in \"Settings\")");
    const size_t cancelled =
        log.find("settings cancelled: the settings as they were before put back");
    EXPECT_NE(std::string::npos, saved) << log;
    EXPECT_NE(std::string::npos, cancelled) << log;
    EXPECT_LT(saved, cancelled);
}

} // namespace
