#pragma once
// The program's main window: the tiny always-on-top "Snap" button window. It
// also owns the camera button library, the timers and the state of a run.
#include "dialoglayer/Dialog.h"
#include "dialoglayer/Handles.h"
#include "dialoglayer/MessageTable.h"
#include "engine/CameraButtonLibrary.h"

class CTapsyncDlg : public CDialog {
public:
    explicit CTapsyncDlg(HWND parent = nullptr);

    // Fires the action sequence, or advances the one in progress.
    virtual void OnSnap();
    // Suspends polling and runs the settings dialog.
    virtual void OnSetup();
    // Ends the program through the cancel handling.
    virtual void OnQuit();

    // Writes the window placement to section "WPlace".
    void SaveWindowPlacement();

    bool HasCameraButton() const { return m_pfnCameraButton != nullptr; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange&) override {}
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const MessageEntry<CTapsyncDlg> kMessageTable[];

    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);

    HICON m_hIcon;
    UINT_PTR m_pollTimerId;
    UINT_PTR m_stepTimerId;
    int m_stepIndex = 0;
    bool m_sequenceRunning = false;
    UniqueModule m_hCameraLibrary;
    CameraButtonProc m_pfnCameraButton;
};
