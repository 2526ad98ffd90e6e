// Turning presses and step timer ticks into runs of the action sequence.
#include "SequenceRun.h"

#include "Feedback.h"
#include "settings/SettingsFile.h"

namespace {

constexpr int kMaxWaitMs = 30000;

bool StepByStepSetting() { return ReadSettingInt(kSectionParam, "StepByStep", 0) != 0; }
bool ReturnToLiveWanted() { return ReadSettingInt(kSectionAction, "BTLive", 0) != 0; }

// Whether the step after `index` exists.
bool NextStepExists(int index) {
    return ReadStoredStepType(index + 1) != static_cast<int>(ActionType::None);
}

} // namespace

int ReadStepIntervalMs() {
    const int delay = ReadSettingInt(kSectionParam, "Delay", kDefaultDelayMs);
    return delay < 0 ? 0 : delay;
}

int ReadDelayMs() {
    const int delay = ReadStepIntervalMs();
    return delay > kMaxWaitMs ? kMaxWaitMs : delay;
}

void CSequenceRun::Reset() {
    m_sequenceRunning = false;
    m_stepIndex = 0;
}

void CSequenceRun::Press() {
    if (m_sequenceRunning)
        AdvanceRun();
    else
        StartRun();
}

void CSequenceRun::StartRun() {
    m_sequenceRunning = true;
    m_stepIndex = 0;
    m_stepByStep = StepByStepSetting();
    PerformStep(true, 0);
    if (!m_stepByStep) {
        // Armed even when step 0 ended the run: its ticks then find no run.
        m_host.ArmStepTimer(static_cast<UINT>(ReadStepIntervalMs()));
    } else if (m_sequenceRunning && !NextStepExists(m_stepIndex)) {
        End();
    }
}

void CSequenceRun::AdvanceRun() {
    // A run keeps the mode it started in: presses are ignored during a timed
    // run and advance a step-by-step one, even if "StepByStep" changed since.
    if (!m_stepByStep)
        return;
    ++m_stepIndex;
    PerformStep(true, m_stepIndex);
    if (!m_sequenceRunning)
        return; // that step ended the sequence itself
    if (!NextStepExists(m_stepIndex) || m_stepIndex >= kLastStepIndex)
        End();
}

void CSequenceRun::StepTick() {
    if (!m_sequenceRunning || m_stepByStep) {
        // Left over from a run that has ended (or was never timed): stop it.
        m_host.StopStepTimer();
        return;
    }
    ++m_stepIndex;
    if (m_stepIndex >= kStepCount) {
        End();
        return;
    }
    PerformStep(true, m_stepIndex);
}

void CSequenceRun::PerformStep(bool beep, int index) {
    m_host.SavePlacement();
    const ActionStep step = ReadActionStep(index, StepKeys::InUse);
    if (step.type == static_cast<int>(ActionType::None)) {
        End();
        return;
    }
    const StepOutcome outcome = m_host.PerformAction(index, step);
    GiveFeedback(outcome, beep);
    m_host.StepDone(index, step, outcome);
}

void CSequenceRun::End() {
    m_stepIndex = 0;
    m_sequenceRunning = false;
    m_host.StopStepTimer();
    if (ReturnToLiveWanted())
        ReturnToLive();
}

void CSequenceRun::ReturnToLive() {
    if (m_returningToLive)
        return;
    m_returningToLive = true;
    m_host.Wait(static_cast<DWORD>(ReadDelayMs()));
    PerformStep(false, 0);
    m_returningToLive = false;
}
