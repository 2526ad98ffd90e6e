// "Snap.exe /check" against the stand-in imaging application: what it prints
// and writes for each step, its exit code, and that it touches nothing.
#include "EndToEnd.h"

#include "targeting/TargetRecords.h"
#include "targeting/WindowOwner.h"

namespace {

constexpr unsigned kMarker = WM_USER + 0x7E; // posted by the test, after the check

// One step of a settings file, aimed at the stand-in's window.
struct StepEntry {
    std::string base;        // WindowDescription
    std::string destination; // TargetPath
    int type;
    std::vector<std::pair<std::string, int>> keys; // further "Action" keys
};

std::string SettingsWith(const std::vector<StepEntry>& steps) {
    std::string param = "[Param]\r\nDelay=350\r\n", action = "[Action]\r\n";
    for (size_t i = 0; i < steps.size(); ++i) {
        const std::string suffix = i ? std::to_string(i) : "";
        param += StoredTextEntry("Base" + suffix, steps[i].base) +
                 StoredTextEntry("Destination" + suffix, steps[i].destination);
        action += "Type" + suffix + "=" + std::to_string(steps[i].type) + "\r\n";
        for (const auto& key : steps[i].keys)
            action += key.first + suffix + "=" + std::to_string(key.second) + "\r\n";
    }
    return param + action + "[Video]\r\nPilote=USB 28 Camera\r\n";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct CheckRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string printed; // its standard output
    std::string written; // <name>-check.txt in the settings folder
};

class CheckCommand : public EndToEnd {
protected:
    // A copy of Snap whose template holds `ini`; it is not started.
    void StartInstall(const std::string& ini) {
        m_install = std::make_unique<SnapInstall>(CameraLibrary::StandIn, ini);
    }
    std::string Description(const std::string& title) const {
        return "800;600;KelvraImagerStandIn\t" + title;
    }

    // Runs the installed copy with `arguments`, its standard output going to
    // a file, and waits for its end.
    CheckRun Check(const std::string& arguments = "/check") {
        const std::string outputPath = m_control / "printed.txt";
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, output);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        std::string commandLine = "\"" + m_install->ExePath() + "\" " + arguments;
        PROCESS_INFORMATION process = {};
        CheckRun run;
        const BOOL started =
            CreateProcessA(m_install->ExePath().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                           0, nullptr, m_install->Folder().c_str(), &startup, &process);
        CloseHandle(output);
        EXPECT_TRUE(started);
        if (!started)
            return run;
        run.ended = WaitForSingleObject(process.hProcess, kGenerousMs) == WAIT_OBJECT_0;
        if (!run.ended)
            TerminateProcess(process.hProcess, 99);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        run.printed = ReadTextFile(outputPath);
        run.written = ReadTextFile(ReportPath());
        return run;
    }
    std::string ReportPath() const {
        return m_install->SettingsFolder() + "\\" + m_install->Name() + "-check.txt";
    }

    // Whatever Snap had posted would be in the stand-in's queue before a
    // message the test posts after Snap's end: once that one is recorded,
    // anything of Snap's would be too.
    void ExpectNothingReachedTheImager() {
        ASSERT_TRUE(PostMessageA(m_imager->Window(), kMarker, 0, 0));
        const std::vector<ImagerEvent> messages = m_imager->WaitForMessages(1);
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(kMarker, messages.front().Message()) << "the stand-in received a message";
        EXPECT_EQ(1u, messages.size());
        // Nor was the camera library polled.
        EXPECT_TRUE(CameraCalls().empty());
    }
};

