// The rules of a run, without a window: presses and step timer ticks go to the
// run, and a host records what the run asked of it.
#include "engine/SequenceRun.h"
#include "settings/SettingsFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingHost : public IRunHost {
public:
    std::vector<std::string> asked;
    int failingStep = -1; // this step's action fails (its window is not there)

    void ArmStepTimer(UINT intervalMs) override { asked.push_back("arm " + std::to_string(intervalMs)); }
    void StopStepTimer() override { asked.push_back("stop"); }
    void SavePlacement() override { asked.push_back("save"); }
    StepOutcome PerformAction(int index, const ActionStep& step) override {
        asked.push_back("perform " + std::to_string(index) + " type " + std::to_string(step.type));
        StepOutcome outcome;
        if (index == failingStep)
            outcome.result = StepResult::WindowNotRunning;
        return outcome;
    }
    void Wait(DWORD milliseconds) override { asked.push_back("wait " + std::to_string(milliseconds)); }
};

enum class Event { Press, Tick, TurnStepByStep, TurnTimed };

struct RunCase {
    const char* name;
    std::string settings; // the settings file
    std::vector<Event> events;
    std::vector<std::string> expected;
    bool runningAtEnd;
    int failingStep;
};

// The [Action] lines of `count` button-click steps.
std::string Steps(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += (i ? "Type" + std::to_string(i) : std::string("Type")) + "=0\r\n";
    return lines;
}

class SequenceRun : public ::testing::TestWithParam<RunCase> {
protected:
    void SetUp() override { DeleteFileA(SettingsFilePath().c_str()); }
    void TearDown() override { DeleteFileA(SettingsFilePath().c_str()); }
};

TEST_P(SequenceRun, FollowsTheRulesOfARun) {
    const RunCase& c = GetParam();
    WriteTextFile(SettingsFilePath(), c.settings);
    RecordingHost host;
    host.failingStep = c.failingStep;
    CSequenceRun run(host);
    for (Event event : c.events) {
        switch (event) {
        case Event::Press:
            run.Press();
            break;
        case Event::Tick:
            run.StepTick();
            break;
        case Event::TurnStepByStep:
            WriteSettingInt(kSectionParam, "StepByStep", 1);
            break;
        case Event::TurnTimed:
            WriteSettingInt(kSectionParam, "StepByStep", 0);
            break;
        }
    }
    EXPECT_EQ(c.expected, host.asked);
    EXPECT_EQ(c.runningAtEnd, run.Running());
}

const std::string kTimed = "[Param]\r\nDelay=350\r\nStepByStep=0\r\n";
const std::string kStepByStep = "[Param]\r\nDelay=350\r\nStepByStep=1\r\n";
const std::string kLive = "BTLive=1\r\n";
using E = Event;

