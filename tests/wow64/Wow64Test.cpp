// What only the 32-bit build meets on 64-bit Windows (WoW64): its system folder
// is SysWOW64, and the registry's classes (the capture device list among
// them) have a view of their own for 32-bit programs. Built for i686 only.
#include "settings/SettingsFile.h"
#include "settingsdialog/VideoSourceList.h"
#include "support/CaptureDevices.h"
#include "support/ChildProcess.h"
#include "support/SnapInstall.h"
#include "support/TestFiles.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kGenerousMs = 30000;
const char kTemplate[] = "[Param]\r\nDelay=500\r\n";

bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// ---------------------------------------------------------------------------
// The camera library in a system folder

enum class SystemFolder { SysWow64, Native64 };

// The stand-in library put into one of the two system folders for the life of
// the object. The 64-bit one is reached with file-system redirection off: a
// 32-bit program's "System32" is SysWOW64.
class LibraryInSystemFolder {
public:
    explicit LibraryInSystemFolder(SystemFolder folder) : m_folder(folder) {
        m_path = Folder() + "\\KelvraTouch.dll";
        Remove(); // left behind by a test process that was killed
        m_placed = WithoutRedirection([&] {
            return CopyFileA(BuiltStandInLibrary().c_str(), m_path.c_str(), FALSE) != FALSE;
        });
    }
    ~LibraryInSystemFolder() { Remove(); }
    LibraryInSystemFolder(const LibraryInSystemFolder&) = delete;
    LibraryInSystemFolder& operator=(const LibraryInSystemFolder&) = delete;

    bool Placed() const { return m_placed; }
    const std::string& Path() const { return m_path; }

private:
    std::string Folder() const {
        char folder[MAX_PATH] = "";
        if (m_folder == SystemFolder::SysWow64)
            GetSystemWow64DirectoryA(folder, MAX_PATH);
        else
            GetSystemDirectoryA(folder, MAX_PATH); // with redirection off: the 64-bit one
        return folder;
    }

    template <typename Action> bool WithoutRedirection(Action action) const {
        if (m_folder == SystemFolder::SysWow64)
            return action();
        void* old = nullptr;
        if (!Wow64DisableWow64FsRedirection(&old))
            return false;
        const bool result = action();
        Wow64RevertWow64FsRedirection(old);
        return result;
    }

    void Remove() const {
        WithoutRedirection([&] { return DeleteFileA(m_path.c_str()) != FALSE; });
    }

    SystemFolder m_folder;
    std::string m_path;
    bool m_placed = false;
};

// The stand-in's control folder for the life of the object: Snap's calls are
// logged there, wherever the library itself lies.
class ControlFolder {
public:
    ControlFolder() { SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", m_folder.Path().c_str()); }
    ~ControlFolder() { SetEnvironmentVariableA("KELVRATOUCH_SIM_DIR", nullptr); }
    std::string Log() const { return m_folder / "KelvraTouchSim.log"; }

private:
    TempDir m_folder;
};

struct SystemFolderCase {
    const char* name;
    SystemFolder folder;
    bool found;
};
void PrintTo(const SystemFolderCase& folderCase, std::ostream* out) {
    *out << folderCase.name;
}

class CameraLibraryInSystemFolder : public ::testing::TestWithParam<SystemFolderCase> {};

TEST_P(CameraLibraryInSystemFolder, IsFoundOnlyInTheSystemFolderOf32BitPrograms) {
    ASSERT_TRUE(RunsUnderWow64()) << "these tests need a 32-bit build on 64-bit Windows";
    SnapInstall snap(CameraLibrary::None, kTemplate);
    TempDir workingFolder;
    ControlFolder control;
    LibraryInSystemFolder library(GetParam().folder);
    ASSERT_TRUE(library.Placed()) << library.Path();

    ChildProcess process(snap.ExePath(), workingFolder.Path());
    ASSERT_TRUE(process.Started());
    if (GetParam().found) {
        const HWND window = process.WaitForWindow("Snap", kGenerousMs);
        ASSERT_NE(nullptr, window)
            << "Snap ended: the library in " << library.Path() << " was not found";
        EXPECT_TRUE(WaitUntilFileExists(control.Log(), kGenerousMs))
            << "Snap did not call the library";
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(process.WaitForExit(kGenerousMs));
    } else {
        // A 64-bit library could not be loaded by a 32-bit program anyway:
        // Snap must not look there, and ends as without a library.
        DWORD exitCode = 1;
        ASSERT_TRUE(process.WaitForExit(kGenerousMs, &exitCode)) << "Snap kept running";
        EXPECT_EQ(0u, exitCode);
        EXPECT_FALSE(FileExists(control.Log())) << "Snap loaded " << library.Path();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wow64, CameraLibraryInSystemFolder,
    ::testing::Values(SystemFolderCase{"SysWow64", SystemFolder::SysWow64, true},
                      SystemFolderCase{"The64BitSystem32", SystemFolder::Native64, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Capture devices in the two registry views

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
        std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(text.data());
    }
    return items;
}

TEST(Wow64, TheVideoSourceListShowsTheCaptureDevicesOfThe32BitView) {
    ASSERT_TRUE(RunsUnderWow64()) << "these tests need a 32-bit build on 64-bit Windows";
    CaptureDevicesLock lock;
    ASSERT_TRUE(lock.Acquire()) << "the capture devices stayed taken";
    DeleteFileA(SettingsFilePath().c_str());
    // A 32-bit driver registers in the 32-bit view, which is the one a 32-bit
    // program enumerates; a device registered for 64-bit programs only is not
    // one Snap (or the vendor's 32-bit library) can open.
    FakeCaptureDevice seen(UniqueName("SnapWow64Test_"), L"USB 28 Camera (32-bit view)",
                           KEY_WOW64_32KEY);
    FakeCaptureDevice unseen(UniqueName("SnapWow64Test_"), L"USB 28 Camera (64-bit view)",
                             KEY_WOW64_64KEY);
    ASSERT_TRUE(seen.Registered());
    ASSERT_TRUE(unseen.Registered());

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HWND parent = CreateWindowExA(0, "STATIC", "Video source test", WS_POPUP, 0, 0, 320, 240,
                                        nullptr, nullptr, instance, nullptr);
    const HWND combo =
        CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                        10, 10, 250, 200, parent, nullptr, instance, nullptr);
    ASSERT_NE(nullptr, combo);
    FillVideoSourceList(combo);
    EXPECT_EQ(std::vector<std::string>{"USB 28 Camera (32-bit view)"}, ComboItems(combo));
    DestroyWindow(parent);
    CoUninitialize();
    DeleteFileA(SettingsFilePath().c_str());
}

} // namespace
