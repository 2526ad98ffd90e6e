// Faults around Snap, end to end: an odd or slow camera library, an imaging
// application that closes or hangs, launched programs that misbehave, a
// settings file that cannot be written. Snap must neither crash nor hang for
// longer than its own bounds, and the next press must work.
#include "EndToEnd.h"

#include <algorithm>

namespace {

constexpr unsigned kImagerHang = WM_APP + 0x102;
constexpr unsigned kImagerClose = WM_APP + 0x101;

class Faults : public EndToEnd {
protected:
    void ReplaceImager() {
        m_imager.reset(); // one window with the title at a time
        m_imager = std::make_unique<StandInImager>(m_control.Path(), m_title);
        ASSERT_NE(nullptr, m_imager->Window());
    }

    static Configuration OneStepPerPress() {
        Configuration configuration;
        configuration.stepByStep = true;
        return configuration;
    }

    // The imaging application stops reading its messages until it is ended.
    void HangImager() {
        PostMessageA(m_imager->Window(), kImagerHang, 0, 0);
        ASSERT_TRUE(WaitUntil([&] {
            const std::vector<ImagerEvent> events = m_imager->Events();
            return std::any_of(events.begin(), events.end(),
                               [](const auto& e) { return e.event == "hang"; });
        }));
    }
};

class OddCameraAnswers : public Faults, public ::testing::WithParamInterface<const char*> {};

TEST_P(OddCameraAnswers, AreNoPressesAndPollingGoesOn) {
    CameraIni(std::string("IdleResult=") + GetParam() + "\r\n");
    StartSnap(OneStepPerPress());
    ASSERT_TRUE(WaitForPolls(5));
    EXPECT_EQ(0u, Received(kFirstStepMessage));
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 1));
    EXPECT_TRUE(SnapResponds());
}

INSTANTIATE_TEST_SUITE_P(Faults, OddCameraAnswers,
                         ::testing::Values("3", "-2", "255", "2147483647", "-2147483648"));

TEST_F(Faults, ASlowCameraLibraryOnlySlowsPolling) {
    CameraIni("AnswerDelayMs=100\r\n");
    StartSnap(OneStepPerPress());
    ASSERT_TRUE(WaitForPolls(3));
    EXPECT_TRUE(SnapResponds());
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 1));
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 2));
    EXPECT_TRUE(SnapResponds());
}

TEST_F(Faults, TheImagingApplicationClosedDuringATimedRun) {
    Configuration configuration;
    configuration.steps = 10;
    configuration.delayMs = 200;
    configuration.returnToLive = true;
    StartSnap(configuration);
    Press();
    ASSERT_TRUE(WaitForReceived(kFirstStepMessage + 1, 1));
    const HWND closed = m_imager->Window();
    PostMessageA(closed, kImagerClose, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(closed); }));
    // The rest of the run and its return to live find no window.
    ASSERT_TRUE(WaitForPolls(5));
    EXPECT_TRUE(SnapResponds());

    ReplaceImager();
    EXPECT_TRUE(NextRunArrives(kFirstStepMessage));
    EXPECT_TRUE(m_snap->Running());
}

TEST_F(Faults, AHungImagingApplicationDoesNotHoldSnap) {
    Configuration configuration;
    configuration.steps = 3;
    configuration.delayMs = 100;
    configuration.returnToLive = true;
    StartSnap(configuration);
    HangImager();

    // A whole run with its return to live, every step posted into the queue
    // of a program that reads none of them.
    Press();
    EXPECT_TRUE(WaitForPolls(20));
    EXPECT_TRUE(SnapResponds());
    Press();
    EXPECT_TRUE(WaitForPolls(5));
    EXPECT_TRUE(SnapResponds());

    m_imager->Terminate();
    ReplaceImager();
    EXPECT_TRUE(NextRunArrives(kFirstStepMessage));
}

TEST_F(Faults, TheTenthStepDoesNotWaitOnAHungImagingApplication) {
    Configuration configuration;
    configuration.steps = 10;
    configuration.stepByStep = true; // one step a press: the tenth press performs step 10
    StartSnap(configuration);
    HangImager();

    // Step 10 also brings the application to the top, which it cannot answer.
    Press(10);
    EXPECT_TRUE(WaitForPolls(3));
    EXPECT_TRUE(SnapResponds());
    Press();
    EXPECT_TRUE(WaitUntil([&] {
        const std::string log = RunLog();
        const size_t tenth = log.find("camera button  step 10 (Send Message)  done");
        return tenth != std::string::npos &&
               log.find("camera button  step 1 (Send Message)  done", tenth) != std::string::npos;
    })) << RunLog();
    m_imager->Terminate();
}

