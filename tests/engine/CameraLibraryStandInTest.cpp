// The stand-in camera button library: the contract (file name, export, cdecl,
// results) and the controls that tests and the demo script it with.
#include "engine/CameraButtonLibrary.h"
#include "support/SnapInstall.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

class StandInLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", m_control.Path().c_str());
        m_module = LoadLibraryA(BuiltStandInLibrary().c_str());
        ASSERT_NE(nullptr, m_module);
        m_entry = reinterpret_cast<CameraButtonProc>(
            reinterpret_cast<void*>(GetProcAddress(m_module, kCameraButtonExport)));
        ASSERT_NE(nullptr, m_entry);
    }
    void TearDown() override {
        FreeLibrary(m_module);
        SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", nullptr);
    }

    int Call(const char* source = "USB 28 Camera") { return m_entry(source); }
    void Press() { WriteTextFile(m_control / "press", ""); }
    void Configure(const std::string& entries) {
        WriteTextFile(m_control / "KelvraTouchSim.ini", "[Simulator]\r\n" + entries);
    }
    std::vector<std::string> LogLines() {
        std::istringstream log(ReadTextFile(m_control / "KelvraTouchSim.log"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            lines.push_back(line);
        return lines;
    }

    TempDir m_control;
    HMODULE m_module = nullptr;
    CameraButtonProc m_entry = nullptr;
};

TEST_F(StandInLibrary, AnswersNoPressUntilPressedThenOnePressPerTrigger) {
    EXPECT_EQ(1, Call());
    Press();
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_FALSE(FileExists(m_control / "press"));
    EXPECT_EQ(1, Call());
}

TEST_F(StandInLibrary, TheNamedEventIsOnePress) {
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "KelvraTouchSim.Press");
    ASSERT_NE(nullptr, event);
    SetEvent(event);
    CloseHandle(event);
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(1, Call());
}

TEST_F(StandInLibrary, TwoTriggersGiveTwoPressesAtTwoCalls) {
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, "KelvraTouchSim.Press");
    SetEvent(event);
    CloseHandle(event);
    Press();
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(1, Call());
}

TEST_F(StandInLibrary, ACountInThePressFileGivesThatManyPressesInARow) {
    WriteTextFile(m_control / "press", "3");
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(kCameraButtonPressed, Call());
    EXPECT_EQ(1, Call());
    EXPECT_FALSE(FileExists(m_control / "press"));
}

TEST_F(StandInLibrary, ConfiguredResultsAreAnswered) {
    Configure("IdleResult=-1\r\nPressResult=2\r\n");
    EXPECT_EQ(kCameraButtonSlowDown, Call());
    Press();
    EXPECT_EQ(kCameraButtonPressedToo, Call());
}

TEST_F(StandInLibrary, ASchedulePressesAfterItsPeriod) {
    Configure("PressEveryMs=100000\r\n");
    EXPECT_EQ(1, Call()); // the schedule starts at the first call
    EXPECT_EQ(1, Call());

    Configure("PressEveryMs=1\r\n");
    const ULONGLONG deadline = GetTickCount64() + 10000;
    int result = 1;
    while (result != kCameraButtonPressed && GetTickCount64() < deadline)
        result = Call();
    EXPECT_EQ(kCameraButtonPressed, result);
}

TEST_F(StandInLibrary, RecordsEveryCallWithItsResultAndSourceName) {
    Call("USB 28 Camera");
    Press();
    Call("");
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("\t1\tUSB 28 Camera"));
    EXPECT_NE(std::string::npos, lines[1].find("\t0\t"));
    EXPECT_LE(std::stod(lines[0]), std::stod(lines[1]));
}

TEST_F(StandInLibrary, LoggingCanBeSwitchedOff) {
    Configure("Log=0\r\n");
    Call();
    EXPECT_FALSE(FileExists(m_control / "KelvraTouchSim.log"));
}

} // namespace
