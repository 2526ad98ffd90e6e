// The run log of the real Snap.exe, as the person who supports the
// workstation reads it after a press did or did not reach the application.
#include "EndToEnd.h"

namespace {

TEST_F(EndToEnd, TheLogTellsAPressThatReachedTheApplicationAndOneThatDidNot) {
    StartSnap(Configuration{});
    Press();
    m_imager->WaitForMessages(1);
    const std::string reached = "camera button  step 1 (Send Message)  done: window "
                                "[KelvraImagerStandIn] \"" +
                                m_title + "\", control [Button] \"Capture\" id ";
    ASSERT_TRUE(WaitUntil([&] { return RunLog().find(reached) != std::string::npos; })) << RunLog();

    // The application closes; the next press finds nothing to click.
    const HWND imager = m_imager->Window();
    PostMessageA(imager, WM_APP + 0x101, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(imager); }));
    // A press during the timed run (one "Delay" after its step) is ignored.
    ASSERT_TRUE(WaitForPolls(10));
    Press();
    const std::string missed =
        "camera button  step 1 (Send Message)  NOT DONE: a window titled \"" + m_title +
        "\" was not found";
    ASSERT_TRUE(WaitUntil([&] { return RunLog().find(missed) != std::string::npos; })) << RunLog();

    PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
    ASSERT_TRUE(m_snap->WaitForExit(kGenerousMs));
    m_snapWindow = nullptr;
    const std::string log = RunLog();
    const size_t started =
        log.find(m_install->Name() + " " SNAP_VERSION " starts: " + m_install->ExePath() +
                 ", settings file " + m_install->SettingsPath());
    const size_t library = log.find("camera library: " + m_install->Folder() + "\\KelvraTouch.dll");
    const size_t ended = log.find(m_install->Name() + " ended");
    EXPECT_NE(std::string::npos, started) << log;
    EXPECT_NE(std::string::npos, library) << log;
    EXPECT_NE(std::string::npos, ended) << log;
    EXPECT_LT(started, library);
    EXPECT_LT(log.find(missed), ended);
}

} // namespace
