// Start-up and end of the real Snap.exe, run as a separate process, and of
// the start-up routine in the test process where the platform fails it.
#include "app/TapsyncApp.h"
#include "common/ModulePaths.h"
#include "resources/resource.h"
#include "settings/SettingsFile.h"
#include "support/ChildProcess.h"
#include "support/SnapInstall.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr DWORD kGenerousMs = 30000;
const char kTemplate[] = "[Param]\r\nDelay=500\r\n";

int PlacementLength(const SnapInstall& snap) {
    return static_cast<int>(
        GetPrivateProfileIntA("WPlace", "length", 0, snap.SettingsPath().c_str()));
}

// Puts a folder in front of %PATH% for the life of the object.
class PathInFront {
public:
    explicit PathInFront(const std::string& folder) {
        char old[32768] = "";
        const DWORD length = GetEnvironmentVariableA("PATH", old, sizeof old);
        m_old.assign(old, length < sizeof old ? length : 0);
        SetEnvironmentVariableA("PATH", (folder + ";" + m_old).c_str());
    }
    ~PathInFront() { SetEnvironmentVariableA("PATH", m_old.c_str()); }

private:
    std::string m_old;
};

bool WaitForFile(const std::string& path) {
    const ULONGLONG deadline = GetTickCount64() + kGenerousMs;
    while (!FileExists(path)) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(20);
    }
    return true;
}

constexpr const char* kNotFound = "ends: the camera library KelvraTouch.dll was found neither "
                                  "beside ";

struct MissingLibraryCase {
    const char* name;
    CameraLibrary besideExe;
    bool standInInWorkingFolder;
    const char* pathEntry; // put in front of %PATH%, when given
    const char* logged;    // why the program ended, in its log
};

class StartUpWithoutCameraButton : public ::testing::TestWithParam<MissingLibraryCase> {};

