// The main window's side of the action sequence: its two timers, the camera
// button poll, the manual trigger, and what the run asks of it.
#include "TapsyncDlg.h"

#include "engine/ActionExecution.h"
#include "settings/SettingsFile.h"

namespace {

constexpr UINT kPollMs = 50;
constexpr UINT kSlowPollMs = 1000;

bool PutInSysTray() { return ReadSettingInt(kSectionParam, "PutInSysTray", 0) != 0; }

} // namespace

bool CTapsyncDlg::HandleTimer(UINT_PTR timerId) {
    if (timerId == PollTimerId)
        PollTick();
    else if (timerId == StepTimerId)
        m_run.StepTick();
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
    if (IsCameraButtonPress(result))
        m_run.Press();
    StartPolling(result == kCameraButtonSlowDown ? kSlowPollMs : kPollMs);
}

void CTapsyncDlg::StartRun() { m_run.StartRun(); }

void CTapsyncDlg::AdvanceRun() { m_run.AdvanceRun(); }

void CTapsyncDlg::PerformStep(bool beep, int index) { m_run.PerformStep(beep, index); }

void CTapsyncDlg::ReturnToLive() { m_run.ReturnToLive(); }

void CTapsyncDlg::OnSnap() {
    if (m_run.Running()) {
        AdvanceRun();
        return;
    }
    // Out of the way while the first step acts on the screen.
    ShowWindow(m_hWnd, SW_HIDE);
    StartRun();
    if (!PutInSysTray())
        ShowWindow(m_hWnd, SW_SHOW);
}

void CTapsyncDlg::ArmStepTimer(UINT intervalMs) {
    m_stepTimerId = SetTimer(m_hWnd, StepTimerId, intervalMs, nullptr);
}

void CTapsyncDlg::StopStepTimer() { KillTimer(m_hWnd, StepTimerId); }

StepOutcome CTapsyncDlg::PerformAction(int index, const ActionStep& step) {
    return ::PerformAction(step, index);
}
