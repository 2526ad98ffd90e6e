// The whole system end to end: the real Snap.exe, the stand-in camera button
// library and the stand-in imaging application, each its own process.
#include "EndToEnd.h"

#include <algorithm>

namespace {

TEST_F(EndToEnd, TimedRunPerformsStepsZeroToTwoAtTheDelayThenReturnsToLiveOnce) {
    Configuration configuration;
    configuration.steps = 3;
    configuration.returnToLive = true;
    StartSnap(configuration);
    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(4);
    ASSERT_EQ((std::vector<int>{0, 1, 2, 0}), StepsReceived(4));
    // One step per "Delay" (350 ms); the timer may fire a little early.
    for (size_t i = 1; i < 3; ++i)
        EXPECT_GE(received[i].timeMs - received[i - 1].timeMs, 330.0) << "step " << i;
    // Step 3 is absent: the run ends one Delay after step 2, and the return to
    // live follows another Delay later.
    EXPECT_GE(received[3].timeMs - received[2].timeMs, 2 * 330.0);

    // Only one return to live: the next press starts a new run at step 0.
    Press();
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 0, 1}), StepsReceived(6));
}

TEST_F(EndToEnd, TimedRunPerformsAllTenStepsThenEndsAtTheTenthTick) {
    Configuration configuration;
    configuration.steps = 10;
    configuration.delayMs = 100;
    StartSnap(configuration);
    Press();
    ASSERT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), StepsReceived(10));
    PressUntilANewRunStarts(); // not stuck: the run ends at the tenth tick
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}), StepsReceived(11));
}

TEST_F(EndToEnd, ATimedRunKeepsADelayLongerThanTheBoundOfTheWaitBeforeLive) {
    // The wait before a return to live holds the interface and is bounded to
    // 30 s; the step timer holds nothing and keeps the whole "Delay".
    Configuration configuration;
    configuration.steps = 2;
    configuration.delayMs = 32000;
    StartSnap(configuration);
    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(2, 60000);
    ASSERT_EQ((std::vector<int>{0, 1}), StepsReceived(2));
    EXPECT_GE(received[1].timeMs - received[0].timeMs, 31500.0);
}

class StepByStep : public EndToEnd, public ::testing::WithParamInterface<int> {};

TEST_P(StepByStep, EachPressPerformsOneStepAndTheNextPressAfterTheLastStartsAgain) {
    const int steps = GetParam();
    Configuration configuration;
    configuration.steps = steps;
    configuration.stepByStep = true;
    StartSnap(configuration);
    std::vector<int> expected;
    for (int press = 0; press <= steps; ++press) {
        Press();
        expected.push_back(press % steps);
        EXPECT_EQ(expected, StepsReceived(expected.size())) << "after press " << press + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, StepByStep, ::testing::Values(1, 3, 10));

TEST_F(EndToEnd, APressDuringATimedRunChangesNothing) {
    Configuration configuration;
    configuration.steps = 3;
    configuration.delayMs = 1000;
    StartSnap(configuration);
    Press();
    ASSERT_EQ(std::vector<int>{0}, StepsReceived(1));
    Press(); // while the run waits for step 1
    ASSERT_EQ((std::vector<int>{0, 1, 2}), StepsReceived(3));
    PressUntilANewRunStarts();
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), StepsReceived(4));
}

TEST_F(EndToEnd, TwoPressesAtConsecutivePollsGiveTwoSteps) {
    Configuration configuration;
    configuration.steps = 3;
    configuration.stepByStep = true;
    StartSnap(configuration);
    Press(2);
    EXPECT_EQ((std::vector<int>{0, 1}), StepsReceived(2));
}

TEST_F(EndToEnd, TwoPressesAtConsecutivePollsGiveTwoRunsOfOneStep) {
    Configuration configuration;
    configuration.steps = 1;
    configuration.stepByStep = true;
    StartSnap(configuration);
    Press(2);
    EXPECT_EQ((std::vector<int>{0, 0}), StepsReceived(2));
}

std::vector<double> PollIntervals(const std::vector<CameraCall>& calls, int result) {
    std::vector<double> intervals;
    for (size_t i = 1; i < calls.size(); ++i)
        if (calls[i - 1].result == result)
            intervals.push_back(calls[i].timeMs - calls[i - 1].timeMs);
    return intervals;
}

TEST_F(EndToEnd, AResultOfMinusOneSlowsPollingToOneSecond) {
    CameraIni("IdleResult=-1\r\n");
    StartSnap(Configuration{});
    const auto calls = WaitForRecords<CameraCall>(
        m_control / "KelvraTouchSim.log", [this] { return CameraCalls(); },
        [](const auto& c) { return c.size() >= 4; });
    const std::vector<double> intervals = PollIntervals(calls, -1);
    ASSERT_GE(intervals.size(), 3u);
    for (double interval : intervals)
        EXPECT_GE(interval, 950.0);
    for (const CameraCall& call : calls)
        EXPECT_EQ("USB 28 Camera", call.source);
}

