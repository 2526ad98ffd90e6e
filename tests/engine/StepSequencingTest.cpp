// Rules of a run that the end-to-end tests cannot reach: a change of the
// "StepByStep" setting while a run is in progress, and the manual trigger.
#include "settings/SettingsFile.h"
#include "support/MainWindowHarness.h"
#include "support/WindowTree.h"

#include <gtest/gtest.h>

namespace {

class StepSequencing : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ReceivedMessages().clear();
        // Three steps, each a joystick message to the test's own window.
        for (int i = 0; i < 3; ++i) {
            const std::string suffix = i ? std::to_string(i) : "";
            WriteStoredText(kSectionParam, ("Base" + suffix).c_str(), "800;600;SnapTestTop\t");
            WriteSettingInt(kSectionAction, ("Type" + suffix).c_str(), 4);
        }
    }
    static size_t Received() {
        DeliverPostedMessages();
        return ReceivedMessages().size();
    }

    WindowTree m_application{800, 600};
};

TEST_F(StepSequencing, AStepByStepRunKeepsAdvancingWhenTheSettingTurnsTimed) {
    WriteSettingInt(kSectionParam, "StepByStep", 1);
    std::vector<size_t> received;
    bool runningAtEnd = true;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.OnSnap();
        received.push_back(Received());
        WriteSettingInt(kSectionParam, "StepByStep", 0);
        w.OnSnap();
        received.push_back(Received());
        w.OnSnap(); // the last step: the run ends
        received.push_back(Received());
        runningAtEnd = w.SequenceRunning();
        PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
    }});
    window.DoModal();
    EXPECT_EQ((std::vector<size_t>{1, 2, 3}), received);
    EXPECT_FALSE(runningAtEnd);
}

TEST_F(StepSequencing, ATimedRunIgnoresPressesWhenTheSettingTurnsStepByStep) {
    WriteSettingInt(kSectionParam, "Delay", 20000);
    std::vector<size_t> received;
    int stepIndex = -1;
    bool running = false;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.OnSnap();
        received.push_back(Received());
        WriteSettingInt(kSectionParam, "StepByStep", 1);
        w.OnSnap();
        received.push_back(Received());
        stepIndex = w.StepIndex();
        running = w.SequenceRunning();
        PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
    }});
    window.DoModal();
    EXPECT_EQ((std::vector<size_t>{1, 1}), received);
    EXPECT_EQ(0, stepIndex);
    EXPECT_TRUE(running); // its step timer still drives it
}

TEST_F(StepSequencing, TheManualTriggerShowsTheWindowAgainUnlessItLivesInTheTray) {
    struct Case {
        int putInSysTray;
        bool visibleAfter;
    };
    for (const Case c : {Case{0, true}, Case{1, false}}) {
        WriteSettingInt(kSectionParam, "PutInSysTray", c.putInSysTray);
        bool visibleAfter = !c.visibleAfter;
        CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
            WriteSettingInt(kSectionParam, "StepByStep", 1);
            w.OnSnap();
            visibleAfter = IsWindowVisible(w.Window()) != FALSE;
            PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
        }});
        window.DoModal();
        EXPECT_EQ(c.visibleAfter, visibleAfter) << "PutInSysTray=" << c.putInSysTray;
    }
}

} // namespace
