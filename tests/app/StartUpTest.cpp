// Start-up and end of the real Snap.exe, run as a separate process.
#include "resources/resource.h"
#include "support/ChildProcess.h"
#include "support/SnapInstall.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kGenerousMs = 30000;
const char kTemplate[] = "[Param]\r\nDelay=500\r\n";

int PlacementLength(const SnapInstall& snap) {
    return static_cast<int>(
        GetPrivateProfileIntA("WPlace", "length", 0, snap.SettingsPath().c_str()));
}

struct MissingLibraryCase {
    const char* name;
    CameraLibrary besideExe;
    bool standInInWorkingFolder;
};

class StartUpWithoutCameraButton : public ::testing::TestWithParam<MissingLibraryCase> {};

TEST_P(StartUpWithoutCameraButton, PreparesSettingsThenEndsByItselfWithoutSavingPlacement) {
    SnapInstall snap(GetParam().besideExe, kTemplate);
    TempDir workingFolder;
    if (GetParam().standInInWorkingFolder)
        CopyFileA(BuiltStandInLibrary().c_str(), (workingFolder / "KelvraTouch.dll").c_str(), FALSE);

    ChildProcess process(snap.ExePath(), workingFolder.Path());
    ASSERT_TRUE(process.Started());
    DWORD exitCode = 1;
    ASSERT_TRUE(process.WaitForExit(kGenerousMs, &exitCode)) << "Snap kept running";
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(kTemplate, ReadTextFile(snap.SettingsPath()));
    EXPECT_EQ(0, PlacementLength(snap));
    // The working folder's library was never loaded, so it never logged a call.
    EXPECT_FALSE(FileExists(workingFolder / "KelvraTouchSim.log"));
}

INSTANTIATE_TEST_SUITE_P(
    Library, StartUpWithoutCameraButton,
    ::testing::Values(MissingLibraryCase{"Absent", CameraLibrary::None, false},
                      MissingLibraryCase{"WithoutItsExport", CameraLibrary::WithoutExport, false},
                      MissingLibraryCase{"OnlyInTheWorkingFolder", CameraLibrary::None, true}),
    [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(500, static_cast<int>(GetPrivateProfileIntA("Param", "Delay", 0,
                                                          snap.SettingsPath().c_str())));
}

INSTANTIATE_TEST_SUITE_P(Command, StartUpWithCameraButton,
                         ::testing::Values(CloseCase{"Cancel", IDCANCEL},
                                           CloseCase{"TrayMenuClose", ID_TRAY_CLOSE}),
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

} // namespace
