// Libraries of the system come from the system folder alone. This executable
// runs from a folder of its own, beside two planted libraries that leave a
// marker when loaded (tests/fixtures/planted): "shcore.dll", and
// "snapplanted.dll", a name that no system folder holds. It imports nothing
// that would load a shcore before a test begins.
#include "common/DisplayScale.h"
#include "common/Handles.h"
#include "common/SystemLibrary.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

std::string LowerFolderOf(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of('\\') == std::string::npos ? 0 : folder.find_last_of('\\'));
    for (char& c : folder)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folder;
}

class PlantedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_marker = std::string(temp) + "snap-planted-" + std::to_string(GetCurrentProcessId());
        DeleteFileA(m_marker.c_str());
        SetEnvironmentVariableA("PLANTED_LIBRARY_MARKER", m_marker.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("PLANTED_LIBRARY_MARKER", nullptr);
        DeleteFileA(m_marker.c_str());
    }

    bool PlantedCodeRan() const {
        return GetFileAttributesA(m_marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    static std::string ProgramFolder() { return LowerFolderOf(nullptr); }

private:
    std::string m_marker;
};

// Guards the rest: nothing loaded a shcore before the tests, and a plant lies
// where a search by bare name looks, leaving its marker when loaded.
TEST_F(PlantedLibrary, LiesWhereASearchByBareNameLooks) {
    EXPECT_EQ(nullptr, GetModuleHandleA("shcore.dll"));
    UniqueModule planted(LoadLibraryA("snapplanted.dll"));
    ASSERT_TRUE(planted);
    EXPECT_EQ(ProgramFolder(), LowerFolderOf(planted.get()));
    EXPECT_TRUE(PlantedCodeRan());
}

TEST_F(PlantedLibrary, IsNotLoadedUnderANameTheSystemFolderLacks) {
    UniqueModule module(LoadSystemLibrary("snapplanted.dll"));
    EXPECT_FALSE(module);
    EXPECT_FALSE(PlantedCodeRan());
}

TEST_F(PlantedLibrary, IsNotLoadedInsteadOfTheSystemsShcore) {
    UniqueModule shcore(LoadSystemLibrary("shcore.dll"));
    ASSERT_TRUE(shcore);
    EXPECT_NE(ProgramFolder(), LowerFolderOf(shcore.get()));
    EXPECT_NE(nullptr, GetProcAddress(shcore.get(), "GetDpiForMonitor"));
    EXPECT_FALSE(PlantedCodeRan());
}

// What the program itself does when it asks a monitor's scale.
TEST_F(PlantedLibrary, IsNotLoadedWhenTheProgramAsksAMonitorsScale) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    const UINT dpi = DpiOfMonitorUnder(window);
    DestroyWindow(window);
    EXPECT_FALSE(PlantedCodeRan());
    EXPECT_NE(1u, dpi); // the planted export's answer
}

} // namespace
