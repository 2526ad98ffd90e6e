// OK in "Settings" while the camera is unplugged, end to end: the chosen
// camera and the steps survive it and the start after it, even where an older
// version's registry profile would be carried over into an empty choice.
#include "EndToEnd.h"

#include "support/CaptureDevices.h"

namespace {

constexpr const char* kVendorKey = "Kelvra - MorvaneGroup";

// The registry profile of an older version under the copy's name, removed at
// the end. Its carry-over would replace the steps and the camera.
class LegacyProfile {
public:
    explicit LegacyProfile(const std::string& application)
        : m_key(std::string("Software\\") + kVendorKey + "\\" + application) {
        const char camera[] = "USB 28 Old Camera";
        m_made = RegSetKeyValueA(HKEY_CURRENT_USER, (m_key + "\\Video").c_str(), "Pilote", REG_SZ,
                                 camera, sizeof camera) == ERROR_SUCCESS;
    }
    ~LegacyProfile() { RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str()); }
    LegacyProfile(const LegacyProfile&) = delete;
    LegacyProfile& operator=(const LegacyProfile&) = delete;

    bool Made() const { return m_made; }

private:
    std::string m_key;
    bool m_made = false;
};

class UnpluggedCamera : public EndToEnd {
protected:
    std::string Setting(const char* section, const char* key) const {
        char value[256] = "";
        GetPrivateProfileStringA(section, key, "absent", value, sizeof value,
                                 m_install->SettingsPath().c_str());
        return value;
    }
};

TEST_F(UnpluggedCamera, OkKeepsTheCameraAndTheNextStartCarriesNothingOver) {
    CaptureDevicesLock devices; // held: no test connects a camera meanwhile
    ASSERT_TRUE(devices.Acquire()) << "the capture devices stayed taken";
    ASSERT_EQ(0u, CaptureDeviceCount()) << "capture devices of someone else are registered";
    StartSnap(Configuration{}); // "Pilote" is "USB 28 Camera"
    LegacyProfile legacy(m_install->Name());
    ASSERT_TRUE(legacy.Made());

    // The user changes the delay and presses OK.
    const HWND settings = OpenSettings();
    ASSERT_NE(nullptr, settings);
    SetDlgItemTextA(settings, IDC_DELAY, "420");
    PostMessageA(settings, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); })) << "OK did not close Settings";
    ASSERT_EQ("420", Setting("Param", "Delay"));
    EXPECT_EQ("USB 28 Camera", Setting("Video", "Pilote"));

    // The next start.
    PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
    ASSERT_TRUE(m_snap->WaitForExit(kGenerousMs));
    ASSERT_NO_FATAL_FAILURE(LaunchSnap());
    EXPECT_EQ("USB 28 Camera", Setting("Video", "Pilote"));
    EXPECT_EQ("420", Setting("Param", "Delay"));
    // The steps are still the user's: a press reaches the application, and
    // the library is asked about the user's camera.
    Press();
    EXPECT_EQ(std::vector<int>{0}, StepsReceived(1));
    EXPECT_EQ("USB 28 Camera", CameraCalls().back().source);
}

} // namespace
