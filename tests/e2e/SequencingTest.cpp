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
    // One step per "Delay" (350 ms), measured where the messages arrive: the
    // timer may fire a little early, and an earlier message may arrive a
    // little late (tens of milliseconds when the 32-bit build runs emulated).
    for (size_t i = 1; i < 3; ++i)
        EXPECT_GE(received[i].timeMs - received[i - 1].timeMs, 300.0) << "step " << i;
    // Step 3 is absent: the run ends one Delay after step 2, and the return to
    // live follows another Delay later.
    EXPECT_GE(received[3].timeMs - received[2].timeMs, 2 * 300.0);

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

bool IsAbove(HWND window, HWND other) {
    for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
        if (below == other)
            return true;
    return false;
}

TEST_F(EndToEnd, TheTenthStepBringsTheApplicationToTheFront) {
    Configuration configuration;
    configuration.steps = 10;
    configuration.stepByStep = true;
    StartSnap(configuration);
    // Another program's window lies over the application and has the focus.
    RECT area = {};
    GetWindowRect(m_imager->Window(), &area);
    const HWND cover = CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE, area.left,
                                       area.top, area.right - area.left, area.bottom - area.top,
                                       nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(cover);
    ASSERT_EQ(cover, GetForegroundWindow());

    Press(9);
    ASSERT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}), StepsReceived(9));
    EXPECT_EQ(cover, GetForegroundWindow());
    EXPECT_TRUE(IsAbove(cover, m_imager->Window()));
    Press();
    EXPECT_TRUE(WaitUntil([&] {
        return GetForegroundWindow() == m_imager->Window() && IsAbove(m_imager->Window(), cover);
    }));
    DestroyWindow(cover);
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
