#pragma once
// Runs the real main window in the test process, with a script of steps that
// run inside its modal loop, and records every change of its tray icon.
#include "common/ModulePaths.h"
#include "mainwindow/TapsyncDlg.h"
#include "mainwindow/TrayIcon.h"
#include "settings/SettingsFile.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

struct TrayCall {
    DWORD operation;
    UINT size;
    UINT id;
    UINT flags;
    UINT callback;
    UINT version;
    bool hasIcon;
    std::string tip;
    // A balloon (NIF_INFO): its title, text and icon flags.
    std::string infoTitle;
    std::string info;
    DWORD infoFlags;
};

// The shell call the tests put in place: it records the call and succeeds.
BOOL WINAPI RecordTrayCall(DWORD operation, PNOTIFYICONDATAA data);

class CScriptedMainWindow : public CTapsyncDlg {
public:
    using Step = std::function<void(CScriptedMainWindow&)>;
    static constexpr UINT kStepMessage = WM_APP + 100;

    explicit CScriptedMainWindow(std::vector<Step> steps) : m_steps(std::move(steps)) {}

    HWND Window() const { return m_hWnd; }
    void NextStep() { PostMessageA(m_hWnd, kStepMessage, 0, 0); }
    // Waits (generously) until the shell has had every call of the icon so far.
    bool TrayCallsMade() { return TrayIconCalls().WaitUntilMade(30000); }

    // When set, OnSnap and OnSetup only count their calls.
    bool m_countOnly = false;
    int m_snaps = 0;
    int m_setups = 0;
    std::vector<UINT_PTR> m_timerTicks;

    void OnSnap() override {
        ++m_snaps;
        if (!m_countOnly)
            CTapsyncDlg::OnSnap();
    }
    void OnSetup() override {
        ++m_setups;
        if (!m_countOnly)
            CTapsyncDlg::OnSetup();
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CTapsyncDlg::OnInitDialog();
        NextStep();
        return result;
    }
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kStepMessage) {
            if (m_stepsRun < m_steps.size())
                m_steps[m_stepsRun++](*this);
            return true;
        }
        if (message == WM_TIMER)
            m_timerTicks.push_back(wParam);
        return CTapsyncDlg::OnWindowMessage(message, wParam, lParam, result);
    }

private:
    std::vector<Step> m_steps;
    size_t m_stepsRun = 0;
};

// Empties the test process's settings file and records tray icon calls.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The calls made to the shell so far, in order.
    static std::vector<TrayCall> TrayCalls();
    // Waits (generously) until the calls made satisfy `done`; returns them.
    static std::vector<TrayCall>
    WaitForTrayCalls(const std::function<bool(const std::vector<TrayCall>&)>& done);

    void WriteSettings(const std::string& content) { WriteTextFile(SettingsFilePath(), content); }

    TempDir m_cameraControl;
};

// The settings file's line for a position carried over from the registry
// profile ("SoftPos" in section "Param", stored text).
std::string SoftPosEntry(const char* plain);

// In the open settings dialog, as a user would: turns "Show little icon" and
// "Put application in system tray" over as told, clears "Launch at Windows
// startup", picks "Broadcast" as the target and presses OK.
void ChooseOptionsThenOk(HWND settings, bool toggleLittleIcon, bool toggleSystemTray);

RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// Calls `check` every few milliseconds from a thread timer, which also runs
// inside menu and nested dialog loops, until it returns true.
void WhileLoopsRun(std::function<bool()> check);