TEST_F(Faults, AHungImagingApplicationDoesNotHoldTheSettings) {
    StartSnap(OneStepPerPress()); // step 0 aims at the application's "Capture" button
    HangImager();

    // Opening shows the step's target, read from a program that answers nothing.
    const HWND settings = OpenSettings();
    EXPECT_NE(nullptr, settings) << "Settings did not open";
    if (settings) {
        EXPECT_TRUE(CancelSettings(settings));
    }
    EXPECT_TRUE(SnapResponds());
    m_imager->Terminate();
}

// Step 0 launches a program, step 1 posts its message one "Delay" later.
std::string LaunchThenPost(const std::string& title, const std::string& program,
                           const std::string& parameters) {
    const std::string base = "800;600;KelvraImagerStandIn\t" + title;
    return "[Param]\r\nDelay=200\r\nStepByStep=0\r\n" + StoredTextEntry("SoftPos", "1150;900") +
           StoredTextEntry("Base", base) + StoredTextEntry("Destination", "80;35") +
           StoredTextEntry("Base1", base) + StoredTextEntry("Destination1", "80;35") +
           "[Action]\r\nBTLive=0\r\nType=9\r\nExtApp=" + program + "\r\nExtAppParam=" + parameters +
           "\r\nType1=3\r\nMessage1=" + std::to_string(kFirstStepMessage + 1) +
           "\r\n[Video]\r\nPilote=USB 28 Camera\r\n";
}

struct Launch {
    const char* name;
    std::string (*program)();
};

void PrintTo(const Launch& launch, std::ostream* out) {
    *out << launch.name;
}

class MisbehavingLaunches : public Faults, public ::testing::WithParamInterface<Launch> {
protected:
    void SetUp() override {
        Faults::SetUp();
        m_release = CreateEventA(nullptr, TRUE, FALSE, m_releaseName.c_str());
        SetEnvironmentVariableA("SNAP_TEST_COMMAND_LINE_FILE", (m_control / "cmdline.txt").c_str());
    }
    void TearDown() override {
        Faults::TearDown();
        SetEvent(m_release); // the launched programs end
        CloseHandle(m_release);
    }

    std::string m_releaseName = UniqueName("SnapTestNeverIdle");
    HANDLE m_release = nullptr;
};

TEST_P(MisbehavingLaunches, TheRunGoesOnAndTheNextPressWorks) {
    StartSnapWith(LaunchThenPost(m_title, GetParam().program(), m_releaseName));
    Press();
    // A program that never becomes ready holds the run for the launch's bound
    // (30 s), and no longer.
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage + 1, 1, 2 * kGenerousMs));
    EXPECT_TRUE(SnapResponds());
    EXPECT_TRUE(NextRunArrives(kFirstStepMessage + 1, 2 * kGenerousMs));
    EXPECT_TRUE(m_snap->Running());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MisbehavingLaunches,
    ::testing::Values(Launch{"Missing",
                             [] { return std::string("C:\\no such folder\\Imaging.exe"); }},
                      Launch{"Console", BuiltCommandLineRecorder},
                      Launch{"NeverIdle", BuiltNeverIdleProgram}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Faults, ASettingsFileThatCannotBeWrittenIsUsedAndLeftAlone) {
    StartSnap(OneStepPerPress());
    ASSERT_TRUE(WaitForPolls(2));
    const std::string path = m_install->SettingsPath();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine run as root writes read-only files all the same; a program that
    // holds the file open for reading only (a backup, a virus scanner) stops
    // every writer, here as on Windows.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    const std::string before = ReadTextFile(path);

    // A moved window is saved before every step: the write fails, quietly.
    SetWindowPos(m_snapWindow, nullptr, 1100, 850, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 1));
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 2));
    const HWND settings = OpenSettings();
    EXPECT_NE(nullptr, settings);
    if (settings) {
        EXPECT_TRUE(CancelSettings(settings));
    }
    EXPECT_TRUE(SnapResponds());
    EXPECT_EQ(before, ReadTextFile(path));
    CloseHandle(reader);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Faults, WithoutASettingsFolderTheTemplateIsUsed) {
    m_install =
        std::make_unique<SnapInstall>(CameraLibrary::StandIn, OneStepPerPress().Ini(m_title));
    // A file where the folder should be: the folder cannot be made.
    WriteTextFile(m_install->SettingsFolder(), "not a folder");
    LaunchSnap();
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 1));
    Press();
    EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 2));
    EXPECT_TRUE(SnapResponds());
    // The window's place went to the template beside the program.
    EXPECT_NE(
        std::string::npos,
        ReadTextFile(m_install->Folder() + "\\" + m_install->Name() + ".INI").find("[WPlace]"));
    EXPECT_EQ("not a folder", ReadTextFile(m_install->SettingsFolder()));
    PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
    EXPECT_TRUE(m_snap->WaitForExit(kGenerousMs));
    DeleteFileA(m_install->SettingsFolder().c_str());
}

} // namespace
