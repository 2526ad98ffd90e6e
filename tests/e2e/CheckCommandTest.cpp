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
    std::vector<std::pair<std::string, int>> keys;          // further "Action" keys
    std::vector<std::pair<std::string, std::string>> texts = {}; // and text ones
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
        for (const auto& text : steps[i].texts)
            action += text.first + suffix + "=" + text.second + "\r\n";
    }
    return param + action + "[Video]\r\nPilote=USB 28 Camera\r\n";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CheckCommand : public EndToEnd {
protected:
    // A copy of Snap whose template holds `ini`; it is not started.
    void StartInstall(const std::string& ini) {
        m_install = std::make_unique<SnapInstall>(CameraLibrary::StandIn, ini);
    }
    std::string Description(const std::string& title) const {
        return "800;600;KelvraImagerStandIn\t" + title;
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
    EXPECT_TRUE(Contains(text, "Window: found, [KelvraImagerStandIn] \"" + m_title + "\"")) << text;
    const WindowOwner owner = OwnerOfWindow(m_imager->Window());
    EXPECT_TRUE(Contains(text, "Process: StandInImager.exe (id " + std::to_string(owner.processId)))
        << text;
    EXPECT_TRUE(
        Contains(text, std::string("integrity level ") + IntegrityLevelName(owner.integrity)))
        << text;
    EXPECT_TRUE(Contains(text, "Control: [Button] \"Capture\" id 101")) << text;
    EXPECT_TRUE(Contains(text, "Would post: WM_USER+256 (0x0500), wParam 0x00000000, lParam "
                               "0x00000000, to [KelvraImagerStandIn]"))
        << text;

    EXPECT_TRUE(Contains(text, "Action #02: Mouse click (type 8)")) << text;
    EXPECT_TRUE(Contains(text, "Control: [Button] \"Live\" id 102")) << text;
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
    EXPECT_TRUE(Contains(run.printed, "Action #01: a window titled \"" + m_title +
                                          "\" was not found; the imaging application is not "
                                          "running"))
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
    EXPECT_TRUE(Contains(run.printed, "Action #02: the stored path leads to no control"))
        << run.printed;
    // The first step resolves: only the second is named.
    EXPECT_FALSE(Contains(run.printed, "Action #01: the")) << run.printed;
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
         "top-level windows (broadcast)"},
        {8, 1, "Action #01: a mouse click cannot be broadcast to every window"},
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

// One post as /check prints it or as the stand-in recorded it: who received
// it (the stand-in's own names), the message and its parameters.
struct Delivery {
    std::string receiver;
    unsigned message;
    unsigned long long wParam;
    unsigned long long lParam;

    bool operator==(const Delivery& other) const {
        return receiver == other.receiver && message == other.message && wParam == other.wParam &&
               lParam == other.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Delivery& delivery) {
    return out << delivery.receiver << " 0x" << std::hex << delivery.message << " w 0x"
               << delivery.wParam << " l 0x" << delivery.lParam << std::dec;
}

// The stand-in's name for a window /check names in words: "main" for its
// top-level window (and for all windows, which it receives as one of them),
// "<class>:<id>" for a control.
std::string ReceiverOf(const std::string& words) {
    if (words.find("[KelvraImagerStandIn]") != std::string::npos ||
        words.find("all top-level windows") != std::string::npos)
        return "main";
    const size_t id = words.rfind(" id ");
    const std::string number = id == std::string::npos ? "?" : words.substr(id + 4);
    if (words.rfind("[Button]", 0) == 0)
        return "button:" + number;
    if (words.rfind("[ImagerPanel]", 0) == 0)
        return "panel:" + number;
    if (words.rfind("[ImagerCanvas]", 0) == 0)
        return "canvas:" + number;
    return words;
}

// The "Would post" lines of a report.
std::vector<Delivery> PostsOf(const std::string& report) {
    std::vector<Delivery> posts;
    const std::string marker = "  Would post: ";
    for (size_t at = report.find(marker); at != std::string::npos;
         at = report.find(marker, at + 1)) {
        const std::string line = report.substr(at, report.find("\r\n", at) - at);
        if (line.find("Would post: nothing") != std::string::npos)
            continue;
        const size_t open = line.find("(0x");
        const size_t w = line.find("wParam 0x");
        const size_t l = line.find("lParam 0x");
        const size_t to = line.find(", to ");
        Delivery post;
        post.message = static_cast<unsigned>(std::stoul(open != std::string::npos && open < w
                                                            ? line.substr(open + 1)
                                                            : line.substr(line.find("0x")),
                                                        nullptr, 16));
        post.wParam = std::stoull(line.substr(w + 7), nullptr, 16);
        post.lParam = std::stoull(line.substr(l + 7), nullptr, 16);
        post.receiver = ReceiverOf(line.substr(to + 5));
        posts.push_back(post);
    }
    return posts;
}

// Why /check says a step does not resolve: the text after "Action #01: " in
// its summary, without the closing full stop; empty when it resolves.
std::string CauseOf(const std::string& report) {
    const std::string marker = "\r\n  Action #01: ";
    const size_t at = report.find(marker);
    if (at == std::string::npos)
        return std::string();
    std::string cause = report.substr(at + marker.size());
    cause = cause.substr(0, cause.find("\r\n"));
    if (!cause.empty() && cause.back() == '.')
        cause.pop_back();
    return cause;
}

std::string RunLogOf(const SnapInstall& install) {
    return ReadTextFile(install.SettingsFolder() + "\\" + install.Name() + ".log");
}

// For the same settings and the same stand-in, what /check says a press
// would post is what one real press delivers, item by item, and the cause it
// names for a step that does not resolve is the cause in the run log.
TEST_F(CheckCommand, WhatTheCheckSaysIsWhatAPressDoes) {
    const std::string window = Description(m_title);
    const struct {
        const char* name;
        StepEntry step;
    } rows[] = {
        {"button click", {window, "80;35", 0, {}}},
        {"button double click", {window, "80;35", 1, {}}},
        {"command", {window, "", 2, {{"WParam", 5}, {"LParam", -7}}}},
        {"message to a control's parent", {window, "80;35", 3, {{"Message", 0x520}}}},
        {"message in a nested panel", {window, "4;260;85", 3, {{"WParam", 9}}}},
        {"joystick 1 down", {window, "", 4, {}}},
        {"joystick 1 up", {window, "", 5, {}}},
        {"joystick 2 down", {window, "", 6, {}}},
        {"joystick 2 up", {window, "", 7, {}}},
        {"mouse click on the canvas", {window, "480;430", 8, {}}},
        {"broadcast command", {kBroadcastDescription, "", 2, {{"WParam", 0x4242}}}},
        {"path leading nowhere", {window, "1;80;35", 3, {{"Message", 0x501}}}},
        {"send-only system message", {window, "", 3, {{"Message", WM_SETTEXT}}}},
        {"unknown type", {window, "80;35", 12, {}}},
        // Both apply: the window search comes first, as at a press.
        {"unknown type, window not running", {Description("No Such Station"), "", 12, {}}},
        {"launch",
         {window,
          "",
          9,
          {},
          {{"ExtApp", "C:\\windows\\system32\\cmd.exe"}, {"ExtAppParam", "/c exit"}}}},
        {"window not running", {Description("No Such Station"), "80;35", 0, {}}},
        {"no target", {"", "", 0, {}}},
        {"broadcast mouse click", {kBroadcastDescription, "", 8, {}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StartInstall(SettingsWith({row.step}));
        const CheckRun check = Check();
        ASSERT_TRUE(check.ended);
        const std::vector<Delivery> planned = PostsOf(check.printed);
        const std::string plannedCause = CauseOf(check.printed);

        // One press of the same settings, in the real program.
        const size_t before = m_imager->Messages().size();
        LaunchSnap();
        Press();
        const std::string stepLine = "camera button  step 1 (";
        ASSERT_TRUE(WaitUntil([&] {
            return RunLogOf(*m_install).find(stepLine) != std::string::npos;
        })) << RunLogOf(*m_install);
        PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
        ASSERT_TRUE(m_snap->WaitForExit(kGenerousMs));
        m_snapWindow = nullptr;
        // Whatever the press posted is in the stand-in's queue before a marker
        // posted now.
        ASSERT_TRUE(PostMessageA(m_imager->Window(), kMarker, 0, 0));
        std::vector<ImagerEvent> received;
        ASSERT_TRUE(WaitUntil([&] {
            received = m_imager->Messages();
            return !received.empty() && received.back().Message() == kMarker;
        }));
        std::vector<Delivery> delivered;
        for (size_t i = before; i + 1 < received.size(); ++i)
            delivered.push_back({received[i].receiver, received[i].Message(), received[i].WParam(),
                                 received[i].LParam()});
        EXPECT_EQ(planned, delivered) << check.printed;

        const std::string log = RunLogOf(*m_install);
        if (plannedCause.empty()) {
            EXPECT_NE(std::string::npos, log.find(stepLine)) << log;
            EXPECT_EQ(std::string::npos, log.find("NOT DONE")) << log;
            EXPECT_EQ(0u, check.exitCode) << check.printed;
        } else {
            EXPECT_NE(std::string::npos, log.find(plannedCause)) << plannedCause << "\n" << log;
            EXPECT_EQ(1u, check.exitCode) << check.printed;
        }
    }
}

TEST_F(CheckCommand, NoStepConfiguredEndsWithExitCodeOne) {
    StartInstall("[Action]\r\nType=-1\r\n");
    const CheckRun run = Check();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(1u, run.exitCode) << run.printed;
    EXPECT_TRUE(Contains(run.printed, "No step is configured: a press does nothing. Exit code 1."))
        << run.printed;
}

} // namespace
