#include "settings/SettingsFile.h"
#include "settings/StoredText.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The test process's own settings file, emptied around every test.
class SettingsAccess : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(SettingsFilePath().c_str()); }
    void TearDown() override { DeleteFileA(SettingsFilePath().c_str()); }
    void WriteFile(const std::string& content) { WriteTextFile(SettingsFilePath(), content); }
    std::string FileText() { return ReadTextFile(SettingsFilePath()); }
};

struct IntCase {
    const char* stored; // nullptr: key missing
    int defaultValue;
    int expected;
};

class SettingsReadInt : public SettingsAccess, public ::testing::WithParamInterface<IntCase> {};

TEST_P(SettingsReadInt, ReadsSignedNumbersOrTheDefault) {
    if (GetParam().stored)
        WriteFile(std::string("[Param]\r\nDelay=") + GetParam().stored + "\r\n");
    EXPECT_EQ(GetParam().expected, ReadSettingInt(kSectionParam, "Delay", GetParam().defaultValue));
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsReadInt,
                         ::testing::Values(IntCase{nullptr, 350, 350}, IntCase{nullptr, -1, -1},
                                           IntCase{"42", 350, 42}, IntCase{"-1", 0, -1},
                                           IntCase{"1024", 0, 1024},
                                           IntCase{"-2147483648", 0, INT_MIN},
                                           IntCase{"2147483647", 0, INT_MAX}));

TEST_F(SettingsAccess, IntegersAreWrittenAsSignedDecimal) {
    WriteSettingInt(kSectionAction, "Type1", -1);
    WriteSettingInt(kSectionAction, "Message1", 1024);
    EXPECT_EQ("[Action]\r\nType1=-1\r\nMessage1=1024\r\n", FileText());
    EXPECT_EQ(-1, ReadSettingInt(kSectionAction, "Type1", 0));
}

TEST_F(SettingsAccess, SectionsAndKeysMatchWithoutRegardToCase) {
    WriteFile("[param]\r\nlittleicon=1\r\n");
    EXPECT_EQ(1, ReadSettingInt("Param", "LittleIcon", 0));
    WriteSettingInt("PARAM", "LITTLEICON", 0);
    EXPECT_EQ(0, ReadSettingInt("Param", "LittleIcon", 1));
}

TEST_F(SettingsAccess, StringsReadTheirDefaultWhenMissing) {
    EXPECT_EQ("", ReadSettingString(kSectionVideo, "Pilote", ""));
    EXPECT_EQ("none", ReadSettingString(kSectionVideo, "Pilote", "none"));
}

TEST_F(SettingsAccess, StringsRoundTripAndAreCutAt255Characters) {
    WriteSettingString(kSectionVideo, "Pilote", "USB 28 Camera");
    EXPECT_EQ("USB 28 Camera", ReadSettingString(kSectionVideo, "Pilote", ""));

    const std::string longText(300, 'x');
    WriteSettingString(kSectionAction, "ExtAppParam", longText.c_str());
    EXPECT_EQ(longText.substr(0, 255), ReadSettingString(kSectionAction, "ExtAppParam", ""));
}

TEST_F(SettingsAccess, StoredTextHidesKeyAndValueInTheFile) {
    WriteStoredText(kSectionParam, "SoftPos", "40;15");
    std::string key = "SoftPos", value = "40;15";
    EncodeStoredText(key);
    EncodeStoredText(value);
    EXPECT_EQ("[Param]\r\n" + key + "=" + value + "\r\n", FileText());
    EXPECT_EQ(key, EncodedKeyName("SoftPos"));
    EXPECT_EQ("40;15", ReadStoredText(kSectionParam, "SoftPos"));
}

TEST_F(SettingsAccess, StoredTextOfAnyLengthComesBackWhole) {
    for (size_t length : {127u, 128u, 200u, 600u, 3000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        WriteStoredText(kSectionParam, "Base3", text);
        EXPECT_EQ(text, ReadStoredText(kSectionParam, "Base3")) << "length " << length;
    }
}

TEST_F(SettingsAccess, MissingStoredTextIsEmpty) {
    EXPECT_EQ("", ReadStoredText(kSectionParam, "Destination"));
}

TEST_F(SettingsAccess, WholeSectionsOfAnyLengthRoundTrip) {
    std::string entries;
    for (int i = 0; i < 120; ++i)
        entries += "Key" + std::to_string(i) + "=" + std::string(40, 'a' + i % 26) + '\0';
    ASSERT_GT(entries.size(), 4096u);
    WriteSettingSection(kSectionAction, entries);
    EXPECT_EQ(entries, ReadSettingSection(kSectionAction));

    // Writing a section back replaces it whole: keys added since are gone.
    WriteSettingInt(kSectionAction, "Added", 1);
    WriteSettingSection(kSectionAction, entries);
    EXPECT_EQ(-7, ReadSettingInt(kSectionAction, "Added", -7));
    EXPECT_EQ(std::string(40, 'a'), ReadSettingString(kSectionAction, "Key0", ""));
}

TEST_F(SettingsAccess, RestoringAnUnchangedSectionLeavesEveryByte) {
    // What a write would put in the platform's own form.
    const std::string file = "[Action]\rType=3\rType=9\rno equals sign\r[Param]\rDelay=1\r";
    WriteFile(file);
    const std::string action = ReadSettingSection(kSectionAction);
    const std::string param = ReadSettingSection(kSectionParam);
    const std::string video = ReadSettingSection(kSectionVideo);
    RestoreSettingSection(kSectionAction, action);
    RestoreSettingSection(kSectionParam, param);
    RestoreSettingSection(kSectionVideo, video); // absent, and stays so
    EXPECT_EQ(file, FileText());
}

TEST_F(SettingsAccess, RestoringAChangedSectionPutsItBack) {
    WriteFile("[Action]\r\nType=3\r\n[Param]\r\nDelay=1\r\n");
    const std::string action = ReadSettingSection(kSectionAction);
    const std::string video = ReadSettingSection(kSectionVideo);
    WriteSettingInt(kSectionAction, "Type", 5);
    WriteSettingString(kSectionVideo, "Pilote", "Camera");
    RestoreSettingSection(kSectionAction, action);
    RestoreSettingSection(kSectionVideo, video);
    EXPECT_EQ(3, ReadSettingInt(kSectionAction, "Type", 0));
    // A section that was not there is gone again, header and all.
    EXPECT_EQ(std::string::npos, FileText().find("Video")) << FileText();
    EXPECT_EQ(1, ReadSettingInt(kSectionParam, "Delay", 0));
}

TEST_F(SettingsAccess, AMissingSectionReadsEmpty) { EXPECT_EQ("", ReadSettingSection(kSectionParam)); }

struct StepKeyCase {
    const char* base;
    int index;
    const char* key;
};

class StepKeys : public ::testing::TestWithParam<StepKeyCase> {};

TEST_P(StepKeys, CarryTheIndexFromStepOneOn) {
    EXPECT_EQ(GetParam().key, StepKey(GetParam().base, GetParam().index));
}

INSTANTIATE_TEST_SUITE_P(Steps, StepKeys,
                         ::testing::Values(StepKeyCase{"Type", 0, "Type"},
                                           StepKeyCase{"Type", 1, "Type1"},
                                           StepKeyCase{"Message", 9, "Message9"},
                                           StepKeyCase{"Destination", 2, "Destination2"}));

} // namespace