TEST_F(EndToEnd, AnyOtherResultKeepsPollingFast) {
    CameraIni("IdleResult=1\r\n");
    StartSnap(Configuration{});
    const auto calls = WaitForRecords<CameraCall>(
        m_control / "KelvraTouchSim.log", [this] { return CameraCalls(); },
        [](const auto& c) { return c.size() >= 21; });
    std::vector<double> intervals = PollIntervals(calls, 1);
    ASSERT_GE(intervals.size(), 20u);
    std::sort(intervals.begin(), intervals.end());
    // 50 ms apart, not 1000: told apart with a wide margin, not timed.
    EXPECT_LT(intervals[intervals.size() / 2], 500.0);
    EXPECT_GE(intervals.front(), 45.0);
}

TEST_F(EndToEnd, AClickOnTheButtonFiresTheSequence) {
    StartSnap(Configuration{});
    ClickButton(GetDlgItem(m_snapWindow, IDC_SNAP_BUTTON));
    EXPECT_EQ(std::vector<int>{0}, StepsReceived(1))
        << "settings open: " << (m_snap->WaitForWindow("Settings", 0) != nullptr)
        << ", Snap visible: " << IsWindowVisible(m_snapWindow)
        << ", camera calls: " << CameraCalls().size();
}

TEST_F(EndToEnd, ACtrlClickOnTheButtonOpensTheSettingsInstead) {
    StartSnap(Configuration{});
    ClickButton(GetDlgItem(m_snapWindow, IDC_SNAP_BUTTON), true);
    const HWND settings = m_snap->WaitForWindow("Settings", kGenerousMs);
    ASSERT_NE(nullptr, settings);
    EXPECT_FALSE(IsWindowVisible(m_snapWindow)); // hidden while the settings are open
    EXPECT_TRUE(m_imager->Messages().empty());
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(EndToEnd, TheTrayMenusSnapFiresTheSequence) {
    StartSnap(Configuration{});
    // The shell reports a click on the icon; the menu is then chosen by a real click.
    PostMessageA(m_snapWindow, 0x8001, IDI_TRAY_ICON, WM_RBUTTONDOWN);
    const HWND menuWindow = m_snap->WaitForWindow("", kGenerousMs, "#32768");
    ASSERT_NE(nullptr, menuWindow);
    // "Snap" is the first entry, at the top of the menu.
    RECT menuRect = {};
    GetWindowRect(menuWindow, &menuRect);
    ClickAt({(menuRect.left + menuRect.right) / 2, menuRect.top + 10});
    EXPECT_EQ(std::vector<int>{0}, StepsReceived(1));
}

TEST_F(EndToEnd, PutInSysTrayHidesTheWindowAtTheFirstPoll) {
    Configuration configuration;
    configuration.putInSysTray = true;
    StartSnap(configuration);
    const ULONGLONG deadline = GetTickCount64() + kGenerousMs;
    while (IsWindowVisible(m_snapWindow) && GetTickCount64() < deadline)
        m_snap->WaitForExit(20);
    EXPECT_FALSE(IsWindowVisible(m_snapWindow));
    EXPECT_TRUE(m_snap->Running());
}

} // namespace

namespace {

std::string EditText(HWND edit) {
    char text[600] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// For the README: scripts/screenshots.sh names a folder, and the finder test
// photographs the screen at its interesting moments.
void Photograph(const char* name) {
    char folder[MAX_PATH] = "";
    if (GetEnvironmentVariableA("SNAP_SCREENSHOT_DIR", folder, MAX_PATH) == 0)
        return;
    RunLinuxProgram(std::string("/usr/bin/import -window root ") + folder + "/" + name + ".png");
}

class Finder : public EndToEnd {
protected:
    // Opens the settings of a Snap without any configured step.
    HWND OpenSettingsWithoutSteps() {
        Configuration configuration;
        configuration.steps = 0;
        configuration.stepByStep = true; // every press is a whole run of one step
        StartSnap(configuration);
        return OpenSettings();
    }
    HWND Control(int id) const { return GetDlgItem(m_imager->Window(), id); }

    // OK, without registering the test's copy at Windows start-up; true once
    // the dialog is gone and Snap's window is back.
    bool ConfirmSettings(HWND settings) const {
        if (SendMessageA(GetDlgItem(settings, IDC_LAUNCH_AT_STARTUP), BM_GETCHECK, 0, 0))
            SendMessageA(GetDlgItem(settings, IDC_LAUNCH_AT_STARTUP), BM_CLICK, 0, 0);
        PostMessageA(settings, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return !IsWindow(settings); }) &&
               WaitUntil([&] { return IsWindowVisible(m_snapWindow) != FALSE; });
    }

    // Presses on the rings and starts moving, as a person starts a drag;
    // false when the dialog did not fold away.
    static bool StartFinderDrag(HWND settings) {
        const POINT rings = CentreOfWindow(GetDlgItem(settings, IDC_FINDER));
        MovePointerTo(rings);
        RunLinuxProgram("/usr/bin/xdotool mousedown 1");
        if (!WaitUntil([&] { return WindowHeight(settings) == 0; }))
            return false;
        // The first small move only tells the platform a drag has begun.
        MovePointerTo({rings.x + 12, rings.y + 12});
        return true;
    }
};

TEST_F(Finder, APressOutsideTheRingsChangesNothing) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    RECT box = {};
    GetWindowRect(GetDlgItem(settings, IDC_TARGET_TEXT), &box);
    MovePointerTo({box.left - 40, box.top + 5}); // on the label, left of the box
    RunLinuxProgram("/usr/bin/xdotool mousedown 1");
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    // The press is handled once the dialog answers again.
    SendMessageA(settings, WM_NULL, 0, 0);
    EXPECT_EQ(height, WindowHeight(settings));
    EXPECT_EQ("", EditText(GetDlgItem(settings, IDC_TARGET_TEXT)));
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(Finder, ADragChoosesTheControlUnderTheCursorAndAPressThenClicksIt) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
    Photograph("settings");

