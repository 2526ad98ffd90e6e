// The main window's side of the action sequence: its two timers, the camera
// button poll, the manual trigger, and what the run asks of it.
#include "TapsyncDlg.h"

#include "common/ModulePaths.h"
#include "engine/ActionExecution.h"
#include "engine/StepReport.h"
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"

#include <utility>

namespace {

constexpr UINT kPollMs = 50;
constexpr UINT kSlowPollMs = 1000;

bool PutInSysTray() {
    return ReadSettingInt(kSectionParam, "PutInSysTray", 0) != 0;
}
constexpr const char* kStepTimerTrigger = "step timer";
constexpr const char* kReturnToLiveTrigger = "return to live";

bool NotifyWanted() {
    return ReadSettingInt(kSectionParam, "Notify", 1) != 0;
}

// Names what makes the steps performed within its lifetime happen.
class CTrigger {
public:
    CTrigger(const char*& slot, const char* trigger)
        : m_slot(slot), m_outer(std::exchange(slot, trigger)) {}
    ~CTrigger() { m_slot = m_outer; }
    CTrigger(const CTrigger&) = delete;
    CTrigger& operator=(const CTrigger&) = delete;

private:
    const char*& m_slot;
    const char* m_outer;
};

} // namespace

bool CTapsyncDlg::HandleTimer(UINT_PTR timerId) {
    if (timerId == PollTimerId)
        PollTick();
    else if (timerId == StepTimerId) {
        CTrigger trigger(m_trigger, kStepTimerTrigger);
        m_run.StepTick();
    } else
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
    const int result =
        m_pfnCameraButton ? m_pfnCameraButton(videoSource.c_str()) : kCameraButtonSlowDown;
    NoteLibraryAnswer(result);
    if (IsCameraButtonPress(result)) {
        CTrigger trigger(m_trigger, "camera button");
        m_run.Press();
    }
    StartPolling(result == kCameraButtonSlowDown ? kSlowPollMs : kPollMs);
}

void CTapsyncDlg::StartRun() {
    m_run.StartRun();
}

void CTapsyncDlg::AdvanceRun() {
    m_run.AdvanceRun();
}

void CTapsyncDlg::PerformStep(bool beep, int index) {
    m_run.PerformStep(beep, index);
}

void CTapsyncDlg::ReturnToLive() {
    m_run.ReturnToLive();
}

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

void CTapsyncDlg::StopStepTimer() {
    KillTimer(m_hWnd, StepTimerId);
}

void CTapsyncDlg::OnTraySnap() {
    CTrigger trigger(m_trigger, "tray menu");
    OnSnap();
}

void CTapsyncDlg::OnButtonSnap() {
    CTrigger trigger(m_trigger, "button click");
    OnSnap();
}

void CTapsyncDlg::LogCameraLibrary() {
    const std::string problem = CameraLibraryProblem(m_hCameraLibrary.get(), m_refusedLibrary);
    if (problem.empty())
        WriteLogLine("camera library: " + ModulePath(m_hCameraLibrary.get()));
    else
        WriteLogLine(ApplicationName() + " ends: the camera library " + problem);
}

void CTapsyncDlg::Wait(DWORD milliseconds) {
    // The only wait of a run is the one before the return to live: the step
    // that follows is that return, whatever started the run.
    m_triggerBeforeLive = m_trigger;
    m_trigger = kReturnToLiveTrigger;
    Sleep(milliseconds);
}

StepOutcome CTapsyncDlg::PerformAction(int index, const ActionStep& step) {
    return ::PerformAction(step, index);
}

void CTapsyncDlg::StepDone(int index, const ActionStep& step, const StepOutcome& outcome) {
    // Told after the step has gone out and beeped, so the telling never
    // delays either.
    ReportStep(index, step, outcome);
    if (m_trigger == kReturnToLiveTrigger)
        m_trigger = m_triggerBeforeLive;
}

void CTapsyncDlg::ReportStep(int index, const ActionStep& step, const StepOutcome& outcome) {
    std::string trigger = m_trigger ? m_trigger : "direct call";
    if (m_trigger == kStepTimerTrigger && !m_runTrigger.empty())
        trigger += " (run started by " + m_runTrigger + ")";
    else if (index == 0 && m_trigger != kReturnToLiveTrigger)
        m_runTrigger = trigger;
    WriteLogLine(trigger + "  step " + std::to_string(index + 1) + " (" + StepTypeName(step.type) +
                 ")  " + OutcomeInWords(outcome, step));
    const FailureCause cause = CauseOf(outcome);
    // Nothing pops up over the settings: the user is busy with them.
    if (cause == FailureCause::None || m_settingsOpen || !NotifyWanted())
        return;
    if (m_notices.Take(cause))
        m_trayIconCalls.Call(NIM_MODIFY, TrayWarningData(m_hWnd, ApplicationName(),
                                                         NoticeText(cause, index, step, outcome)));
}

void CTapsyncDlg::NoteLibraryAnswer(int result) {
    const bool slowingDown = result == kCameraButtonSlowDown;
    if (slowingDown == m_librarySlowingDown)
        return;
    m_librarySlowingDown = slowingDown;
    WriteLogLine(slowingDown ? "camera library answers -1 (camera not ready or not found): "
                               "asking once a second until it answers otherwise"
                             : "camera library answers again (" + std::to_string(result) +
                                   "): asking 20 times a second");
}
