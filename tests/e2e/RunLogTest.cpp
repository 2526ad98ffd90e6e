// The run log of the real Snap.exe, as the person who supports the
// workstation reads it after a press did or did not reach the application.
#include "EndToEnd.h"

#include "support/DoubleByteText.h"

#include <regex>
#include <sstream>

namespace {

std::string LogOf(const SnapInstall& install) {
    return ReadTextFile(install.SettingsFolder() + "\\" + install.Name() + ".log");
}

// Waits until the log holds `part`.
::testing::AssertionResult LogComesToHold(const SnapInstall& install, const std::string& part) {
    if (WaitUntil([&] { return LogOf(install).find(part) != std::string::npos; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << LogOf(install);
}

TEST_F(EndToEnd, TheLogTellsAPressThatReachedTheApplicationAndOneThatDidNot) {
    StartSnap(Configuration{});
    Press();
    m_imager->WaitForMessages(1);
    const std::string reached = "camera button  step 1 (Send Message)  done: window "
                                "[KelvraImagerStandIn] \"" +
                                m_title + "\", control [Button] \"Capture\" id ";
    ASSERT_TRUE(LogComesToHold(*m_install, reached));

    PressOnceTheApplicationIsClosed();
    const std::string missed =
        "camera button  step 1 (Send Message)  NOT DONE: a window titled \"" + m_title +
        "\" was not found";
    ASSERT_TRUE(LogComesToHold(*m_install, missed));

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

// Every line of the log starts with its time: nothing it quotes split one.
void ExpectEveryLineStamped(const std::string& log) {
    std::istringstream lines(log);
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  .*\r)");
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
}

TEST_F(EndToEnd, TheLogKeepsAWindowTitleWithLineBreaksOnItsLine) {
    m_title = "Imaging\r\nStation\n" + UniqueName("");
    ASSERT_TRUE(SetWindowTextA(m_imager->Window(), m_title.c_str()));
    std::string shown = m_title;
    for (char& c : shown)
        if (c == '\r' || c == '\n')
            c = ' ';
    StartSnap(Configuration{});
    Press();
    m_imager->WaitForMessages(1);
    ASSERT_TRUE(LogComesToHold(*m_install,
                               "done: window [KelvraImagerStandIn] \"" + shown + "\", control"));
    PressOnceTheApplicationIsClosed();
    ASSERT_TRUE(
        LogComesToHold(*m_install, "NOT DONE: a window titled \"" + shown + "\" was not found"));
    ExpectEveryLineStamped(LogOf(*m_install));
}

TEST_F(EndToEnd, TheLogCutsADoubleByteWindowTitleBetweenItsCharacters) {
    if (!InDoubleByteCodePage())
        GTEST_SKIP() << "runs with code page 932 (InCodePage932.*)";
    // The log quotes the first 255 bytes of a window's title; an even prefix
    // puts a character across that limit. The step finds the window by its
    // class alone: a stored title holds no more than 127 characters.
    const std::string title = DoubleByteTitle("No", 200);
    ASSERT_TRUE(SetWindowTextA(m_imager->Window(), title.c_str()));
    StartSnapWith(Configuration{}.Ini(""));
    Press();
    m_imager->WaitForMessages(1);
    const std::string before = "done: window [KelvraImagerStandIn] \"", after = "\", control";
    ASSERT_TRUE(LogComesToHold(*m_install, before));
    const std::string log = LogOf(*m_install);
    const size_t start = log.find(before) + before.size(), end = log.find(after, start);
    ASSERT_NE(std::string::npos, end) << log;
    EXPECT_TRUE(CutBetweenCharacters(log.substr(start, end - start), title, 255));
}

} // namespace
