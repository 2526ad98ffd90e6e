#pragma once
// The "Settings" dialog (template 129): the video source, the ten actions
// shown one at a time, and the general options. It works on the settings file
// directly; Cancel puts back what it held when the dialog opened.
#include "dialoglayer/Dialog.h"
#include "dialoglayer/MessageTable.h"
#include "engine/ActionStep.h"

#include <string>

class CDialogParamTapsync : public CDialog {
public:
    explicit CDialogParamTapsync(HWND parent);
    ~CDialogParamTapsync() override = default;

    // Shows step `index` (0 to 9) of the sequence.
    void LoadActionStep(int index);
    // Writes the shown step, the video source and the return to live.
    void SaveActionStep();
    // Fills "External application:" from TargetWindow.
    void ShowTargetText();
    // Checks the radio `id` (0: none) and shows the parameter boxes of its kind.
    void OnFunctionRadio(UINT id);
    // Puts the program chosen with "..." into the Application box; tells
    // whether it was taken.
    bool TakeChosenApplication(const std::string& path);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnCancel() override;
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const MessageEntry<CDialogParamTapsync> kMessageTable[];

    // The window finder.
    LRESULT OnFinderButtonDown(WPARAM, LPARAM);
    LRESULT OnFinderButtonUp(WPARAM, LPARAM);
    LRESULT OnFinderMouseMove(WPARAM, LPARAM);
    LRESULT OnFinderPaint(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    void EndDrag();
    // Enter, Esc or the action list's keys during a drag: the drag ends
    // without a choice, so that what is stored or kept is the target and
    // click point from before it, which belong together.
    void AbandonDrag();
    // The drag ends without a choice: what was chosen before it comes back.
    void CancelDrag();
    bool m_dragHasCapture = false;   // the drag holds the mouse capture
    bool m_releasingCapture = false; // the drag gives it back itself
    // What a drag that loses the mouse gives back.
    HWND m_targetBeforeDrag = nullptr;
    POINT m_clickPointBeforeDrag = {0, 0};
    std::string m_targetTextBeforeDrag;
    bool m_keepStoredTargetBeforeDrag = false;

    // The shown step's stored path no longer leads to its recorded control:
    // until a new drag (or Broadcast) chooses one, saving keeps the stored
    // window, path and identity rather than whatever stands there now.
    bool m_keepStoredTarget = false;
    ActionStep m_storedTarget;
    // What the control chosen by the last drag was when the button came up.
    HWND m_releasedTarget = nullptr;
    ControlIdentity m_releasedIdentity;
    // The identity to store for TargetWindow, with the step's point in it.
    ControlIdentity IdentityToStore(HWND top, bool clicks) const;

    void OnActionSelected();
    void OnBrowseApplication();
    void OnBroadcastClicked();

    void LoadControls(CDataExchange& dx);
    void StoreControls(CDataExchange& dx);
    UINT CheckedFunction() const;
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);

public:
    // Editor state, shared with the window finder.
    RECT SavedDialogRect = {0, 0, 0, 0};
    POINT ClickPoint = {0, 0};   // screen coordinates
    int FinderState = -1;        // -1 idle, 0 dragging
    HWND TargetWindow = nullptr; // none, HWND_BROADCAST or a window
    std::string ParamSnapshot;
    std::string ActionSnapshot;
    std::string VideoSnapshot;
    HWND VideoSourceCombo = nullptr;
    HWND ActionCombo = nullptr;
};

// The start-with-Windows registration: the program's quoted path as value
// "Snap" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.
bool IsRegisteredAtStartup();
void UpdateStartupRegistration(bool registered);

// A number box's text as stored: signed decimal, or unsigned decimal up to
// 4294967295 (kept as its 32 bits); anything else is 0.
int ParseNumberBox(const std::string& text);