    ASSERT_TRUE(StartFinderDrag(settings)) << "dialog not collapsed";

    // Over the group box, the button inside it is taken.
    MovePointerTo(CentreOfWindow(Control(104)));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Snapshot"; }))
        << EditText(box);
    // Where only the hidden control lies, the main window itself is taken.
    RECT hidden = {};
    GetWindowRect(Control(400), &hidden);
    MovePointerTo(CentreOf(hidden));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - " + m_title; }))
        << EditText(box);
    MovePointerTo(CentreOfWindow(Control(101)));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Capture"; }))
        << EditText(box);
    Photograph("finder-drag");

    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; })) << "not restored";
    EXPECT_EQ(m_title + " - Capture", EditText(box));
    Photograph("finder-chosen");

    // "Button click" is step 0's kind already: OK stores the step.
    SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK), BM_CLICK, 0, 0);
    ASSERT_TRUE(ConfirmSettings(settings));
    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(1);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ("main", received[0].receiver);
    EXPECT_EQ(0x0111u, received[0].Message());
    EXPECT_EQ(101u, received[0].WParam());
}

TEST_F(Finder, AMouseClickStepClicksTheReleasePointScaledToTheWindowsSize) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK + 8), BM_CLICK, 0, 0); // "Mouse click"

    const HWND top = m_imager->Window();
    const HWND canvas = Control(500);
    RECT canvasRect = {};
    GetWindowRect(canvas, &canvasRect);
    const POINT release = {canvasRect.left + 100, canvasRect.top + 60};

    ASSERT_TRUE(StartFinderDrag(settings));
    MovePointerTo(release);
    const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
    ASSERT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - "; })) << EditText(box);
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; }));
    ASSERT_TRUE(ConfirmSettings(settings));

    // Where the click lands in the canvas, for the stored point at a size.
    POINT stored = release;
    ScreenToClient(top, &stored);
    auto expectedAt = [&](int width, int height) {
        POINT point = {MulDiv(stored.x, width, 800), MulDiv(stored.y, height, 600)};
        ClientToScreen(top, &point);
        ScreenToClient(canvas, &point);
        return static_cast<unsigned long long>(MAKELPARAM(point.x, point.y));
    };
    auto canvasDowns = [&] {
        std::vector<ImagerEvent> downs;
        for (const ImagerEvent& event : m_imager->Messages())
            if (event.receiver == "canvas:500" && event.Message() == WM_LBUTTONDOWN)
                downs.push_back(event);
        return downs;
    };

    Press();
    ASSERT_TRUE(WaitUntil([&] { return canvasDowns().size() == 1; }));
    EXPECT_EQ(expectedAt(800, 600), canvasDowns()[0].LParam());

    PostMessageA(top, 0x8100, 0, MAKELPARAM(1000, 750)); // the user enlarges the window
    ASSERT_TRUE(WaitUntil([&] {
        for (const ImagerEvent& event : m_imager->Events())
            if (event.event == "size" && event.wParam == "1000" && event.lParam == "750")
                return true;
        return false;
    }));
    Press();
    ASSERT_TRUE(WaitUntil([&] { return canvasDowns().size() == 2; }));
    EXPECT_EQ(expectedAt(1000, 750), canvasDowns()[1].LParam());
}

TEST_F(Finder, ADragThatLosesTheMouseEndsAndGivesTheDialogBack) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    ASSERT_TRUE(StartFinderDrag(settings));
    // What the platform sends when a system dialog or another program takes
    // over: the capture is released under the drag's feet.
    SendMessageA(settings, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; })) << "still collapsed";
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    SendMessageA(settings, WM_NULL, 0, 0);
    EXPECT_EQ(height, WindowHeight(settings));
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
}

} // namespace
