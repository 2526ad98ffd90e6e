// Carry-over from the older registry profile, against the Wine prefix's real
// registry. Each test uses an application name of its own.
#include "settings/LegacyMigration.h"
#include "settings/SettingsFile.h"
#include "support/ChildProcess.h"
#include "support/SnapInstall.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr const char* kVendorKey = "Kelvra - MorvaneGroup";

class LegacyMigration : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(SettingsFilePath().c_str()); }
    void TearDown() override {
        DeleteFileA(SettingsFilePath().c_str());
        DeleteProfile(m_profile.applicationName);
    }

    static std::string ProfileKey(const std::string& application, const char* section = nullptr) {
        std::string key = std::string("Software\\") + kVendorKey + "\\" + application;
        if (section)
            key += std::string("\\") + section;
        return key;
    }
    static void DeleteProfile(const std::string& application) {
        RegDeleteTreeA(HKEY_CURRENT_USER, ProfileKey(application).c_str());
    }
    static void PutValue(const std::string& application, const char* section, const char* name,
                         DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExA(HKEY_CURRENT_USER, ProfileKey(application, section).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    void PutString(const char* section, const char* name, const char* text) {
        PutValue(m_profile.applicationName, section, name, REG_SZ, text,
                 static_cast<DWORD>(strlen(text) + 1));
    }
    void PutDword(const char* section, const char* name, DWORD value) {
        PutValue(m_profile.applicationName, section, name, REG_DWORD, &value, sizeof value);
    }

    std::string Settings() { return ReadTextFile(SettingsFilePath()); }

    LegacyProfile m_profile{kVendorKey, UniqueName("LegacyApp")};
};

TEST_F(LegacyMigration, OnlyAVideoSourceInTheRegistryWritesAllKeysWithTheirDefaults) {
    PutString("Video", "Pilote", "USB 28 Camera");
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_EQ("USB 28 Camera", ReadSettingString("Video", "Pilote", ""));
    struct {
        const char* section;
        const char* key;
        int expected;
    } integers[] = {
        {"Param", "Delay", 350},      {"Param", "LittleIcon", 0},  {"Action", "BTLive", 0},
        {"Action", "Type", 0},        {"Action", "Message", 1024}, {"Action", "WParam", 0},
        {"Action", "LParam", 0},      {"Action", "Type1", -1},     {"Action", "Message1", 1024},
        {"Action", "WParam1", 0},     {"Action", "LParam1", 0},    {"Action", "Type2", -1},
        {"Action", "Message2", 1024}, {"Action", "WParam2", 0},    {"Action", "LParam2", 0},
    };
    for (const auto& entry : integers)
        EXPECT_EQ(entry.expected, ReadSettingInt(entry.section, entry.key, 12345)) << entry.key;
    for (const char* key :
         {"SoftPos", "Base", "Base1", "Base2", "Destination", "Destination1", "Destination2"})
        EXPECT_EQ("", ReadSettingString("Param", EncodedKeyName(key).c_str(), "absent")) << key;

    // Exactly the 23 keys: nothing else is carried over.
    int lines = 0;
    for (const char* section : {"Video", "Param", "Action"}) {
        const std::string entries = ReadSettingSection(section);
        for (char c : entries)
            lines += c == '\0';
    }
    EXPECT_EQ(23, lines);
    EXPECT_EQ(-1, ReadSettingInt("Action", "Type3", -1));
    EXPECT_EQ(-7, ReadSettingInt("Param", "NoBeep", -7));
}

TEST_F(LegacyMigration, RegistryValuesArriveUnderTheSameNames) {
    PutString("Video", "Pilote", "Kelvra HD");
    PutDword("Param", "Delay", 900);
    PutDword("Param", "LittleIcon", 1);
    PutDword("Action", "BTLive", 1);
    PutDword("Action", "Type2", 7);
    PutDword("Action", "WParam1", static_cast<DWORD>(-5));
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_EQ(900, ReadSettingInt("Param", "Delay", 0));
    EXPECT_EQ(1, ReadSettingInt("Param", "LittleIcon", 0));
    EXPECT_EQ(1, ReadSettingInt("Action", "BTLive", 0));
    EXPECT_EQ(7, ReadSettingInt("Action", "Type2", 0));
    EXPECT_EQ(-5, ReadSettingInt("Action", "WParam1", 0));
}

TEST_F(LegacyMigration, StoredTextKeysArriveEncodedWithTheDataCopiedByteForByte) {
    PutString("Video", "Pilote", "USB 28 Camera");
    // Data that is not even valid stored text is still copied unchanged.
    const char* samples[] = {"26022f092h", "4f014c", "ZZ not;encoded", "0928022f09", "x", "",
                             "4d"};
    const char* keys[] = {"SoftPos", "Base", "Base1", "Base2", "Destination", "Destination1",
                          "Destination2"};
    for (int i = 0; i < 7; ++i)
        PutString("Param", EncodedKeyName(keys[i]).c_str(), samples[i]);
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(samples[i], ReadSettingString("Param", EncodedKeyName(keys[i]).c_str(), "absent"))
            << keys[i];
}

struct OversizedCase {
    const char* name;
    DWORD type;
    std::string data;
};

class LegacyIntegerTooLarge : public LegacyMigration,
                              public ::testing::WithParamInterface<OversizedCase> {};

TEST_P(LegacyIntegerTooLarge, FallsBackToTheDefault) {
    PutString("Video", "Pilote", "USB 28 Camera");
    const std::string& data = GetParam().data;
    PutValue(m_profile.applicationName, "Action", "Message1", GetParam().type, data.data(),
             static_cast<DWORD>(data.size()));
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_EQ(1024, ReadSettingInt("Action", "Message1", 0));
}

INSTANTIATE_TEST_SUITE_P(
    Value, LegacyIntegerTooLarge,
    ::testing::Values(OversizedCase{"Qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
                      OversizedCase{"LongString", REG_SZ, std::string("123456789012\0", 13)},
                      OversizedCase{"FiveBytes", REG_BINARY, std::string("\x01\x00\x00\x00\x00", 5)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LegacyMigration, AStringValueIsReadUpToItsFirstNulWhateverItsType) {
    const char data[] = "USB 28 Camera\0trailing";
    PutValue(m_profile.applicationName, "Video", "Pilote", REG_BINARY, data, sizeof data);
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_EQ("USB 28 Camera", ReadSettingString("Video", "Pilote", ""));
}

TEST_F(LegacyMigration, NoMigrationWhenTheSettingsFileHasAVideoSource) {
    WriteSettingString("Video", "Pilote", "Kelvra HD");
    PutString("Video", "Pilote", "USB 28 Camera");
    PutDword("Param", "Delay", 900);
    EXPECT_FALSE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_EQ("[Video]\r\nPilote=Kelvra HD\r\n", ReadTextFile(SettingsFilePath()));
}

TEST_F(LegacyMigration, NoMigrationWhenTheRegistryHasNoVideoSource) {
    PutDword("Param", "Delay", 900); // a profile, but without "Pilote"
    EXPECT_FALSE(MigrateLegacySettingsIfDue(m_profile));
    PutString("Video", "Pilote", "");
    EXPECT_FALSE(MigrateLegacySettingsIfDue(m_profile));
    EXPECT_FALSE(FileExists(SettingsFilePath()));
}

TEST_F(LegacyMigration, TheRegistryIsOnlyRead) {
    PutString("Video", "Pilote", "USB 28 Camera");
    EXPECT_TRUE(MigrateLegacySettingsIfDue(m_profile));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER,
                                           ProfileKey(m_profile.applicationName, "Param").c_str(),
                                           0, KEY_READ, &key));
    DWORD values = 99;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(0u, values); // the section key was created on the way, empty
}

// The real program at start-up, renamed: it consults its own profile location.
TEST_F(LegacyMigration, ARenamedProgramMigratesItsOwnProfileAtStartUp) {
    SnapInstall snap(CameraLibrary::None); // ends by itself once the settings are prepared
    PutValue(snap.Name(), "Video", "Pilote", REG_SZ, "USB 28 Camera", 14);
    const DWORD delay = 777;
    PutValue(snap.Name(), "Param", "Delay", REG_DWORD, &delay, sizeof delay);
    PutValue(m_profile.applicationName, "Param", "Delay", REG_DWORD, &delay, sizeof delay);

    ChildProcess process(snap.ExePath(), snap.Folder());
    ASSERT_TRUE(process.WaitForExit(30000));
    DeleteProfile(snap.Name());
    const std::string path = snap.SettingsPath();
    char source[64] = "";
    GetPrivateProfileStringA("Video", "Pilote", "", source, sizeof source, path.c_str());
    EXPECT_STREQ("USB 28 Camera", source);
    EXPECT_EQ(777u, GetPrivateProfileIntA("Param", "Delay", 0, path.c_str()));
    EXPECT_EQ(static_cast<UINT>(-1), GetPrivateProfileIntA("Action", "Type1", 0, path.c_str()));
}

} // namespace
