#pragma once
// The pieces every end-to-end test shares: a settings file for a sequence of
// steps posted to the stand-in imaging application, input as a person gives it
// (through xdotool), and a fixture with the stand-in programs and Snap.exe,
// each its own process.
#include "resources/resource.h"
#include "support/ChildProcess.h"
#include "support/EventLogs.h"
#include "support/PointerInput.h"
#include "support/SnapInstall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

constexpr DWORD kGenerousMs = 30000;
constexpr unsigned kFirstStepMessage = 0x500; // step i posts message 0x500 + i

// A settings-file line with the key and the value in stored text.
std::string StoredTextEntry(const std::string& key, const std::string& value);

// A settings file for a sequence of `steps` steps, each posting its own
// message to the stand-in imaging application's main window.
struct Configuration {
    int steps = 1;
    int delayMs = 350;
    bool stepByStep = false;
    bool returnToLive = false;
    bool putInSysTray = false;

    std::string Ini(const std::string& imagerTitle) const;
};

// What one run of "Snap.exe /check" did.
struct CheckRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string printed; // its standard output
    std::string written; // <name>-check.txt in the settings folder
};

POINT CentreOf(const RECT& rect);
POINT CentreOfWindow(HWND window);
void ClickAt(POINT point);
// Presses a push button as a person does (see the definition).
void ClickButton(HWND button, bool withCtrl = false);
int WindowHeight(HWND window);
// Waits for a condition that another process brings about.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kGenerousMs);

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", m_control.Path().c_str());
        m_imager = std::make_unique<StandInImager>(m_control.Path(), m_title, ImagerArguments());
        ASSERT_NE(nullptr, m_imager->Window());
    }
    // Further command-line switches of the stand-in imaging application.
    virtual std::string ImagerArguments() const { return ""; }
    void TearDown() override {
        if (m_snapWindow)
            PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
        if (m_snap)
            m_snap->WaitForExit(kGenerousMs);
    }

    void StartSnap(const Configuration& configuration) {
        StartSnapWith(configuration.Ini(m_title));
    }
    // Starts a copy of Snap whose template (and so first settings file) is `ini`.
    void StartSnapWith(const std::string& ini) {
        m_install = std::make_unique<SnapInstall>(CameraLibrary::StandIn, ini);
        LaunchSnap();
    }
    // Starts the copy already in m_install.
    void LaunchSnap() {
        m_snap = std::make_unique<ChildProcess>(m_install->ExePath(), m_install->Folder());
        m_snapWindow = m_snap->WaitForWindow("Snap", kGenerousMs);
        DWORD exitCode = 0;
        ASSERT_NE(nullptr, m_snapWindow)
            << (m_snap->WaitForExit(0, &exitCode) ? "Snap ended with " + std::to_string(exitCode)
                                                  : std::string("Snap runs without its window"));
    }

    // Opens "Settings" with the tray menu's command; when the dialog first
    // warns that the step's window is not running, answers that warning
    // `answer`. The dialog, or null when it did not open.
    HWND OpenSettings(int answer = IDYES) {
        PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_SETUP, 0);
        HWND settings = nullptr, warning = nullptr;
        WaitUntil([&] {
            settings = m_snap->WaitForWindow("Settings", 0);
            warning = m_snap->WaitForWindow(m_install->Name().c_str(), 0, "#32770");
            return settings || warning;
        });
        if (!warning)
            return settings;
        PostMessageA(warning, WM_COMMAND, answer, 0);
        return answer == IDYES ? m_snap->WaitForWindow("Settings", kGenerousMs) : nullptr;
    }
    // Cancel; true once the dialog is gone and polling has resumed.
    bool CancelSettings(HWND settings) {
        PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
        return WaitUntil([&] { return !IsWindow(settings); }) && WaitForPolls(1);
    }

    // Runs the installed copy with `arguments`, its standard output going to
    // a file, and waits for its end.
    CheckRun Check(const std::string& arguments = "/check");
    std::string ReportPath() const {
        return m_install->SettingsFolder() + "\\" + m_install->Name() + "-check.txt";
    }

    // Whether Snap's window answers a message within a few seconds.
    bool SnapResponds() const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(m_snapWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) !=
               0;
    }

    // What Snap wrote to its run log so far.
    std::string RunLog() const {
        return ReadTextFile(m_install->SettingsFolder() + "\\" + m_install->Name() + ".log");
    }

    void CameraIni(const std::string& entries) {
        WriteTextFile(m_control / "KelvraTouchSim.ini", "[Simulator]\r\n" + entries);
    }
    std::vector<CameraCall> CameraCalls() const {
        return ReadCameraLog(m_control / "KelvraTouchSim.log");
    }
    // Presses the camera button `count` times at consecutive polls, and waits
    // until the library has reported them all.
    void Press(int count = 1) {
        const size_t pressesBefore = PressCount();
        WriteTextFile(m_control / "press", std::to_string(count));
        WaitForRecords<CameraCall>(
            m_control / "KelvraTouchSim.log", [this] { return CameraCalls(); },
            [&](const auto&) { return PressCount() >= pressesBefore + count; });
        ASSERT_EQ(pressesBefore + count, PressCount());
    }
    // Keeps the button pressed at every poll: the next run starts as soon as
    // the one in progress has ended (presses during a timed run are ignored).
    void PressUntilANewRunStarts() { CameraIni("IdleResult=0\r\n"); }
    // Waits until Snap has polled the library `count` more times.
    bool WaitForPolls(size_t count, DWORD timeoutMs = kGenerousMs) const {
        const size_t before = CameraCalls().size();
        return WaitForRecords<CameraCall>(
                   m_control / "KelvraTouchSim.log", [this] { return CameraCalls(); },
                   [&](const auto& calls) { return calls.size() >= before + count; }, timeoutMs)
                   .size() >= before + count;
    }
    size_t PressCount() const {
        size_t presses = 0;
        for (const CameraCall& call : CameraCalls())
            presses += call.result == 0;
        return presses;
    }

    // How often the imaging application has received `message` so far.
    size_t Received(unsigned message) const {
        size_t count = 0;
        for (const ImagerEvent& event : m_imager->Messages())
            count += event.Message() == message;
        return count;
    }
    bool WaitForReceived(unsigned message, size_t count, DWORD timeoutMs = kGenerousMs) const {
        return WaitUntil([&] { return Received(message) >= count; }, timeoutMs);
    }
    // The application closes; then a press, which finds nothing to click.
    void PressOnceTheApplicationIsClosed() {
        const HWND imager = m_imager->Window();
        PostMessageA(imager, WM_APP + 0x101, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(imager); }));
        // A press during the timed run (one "Delay" after its step) is ignored.
        ASSERT_TRUE(WaitForPolls(10));
        Press();
    }
    // Keeps pressing until a new run has posted `firstMessage` once more.
    bool NextRunArrives(unsigned firstMessage, DWORD timeoutMs = kGenerousMs) {
        const size_t before = Received(firstMessage);
        PressUntilANewRunStarts();
        const bool arrived = WaitForReceived(firstMessage, before + 1, timeoutMs);
        CameraIni("IdleResult=1\r\n");
        return arrived;
    }

    // The stand-in imaging application started again, as another version of
    // it would be (e.g. "/layout:2"); its log goes on in the same file.
    void RestartImager(const std::string& arguments) {
        m_imager.reset();
        m_imager = std::make_unique<StandInImager>(m_control.Path(), m_title, arguments);
        ASSERT_NE(nullptr, m_imager->Window());
    }
    // The messages received after the first `before`, once a marker posted
    // now has arrived: whatever Snap posted earlier is in the queue before it.
    std::vector<ImagerEvent> ReceivedSince(size_t before) const {
        constexpr unsigned kMarker = WM_USER + 0x7D;
        std::vector<ImagerEvent> received;
        if (!PostMessageA(m_imager->Window(), kMarker, 0, 0))
            return received;
        WaitUntil([&] {
            received = m_imager->Messages();
            return received.size() > before && received.back().Message() == kMarker;
        });
        received.erase(received.begin(), received.begin() + std::min(before, received.size()));
        if (!received.empty() && received.back().Message() == kMarker)
            received.pop_back();
        return received;
    }

    // Which steps the imaging application received, in order.
    std::vector<int> StepsReceived(size_t atLeast) const {
        std::vector<int> steps;
        for (const ImagerEvent& event : m_imager->WaitForMessages(atLeast))
            if (event.receiver == "main")
                steps.push_back(static_cast<int>(event.Message() - kFirstStepMessage));
        return steps;
    }

    TempDir m_control;
    std::string m_title = UniqueName("Imaging Station ");
    std::unique_ptr<StandInImager> m_imager;
    std::unique_ptr<SnapInstall> m_install;
    std::unique_ptr<ChildProcess> m_snap;
    HWND m_snapWindow = nullptr;
};