TEST_F(CheckCommand, AFoundWindowIsToldWithItsControlsAndWhatWouldBePosted) {
    StartInstall(SettingsWith({{Description(m_title), "80;35", 3, {{"Message", 0x500}}},
                               {Description(m_title), "80;75", 8, {}}}));
    POINT cursorBefore = {};
    GetCursorPos(&cursorBefore);

    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(0u, run.exitCode) << run.printed;
    EXPECT_EQ(run.written, run.printed);
    const std::string& text = run.printed;
    EXPECT_TRUE(Contains(text, "Action #01: Send Message (type 3)")) << text;
    EXPECT_TRUE(Contains(text, "Stored window: class \"KelvraImagerStandIn\", title \"" + m_title +
                                   "\" (found by its title), reference client size 800 x 600"))
        << text;
    EXPECT_TRUE(Contains(text, "Stored path: positions none (a control of the window itself); "
                               "point (80, 35)"))
        << text;
    EXPECT_TRUE(Contains(text, "title \"" + m_title + "\", class \"KelvraImagerStandIn\"")) << text;
    const WindowOwner owner = OwnerOfWindow(m_imager->Window());
    EXPECT_TRUE(Contains(text, "Process: StandInImager.exe (id " + std::to_string(owner.processId)))
        << text;
    EXPECT_TRUE(
        Contains(text, std::string("integrity level ") + IntegrityLevelName(owner.integrity)))
        << text;
    EXPECT_TRUE(Contains(text, "class \"Button\", id 101, text \"Capture\"")) << text;
    EXPECT_TRUE(Contains(text, "Would post: WM_USER+256 (0x0500), wParam 0x00000000, lParam "
                               "0x00000000, to window"))
        << text;

    EXPECT_TRUE(Contains(text, "Action #02: Mouse click (type 8)")) << text;
    EXPECT_TRUE(Contains(text, "class \"Button\", id 102, text \"Live\"")) << text;
    EXPECT_TRUE(Contains(text, "Click point: (80, 75) in the window's client area")) << text;
    EXPECT_TRUE(Contains(text, "Would post: WM_LBUTTONDOWN (0x0201), wParam 0x00000000, lParam "
                               "0x000F003C")) // (60, 15) in the "Live" button
        << text;
    EXPECT_TRUE(Contains(text, "Would post: WM_LBUTTONUP (0x0202)")) << text;
    EXPECT_TRUE(Contains(text, "Action #03: None: the sequence ends here.")) << text;
    EXPECT_TRUE(Contains(text, "Every step resolves (2 checked). Exit code 0.")) << text;

    ExpectNothingReachedTheImager();
    POINT cursorAfter = {};
    GetCursorPos(&cursorAfter);
    EXPECT_EQ(cursorBefore.x, cursorAfter.x);
    EXPECT_EQ(cursorBefore.y, cursorAfter.y);
    // The per-user file was not there: it is told, and still not made.
    EXPECT_TRUE(Contains(text, "does not exist yet")) << text;
    EXPECT_FALSE(FileExists(m_install->SettingsPath()));
}

TEST_F(CheckCommand, ThePerUserFileIsReadAndLeftAsItWas) {
    // The template would fail: only the per-user file's step is found.
    StartInstall(SettingsWith({{Description("No Such Station"), "80;35", 0, {}}}));
    CreateDirectoryA(m_install->SettingsFolder().c_str(), nullptr);
    const std::string settings = SettingsWith({{Description(m_title), "80;35", 0, {}}});
    WriteTextFile(m_install->SettingsPath(), settings);

    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(0u, run.exitCode) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Settings file: " + m_install->SettingsPath()))
        << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Would post: WM_COMMAND (0x0111), wParam 0x00000065"))
        << run.printed; // id 101, BN_CLICKED
    EXPECT_EQ(settings, ReadTextFile(m_install->SettingsPath()));
    ExpectNothingReachedTheImager();
}

TEST_F(CheckCommand, AnApplicationThatIsNotRunningIsNamedAsTheCause) {
    StartInstall(SettingsWith({{Description(m_title), "80;35", 0, {}}}));
    m_imager->Terminate();

    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1u, run.exitCode) << run.printed;
    EXPECT_EQ(run.written, run.printed);
    EXPECT_TRUE(Contains(run.printed, "  Window: not found")) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Action #01: its window is not found: the imaging "
                                      "application is not running"))
        << run.printed;
    EXPECT_TRUE(Contains(run.printed, "1 of 1 steps do not resolve. Exit code 1.")) << run.printed;
}