INSTANTIATE_TEST_SUITE_P(
    Rules, SequenceRun,
    ::testing::Values(
        RunCase{"TimedStepsThenTheAbsentStepEndsIt",
                (kTimed + "[Action]\r\n" + Steps(3)),
                {E::Press, E::Tick, E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "perform 1 type 0", "save",
                 "perform 2 type 0", "save", "stop"},
                false, -1},
        RunCase{"TimedWithReturnToLive",
                (kTimed + "[Action]\r\n" + kLive + Steps(2)),
                {E::Press, E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "perform 1 type 0", "save", "stop",
                 "wait 350", "save", "perform 0 type 0"},
                false, -1},
        RunCase{"TimedTenStepsEndAtTheTenthTickWithoutAStep",
                (kTimed + "[Action]\r\n" + Steps(10)),
                {E::Press, E::Tick, E::Tick, E::Tick, E::Tick, E::Tick, E::Tick, E::Tick, E::Tick,
                 E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "perform 1 type 0", "save",
                 "perform 2 type 0", "save", "perform 3 type 0", "save", "perform 4 type 0", "save",
                 "perform 5 type 0", "save", "perform 6 type 0", "save", "perform 7 type 0", "save",
                 "perform 8 type 0", "save", "perform 9 type 0", "stop"},
                false, -1},
        RunCase{"APressDuringATimedRunChangesNothing",
                (kTimed + "[Action]\r\n" + Steps(3)),
                {E::Press, E::Press, E::Press},
                {"save", "perform 0 type 0", "arm 350"},
                true, -1},
        RunCase{"AFailedStepDoesNotEndTheRun",
                (kTimed + "[Action]\r\n" + Steps(3)),
                {E::Press, E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "perform 1 type 0", "save",
                 "perform 2 type 0"},
                true, 1},
        RunCase{"ANoneStepEndsTheRunAndLaterStepsNeverCome",
                (kTimed + "[Action]\r\nType=0\r\nType1=-1\r\nType2=0\r\n"),
                {E::Press, E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "stop", "stop"},
                false, -1},
        RunCase{"StepZeroNoneStillArmsTheTimerWhoseTickStopsIt",
                (kTimed + "[Action]\r\nType=-1\r\n"),
                {E::Press, E::Tick},
                {"save", "stop", "arm 350", "stop"},
                false, -1},
        RunCase{"AReturnToLiveThatMeetsTheEndStartsNoOther",
                (kTimed + "[Action]\r\n" + kLive + "Type=-1\r\n"),
                {E::Press},
                {"save", "stop", "wait 350", "save", "stop", "arm 350"},
                false, -1},
        RunCase{"StepByStepOnePressOneStepThenANewRun",
                (kStepByStep + "[Action]\r\n" + Steps(3)),
                {E::Press, E::Press, E::Press, E::Press},
                {"save", "perform 0 type 0", "save", "perform 1 type 0", "save",
                 "perform 2 type 0", "stop", "save", "perform 0 type 0"},
                true, -1},
        RunCase{"StepByStepSingleStepEndsAtOnceWithReturnToLive",
                (kStepByStep + "[Action]\r\n" + kLive + Steps(1)),
                {E::Press},
                {"save", "perform 0 type 0", "stop", "wait 350", "save", "perform 0 type 0"},
                false, -1},
        RunCase{"StepByStepTheTenthPressPerformsStepNineAndEnds",
                (kStepByStep + "[Action]\r\n" + Steps(10)),
                {E::Press, E::Press, E::Press, E::Press, E::Press, E::Press, E::Press, E::Press,
                 E::Press, E::Press},
                {"save", "perform 0 type 0", "save", "perform 1 type 0", "save",
                 "perform 2 type 0", "save", "perform 3 type 0", "save", "perform 4 type 0",
                 "save", "perform 5 type 0", "save", "perform 6 type 0", "save",
                 "perform 7 type 0", "save", "perform 8 type 0", "save", "perform 9 type 0",
                 "stop"},
                false, -1},
        RunCase{"AStepByStepRunKeepsItsModeWhenTheSettingTurnsTimed",
                (kStepByStep + "[Action]\r\n" + Steps(3)),
                {E::Press, E::TurnTimed, E::Press, E::Tick, E::Press},
                {"save", "perform 0 type 0", "save", "perform 1 type 0", "stop", "save",
                 "perform 2 type 0", "stop"},
                false, -1},
        RunCase{"ATimedRunKeepsItsModeWhenTheSettingTurnsStepByStep",
                (kTimed + "[Action]\r\n" + Steps(2)),
                {E::Press, E::TurnStepByStep, E::Press, E::Tick, E::Tick},
                {"save", "perform 0 type 0", "arm 350", "save", "perform 1 type 0", "save",
                 "stop"},
                false, -1},
        RunCase{"ADelayBeyondTheBoundOfTheWaitKeepsTheStepInterval",
                "[Param]\r\nDelay=45000\r\n[Action]\r\nBTLive=1\r\nType=0\r\n",
                {E::Press, E::Tick},
                {"save", "perform 0 type 0", "arm 45000", "save", "stop", "wait 30000", "save",
                 "perform 0 type 0"},
                false, -1},
        // A negative "Delay" would be a wait of 49 days as the system's unsigned
        // milliseconds: no interval and no wait instead.
        RunCase{"ANegativeDelayGivesNoIntervalAndNoWait",
                "[Param]\r\nDelay=-5\r\n[Action]\r\nBTLive=1\r\nType=0\r\n",
                {E::Press, E::Tick},
                {"save", "perform 0 type 0", "arm 0", "save", "stop", "wait 0", "save",
                 "perform 0 type 0"},
                false, -1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
