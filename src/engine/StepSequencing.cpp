// Turning camera button presses and the manual trigger into runs of the
// action sequence: timed (one step every "Delay") or step by step (one step
// per press).
#include "ActionStep.h"
#include "mainwindow/TapsyncDlg.h"
#include "settings/SettingsFile.h"

namespace {

constexpr UINT kPollMs = 50;
constexpr UINT kSlowPollMs = 1000;

bool StepByStepSetting() { return ReadSettingInt(kSectionParam, "StepByStep", 0) != 0; }
bool ReturnToLiveWanted() { return ReadSettingInt(kSectionAction, "BTLive", 0) != 0; }
bool PutInSysTray() { return ReadSettingInt(kSectionParam, "PutInSysTray", 0) != 0; }

// Whether the step after `index` exists.
bool NextStepExists(int index) {
    return ReadSettingInt(kSectionAction, StepKey("Type", index + 1).c_str(), -1) != -1;
}

} // namespace

bool CTapsyncDlg::HandleTimer(UINT_PTR timerId) {
    if (timerId == PollTimerId)
        PollTick();
    else if (timerId == StepTimerId)
        StepTick();
    else
        return false;
    return true;
}

void CTapsyncDlg::PollTick() {
    // The timer is re-armed at the end, so ticks never overlap however long
    // the steps of a press take.
    KillTimer(m_hWnd, m_pollTimerId);
    m_pollTimerId = 0;
    if (IsWindowVisible(m_hWnd) && PutInSysTray())
        ShowWindow(m_hWnd, SW_HIDE);
    const std::string videoSource = ReadSettingString(kSectionVideo, "Pilote", "");
    const int result = m_pfnCameraButton ? m_pfnCameraButton(videoSource.c_str())
                                         : kCameraButtonSlowDown;
    if (IsCameraButtonPress(result)) {
        if (m_sequenceRunning)
            AdvanceRun();
        else
            StartRun();
    }
    StartPolling(result == kCameraButtonSlowDown ? kSlowPollMs : kPollMs);
}

void CTapsyncDlg::StepTick() {
    if (!m_sequenceRunning || m_runIsStepByStep) {
        // Left over from a run that has ended (or was never timed): stop it.
        KillTimer(m_hWnd, StepTimerId);
        return;
    }
    ++m_stepIndex;
    if (m_stepIndex >= kStepCount) {
        EndRun();
        if (ReturnToLiveWanted())
            ReturnToLive();
        return;
    }
    PerformStep(true, m_stepIndex);
}

void CTapsyncDlg::StartRun() {
    m_sequenceRunning = true;
    m_stepIndex = 0;
    m_runIsStepByStep = StepByStepSetting();
    PerformStep(true, 0);
    if (!m_runIsStepByStep) {
        m_stepTimerId = SetTimer(m_hWnd, StepTimerId, static_cast<UINT>(ReadStepIntervalMs()), nullptr);
    } else if (m_sequenceRunning && !NextStepExists(m_stepIndex)) {
        EndRun();
        if (ReturnToLiveWanted())
            ReturnToLive();
    }
}

void CTapsyncDlg::AdvanceRun() {
    // A run keeps the mode it started in: presses are ignored during a timed
    // run and advance a step-by-step one, even if "StepByStep" changed since.
    if (!m_runIsStepByStep)
        return;
    ++m_stepIndex;
    PerformStep(true, m_stepIndex);
    if (!m_sequenceRunning)
        return; // that step ended the sequence itself
    if (!NextStepExists(m_stepIndex) || m_stepIndex >= kLastStepIndex) {
        EndRun();
        if (ReturnToLiveWanted())
            ReturnToLive();
    }
}

void CTapsyncDlg::OnSnap() {
    if (m_sequenceRunning) {
        AdvanceRun();
        return;
    }
    // Out of the way while the first step acts on the screen.
    ShowWindow(m_hWnd, SW_HIDE);
    StartRun();
    if (!PutInSysTray())
        ShowWindow(m_hWnd, SW_SHOW);
}