TEST_F(CheckCommand, APathLeadingToNoControlIsNamedAsTheCause) {
    // The first child of the window is the "Capture" button, which holds no
    // controls of its own: the layout the path remembers is gone.
    StartInstall(SettingsWith({{Description(m_title), "80;35", 0, {}},
                               {Description(m_title), "1;80;35", 3, {{"Message", 0x501}}}}));

    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1u, run.exitCode) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Stored path: positions 1; point (80, 35)")) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Control: none at the stored path now")) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "Action #02: its stored path leads to no control"))
        << run.printed;
    // The first step resolves: only the second is named.
    EXPECT_FALSE(Contains(run.printed, "Action #01: its")) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "1 of 2 steps do not resolve. Exit code 1.")) << run.printed;
    ExpectNothingReachedTheImager();
}

TEST_F(CheckCommand, ABroadcastResolvesButABroadcastMouseClickDoesNot) {
    const struct {
        int type;
        DWORD exitCode;
        const char* told;
    } cases[] = {
        {2, 0,
         "Would post: WM_COMMAND (0x0111), wParam 0x00000005, lParam 0x00000007, to all "
         "top-level windows (HWND_BROADCAST)"},
        {8, 1, "Action #01: a mouse click cannot go to all windows"},
    };
    for (const auto& c : cases) {
        StartInstall(
            SettingsWith({{kBroadcastDescription, "", c.type, {{"WParam", 5}, {"LParam", 7}}}}));
        const CheckRun run = Check("-Check");
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.printed;
        EXPECT_TRUE(Contains(run.printed, "Stored window: Broadcast, all top-level windows"))
            << run.printed;
        EXPECT_TRUE(Contains(run.printed, c.told)) << run.printed;
    }
    // A broadcast posted would have reached the stand-in's window too.
    ExpectNothingReachedTheImager();
}

TEST_F(CheckCommand, SettingsThatCannotBeReadEndWithExitCodeOne) {
    StartInstall(SettingsWith({{Description(m_title), "80;35", 0, {}}}));
    // Something stands where the settings file belongs and cannot be read.
    CreateDirectoryA(m_install->SettingsFolder().c_str(), nullptr);
    CreateDirectoryA(m_install->SettingsPath().c_str(), nullptr);

    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1u, run.exitCode) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "The settings file cannot be read")) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "The steps cannot be checked. Exit code 1.")) << run.printed;
    RemoveDirectoryA(m_install->SettingsPath().c_str());
}

TEST_F(CheckCommand, TheCameraLibraryIsNamedOrWhySnapCannotUseIt) {
    for (const CameraLibrary library : {CameraLibrary::StandIn, CameraLibrary::WithoutExport,
                                        CameraLibrary::NotALibrary, CameraLibrary::None}) {
        m_install = std::make_unique<SnapInstall>(
            library, SettingsWith({{Description(m_title), "80;35", 0, {}}}));
        const std::string path = m_install->Folder() + "\\KelvraTouch.dll";
        const std::string ends = "; " + m_install->Name() + " ends when started";
        std::string told;
        switch (library) {
        case CameraLibrary::StandIn:
            told = path;
            break;
        case CameraLibrary::WithoutExport:
            told = path + " has no entry point fnKelvraTouch" + ends;
            break;
        case CameraLibrary::NotALibrary:
            told = path + " could not be loaded: " + SystemRefusal(path) + ends;
            break;
        case CameraLibrary::None:
            told = "KelvraTouch.dll was found neither beside " + m_install->Name() +
                   ".exe nor in the system folders nor on PATH" + ends;
            break;
        }
        const CheckRun run = Check();
        ASSERT_TRUE(run.ended);
        EXPECT_TRUE(Contains(run.printed, "\r\nCamera library: " + told + "\r\n")) << run.printed;
        // The steps are checked all the same.
        EXPECT_EQ(0u, run.exitCode) << run.printed;
    }
    // The library was loaded at most: never asked about the button.
    ExpectNothingReachedTheImager();
}

TEST_F(CheckCommand, AnyOtherCommandLineStartsTheResidentProgram) {
    StartInstall(SettingsWith({{Description(m_title), "80;35", 0, {}}}));
    ChildProcess snap(m_install->ExePath(), m_install->Folder(), "/checkup");
    const HWND window = snap.WaitForWindow("Snap", kGenerousMs);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_COMMAND, ID_TRAY_CLOSE, 0);
    EXPECT_TRUE(snap.WaitForExit(kGenerousMs));
}

} // namespace
