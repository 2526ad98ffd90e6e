#pragma once
// The program's main window: the tiny always-on-top "Snap" button window. It
// also owns the notification-area icon, the camera button library, the timers
// and the state of a run of the action sequence.
#include "dialoglayer/Dialog.h"
#include "common/Handles.h"
#include "dialoglayer/MessageTable.h"
#include "FailureNotices.h"
#include "TrayIcon.h"
#include "TrayIconCalls.h"
#include "engine/CameraButtonLibrary.h"
#include "engine/SequenceRun.h"

// Timer ids of the main window.
constexpr UINT_PTR PollTimerId = 4242;
constexpr UINT_PTR StepTimerId = 7777;
constexpr UINT kFirstPollMs = 500;

class CTapsyncDlg : public CDialog, private IRunHost {
public:
    explicit CTapsyncDlg(HWND parent = nullptr);

    // Fires the action sequence, or advances the one in progress.
    virtual void OnSnap();
    // Suspends polling, hides the window and runs the settings dialog.
    virtual void OnSetup();
    // Ends the program through the cancel handling.
    virtual void OnQuit();

    // Writes the window placement to section "WPlace".
    void SaveWindowPlacement();
    // Puts the notification-area icon in place.
    void AddTrayIcon();

    // Performs step `index` (0 to 9) on the external application; `beep`
    // allows the feedback beeps.
    void PerformStep(bool beep, int index);
    // Waits "Delay", then performs step 0 again without beep, outside any run.
    void ReturnToLive();

    bool SequenceRunning() const { return m_run.Running(); }
    int StepIndex() const { return m_run.StepIndex(); }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange&) override {}
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // WM_TIMER: the poll and step ticks. False for timers it does not own.
    bool HandleTimer(UINT_PTR timerId);
    // A press while no run is in progress, and while one is.
    void StartRun();
    void AdvanceRun();
    // The icon's calls to the shell, which are made on a thread of their own.
    CTrayIconCalls& TrayIconCalls() { return m_trayIconCalls; }

private:
    static const MessageEntry<CTapsyncDlg> kMessageTable[];

    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnTrayIcon(WPARAM, LPARAM);
    LRESULT OnDpiChanged(WPARAM, LPARAM);
    void OnButtonClicked();

    // Face, window size and button rectangle follow "LittleIcon".
    void ApplyButtonFace();
    // Fits the client area to the face, keeping the top-left corner;
    // `flags`: further SWP_ flags.
    void ResizeClientArea(UINT flags);
    SIZE ClientAreaSize() const;
    // The client area is the face's size at the window's scale, or at 100 %
    // the template's.
    bool ClientFits(SIZE templateClient) const;
    void PlaceButton();
    // Puts the window where it was last; true when that place came without a
    // size (a position carried over from the registry profile).
    bool RestorePosition();
    void SetTrayCallback(UINT message);
    void StartPolling(UINT intervalMs);
    void PollTick();
    void OnTraySnap();
    void OnButtonSnap();
    // Where the camera library was found, or why the program ends.
    void LogCameraLibrary();
    // The log line of a performed step, and the tray notification when it
    // failed.
    void ReportStep(int index, const ActionStep& step, const StepOutcome& outcome);
    // The log line when the library starts or stops asking to slow down.
    void NoteLibraryAnswer(int result);

    // What the run of the sequence asks of this window.
    void ArmStepTimer(UINT intervalMs) override;
    void StopStepTimer() override;
    void SavePlacement() override { SaveWindowPlacement(); }
    StepOutcome PerformAction(int index, const ActionStep& step) override;
    void Wait(DWORD milliseconds) override;
    void StepDone(int index, const ActionStep& step, const StepOutcome& outcome) override;

    HICON m_hIcon;
    UINT_PTR m_pollTimerId;
    UINT_PTR m_stepTimerId;
    // The run of the action sequence in progress, if any.
    CSequenceRun m_run{*this};
    // The notification-area icon's callback message now in force.
    UINT m_trayCallback = WM_TRAYICON;
    // What made the steps now being performed happen, for the log: "camera
    // button", "button click", ...; null outside any.
    const char* m_trigger = nullptr;
    // The trigger of the run in progress, told with its timed steps; and the
    // one in force before a return to live, put back after it.
    std::string m_runTrigger;
    const char* m_triggerBeforeLive = nullptr;
    bool m_settingsOpen = false;
    bool m_librarySlowingDown = false;
    CFailureNotices m_notices;
    CTrayIconCalls m_trayIconCalls;
    UniqueModule m_hCameraLibrary;
    // The first file of the library's name that would not load, for the log.
    RefusedLibrary m_refusedLibrary;
    CameraButtonProc m_pfnCameraButton;
    // The button's bitmap, replaced when "LittleIcon" or the scale changes.
    UniqueGdiObject m_buttonFace;
    // The display scale the window is sized for (96: 100 %).
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
};