TEST_P(StartUpWithoutCameraButton, PreparesSettingsThenEndsByItselfWithoutSavingPlacement) {
    SnapInstall snap(GetParam().besideExe, kTemplate);
    TempDir workingFolder;
    if (GetParam().standInInWorkingFolder)
        CopyFileA(BuiltStandInLibrary().c_str(), (workingFolder / "KelvraTouch.dll").c_str(),
                  FALSE);

    std::unique_ptr<PathInFront> path;
    if (GetParam().pathEntry)
        path = std::make_unique<PathInFront>(GetParam().pathEntry);
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    ASSERT_TRUE(process.Started());
    DWORD exitCode = 1;
    ASSERT_TRUE(process.WaitForExit(kGenerousMs, &exitCode)) << "Snap kept running";
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(kTemplate, ReadTextFile(snap.SettingsPath()));
    EXPECT_EQ(0, PlacementLength(snap));
    // The working folder's library was never loaded, so it never logged a call.
    EXPECT_FALSE(FileExists(workingFolder / "KelvraTouchSim.log"));
    // Support finds out why it ended.
    const std::string log = ReadTextFile(snap.SettingsFolder() + "\\" + snap.Name() + ".log");
    EXPECT_NE(std::string::npos,
              log.find(snap.Name() + " " SNAP_VERSION " starts: " + snap.ExePath() +
                       ", settings file " + snap.SettingsPath()))
        << log;
    EXPECT_NE(std::string::npos, log.find(GetParam().logged)) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Library, StartUpWithoutCameraButton,
    ::testing::Values(
        MissingLibraryCase{"Absent", CameraLibrary::None, false, nullptr, kNotFound},
        MissingLibraryCase{"WithoutItsExport", CameraLibrary::WithoutExport, false, nullptr,
                           "KelvraTouch.dll has no entry point fnKelvraTouch"},
        MissingLibraryCase{"OnlyInTheWorkingFolder", CameraLibrary::None, true, nullptr, kNotFound},
        // A relative entry resolves against the working folder: not searched.
        MissingLibraryCase{"OnlyInTheWorkingFolderNamedRelativelyOnThePath", CameraLibrary::None,
                           true, ".", kNotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartUp, ACameraLibraryThatWillNotLoadIsNamedWithTheSystemsReason) {
    SnapInstall snap(CameraLibrary::NotALibrary, kTemplate);
    const std::string library = snap.Folder() + "\\KelvraTouch.dll";
    const std::string refusal = SystemRefusal(library);
    TempDir workingFolder;
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    ASSERT_TRUE(process.Started());
    ASSERT_TRUE(process.WaitForExit(kGenerousMs)) << "Snap kept running";
    const std::string log = ReadTextFile(snap.SettingsFolder() + "\\" + snap.Name() + ".log");
    EXPECT_NE(std::string::npos, log.find(snap.Name() + " ends: the camera library " + library +
                                          " could not be loaded: " + refusal))
        << log;
    EXPECT_EQ(std::string::npos, log.find("was found neither")) << log;
}

struct CloseCase {
    const char* name;
    WPARAM command;
};

class StartUpWithCameraButton : public ::testing::TestWithParam<CloseCase> {};

TEST_P(StartUpWithCameraButton, RunsTheWindowUntilItIsClosedThenSavesThePlacement) {
    SnapInstall snap(CameraLibrary::StandIn, kTemplate);
    TempDir workingFolder;
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    const HWND window = process.WaitForWindow("Snap", kGenerousMs);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(process.Running());
    EXPECT_EQ(kTemplate, ReadTextFile(snap.SettingsPath())); // seeded, nothing saved yet

    PostMessageA(window, WM_COMMAND, GetParam().command, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(process.WaitForExit(kGenerousMs, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(static_cast<int>(sizeof(WINDOWPLACEMENT)), PlacementLength(snap));
    EXPECT_EQ(500, static_cast<int>(
                       GetPrivateProfileIntA("Param", "Delay", 0, snap.SettingsPath().c_str())));
}

INSTANTIATE_TEST_SUITE_P(Command, StartUpWithCameraButton,
                         ::testing::Values(CloseCase{"Cancel", IDCANCEL},
                                           CloseCase{"TrayMenuClose", ID_TRAY_CLOSE}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PathLibraryCase {
    const char* name;
    CameraLibrary besideExe;
    size_t folderLength; // the library's folder is made at least this long
};

std::wstring Extended(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.pop_back();
    return L"\\\\?\\" + wide;
}

// Folders nested inside `base` until the path is at least `length` long;
// only their extended form ("\\?\") reaches past MAX_PATH. Removed at the end.
class NestedFolder {
public:
    NestedFolder(const std::string& base, size_t length) : m_path(base) {
        while (m_path.size() < length) {
            m_path += "\\Imaging workstation drivers";
            CreateDirectoryW(Extended(m_path).c_str(), nullptr);
            m_folders.push_back(m_path);
        }
    }
    ~NestedFolder() {
        DeleteFileW(Extended(m_path + "\\KelvraTouch.dll").c_str());
        for (auto folder = m_folders.rbegin(); folder != m_folders.rend(); ++folder)
            RemoveDirectoryW(Extended(*folder).c_str());
    }
    NestedFolder(const NestedFolder&) = delete;
    NestedFolder& operator=(const NestedFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::vector<std::string> m_folders;
};

class StartUpWithTheLibraryOnThePath : public ::testing::TestWithParam<PathLibraryCase> {};

TEST_P(StartUpWithTheLibraryOnThePath, PollsItAndNamesItInTheLog) {
    // Where the platform itself would find a vendor library installed there.
    SnapInstall snap(GetParam().besideExe, kTemplate);
    TempDir base, workingFolder, cameraControl;
    const NestedFolder libraryFolder(base.Path(), GetParam().folderLength);
    const std::string library = libraryFolder.Path() + "\\KelvraTouch.dll";
    ASSERT_TRUE(
        CopyFileW(Extended(BuiltStandInLibrary()).c_str(), Extended(library).c_str(), FALSE));
    PathInFront path(libraryFolder.Path());
    SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", cameraControl.Path().c_str());
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", nullptr);
    const HWND window = process.WaitForWindow("Snap", kGenerousMs);
    ASSERT_NE(nullptr, window) << "Snap ended: the library was not found";
    // The stand-in records its calls: Snap polls it.
    EXPECT_TRUE(WaitForFile(cameraControl / "KelvraTouchSim.log"));
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(process.WaitForExit(kGenerousMs));
    const std::string log = ReadTextFile(snap.SettingsFolder() + "\\" + snap.Name() + ".log");
    EXPECT_NE(std::string::npos, log.find("  camera library: " + library + "\r\n")) << log;
}

INSTANTIATE_TEST_SUITE_P(Library, StartUpWithTheLibraryOnThePath,
                         ::testing::Values(PathLibraryCase{"Found", CameraLibrary::None, 0},
                                           // The search goes on past a file that will not load.
                                           PathLibraryCase{"BehindAFileBesideSnapThatWillNotLoad",
                                                           CameraLibrary::NotALibrary, 0},
                                           // Snap itself lives at a path of ordinary length.
                                           PathLibraryCase{"InAFolderDeeperThanMaxPath",
                                                           CameraLibrary::None, MAX_PATH + 40}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartUp, WithoutATemplateTheSettingsFileIsMadeAtTheFirstWrite) {
    SnapInstall snap(CameraLibrary::StandIn);
    TempDir workingFolder;
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    const HWND window = process.WaitForWindow("Snap", kGenerousMs);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(FileExists(snap.SettingsFolder()));
    EXPECT_FALSE(FileExists(snap.SettingsPath()));
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(process.WaitForExit(kGenerousMs));
    EXPECT_EQ(static_cast<int>(sizeof(WINDOWPLACEMENT)), PlacementLength(snap));
}

TEST(StartUp, AReadOnlyTemplateGivesAWritableSettingsFile) {
    // An installer may leave the template read-only; the copy must not be.
    SnapInstall snap(CameraLibrary::StandIn, kTemplate);
    const std::string templatePath = snap.Folder() + "\\" + snap.Name() + ".INI";
    ASSERT_TRUE(SetFileAttributesA(templatePath.c_str(), FILE_ATTRIBUTE_READONLY));
    TempDir workingFolder;
    ChildProcess process(snap.ExePath(), workingFolder.Path());
    const HWND window = process.WaitForWindow("Snap", kGenerousMs);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0); // saves the placement
    ASSERT_TRUE(process.WaitForExit(kGenerousMs));
    // Windows refuses every write to a read-only file; Wine run by root
    // writes all the same, so the attribute itself is looked at too.
    EXPECT_EQ(0u, GetFileAttributesA(snap.SettingsPath().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(static_cast<int>(sizeof(WINDOWPLACEMENT)), PlacementLength(snap));
    EXPECT_EQ(500, static_cast<int>(
                       GetPrivateProfileIntA("Param", "Delay", 0, snap.SettingsPath().c_str())));
    // The template itself stays as the installer left it.
    EXPECT_NE(0u, GetFileAttributesA(templatePath.c_str()) & FILE_ATTRIBUTE_READONLY);
}

// Start-up in the test process, with COM already started in another model on
// this thread: the apartment the program asks for is refused, as a failing
// COM start refuses it.
class StartUpWithoutCom : public ::testing::Test {
protected:
    void SetUp() override {
        m_location = LocateOwnSettingsFile();
        ASSERT_FALSE(m_location.userFolder.empty());
        RemoveTree(m_location.userFolder);
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        m_comStarted = true;
        // Else the start-up would go on to run its window.
        ASSERT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override {
        if (m_comStarted)
            CoUninitialize();
        RemoveTree(m_location.userFolder);
    }
    std::string LogPath() const {
        return m_location.userFolder + "\\" + ApplicationName() + ".log";
    }

    SettingsFileLocation m_location;
    bool m_comStarted = false;
};

TEST_F(StartUpWithoutCom, EndsWithoutMakingTheSettingsFolder) {
    CTapsyncApp app;
    app.InitInstance();
    EXPECT_FALSE(FileExists(m_location.userFolder));
}

TEST_F(StartUpWithoutCom, LogsWhyItEndedWhereTheSettingsFolderIsAlready) {
    ASSERT_TRUE(CreateDirectoryA(m_location.userFolder.c_str(), nullptr));
    CTapsyncApp app;
    app.InitInstance();
    EXPECT_NE(std::string::npos, ReadTextFile(LogPath()).find(
                                     ApplicationName() + " ends: COM could not be initialised"));
    EXPECT_FALSE(FileExists(m_location.userPath)); // nothing else is made there
}

} // namespace
