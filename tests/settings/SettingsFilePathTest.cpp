#include "settings/SettingsFile.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// An executable folder and a local application data folder of the test's own.
class SettingsFilePreparation : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA(ExeFolder().c_str(), nullptr);
        CreateDirectoryA(LocalFolder().c_str(), nullptr);
    }
    std::string ExeFolder() const { return m_root / "Program"; }
    std::string LocalFolder() const { return m_root / "Local"; }
    std::string ExePath() const { return ExeFolder() + "\\Snap.exe"; }
    std::string TemplatePath() const { return ExeFolder() + "\\Snap.INI"; }
    std::string UserPath() const { return LocalFolder() + "\\Snap\\Snap.INI"; }

    TempDir m_root;
};

TEST_F(SettingsFilePreparation, FirstUseMakesTheFolderAndCopiesTheTemplate) {
    WriteTextFile(TemplatePath(), "[Video]\r\nPilote=USB 28 camera\r\n");
    EXPECT_EQ(UserPath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_EQ("[Video]\r\nPilote=USB 28 camera\r\n", ReadTextFile(UserPath()));
}

TEST_F(SettingsFilePreparation, AnExistingUserFileIsNeverOverwritten) {
    CreateDirectoryA((LocalFolder() + "\\Snap").c_str(), nullptr);
    WriteTextFile(UserPath(), "[Param]\r\nDelay=900\r\n");
    WriteTextFile(TemplatePath(), "[Param]\r\nDelay=350\r\n"); // newer than the user's file
    EXPECT_EQ(UserPath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_EQ("[Param]\r\nDelay=900\r\n", ReadTextFile(UserPath()));
}

TEST_F(SettingsFilePreparation, TheCopyOfAReadOnlyTemplateIsWritable) {
    // Copying keeps the attribute; the settings file must take writes.
    WriteTextFile(TemplatePath(), "[Param]\r\nDelay=350\r\n");
    ASSERT_TRUE(SetFileAttributesA(TemplatePath().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(UserPath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_EQ(0u, GetFileAttributesA(UserPath().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("[Param]\r\nDelay=350\r\n", ReadTextFile(UserPath()));
    EXPECT_NE(0u, GetFileAttributesA(TemplatePath().c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(SettingsFilePreparation, AUserFileMadeReadOnlyOnPurposeStaysSo) {
    // Only the copy of a read-only template is made writable: a file the
    // user or an administrator locked keeps its attribute.
    CreateDirectoryA((LocalFolder() + "\\Snap").c_str(), nullptr);
    WriteTextFile(UserPath(), "[Param]\r\nDelay=900\r\n");
    ASSERT_TRUE(SetFileAttributesA(UserPath().c_str(), FILE_ATTRIBUTE_READONLY));
    WriteTextFile(TemplatePath(), "[Param]\r\nDelay=350\r\n");
    ASSERT_TRUE(SetFileAttributesA(TemplatePath().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(UserPath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_NE(0u, GetFileAttributesA(UserPath().c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("[Param]\r\nDelay=900\r\n", ReadTextFile(UserPath()));
}

TEST_F(SettingsFilePreparation, WithoutATemplateTheUserPathIsUsedAndNoFileMade) {
    EXPECT_EQ(UserPath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_TRUE(FileExists(LocalFolder() + "\\Snap"));
    EXPECT_FALSE(FileExists(UserPath()));
}

TEST_F(SettingsFilePreparation, WithoutLocalAppDataTheTemplateIsTheSettingsFile) {
    WriteTextFile(TemplatePath(), "[Param]\r\n");
    EXPECT_EQ(TemplatePath(), PrepareSettingsFile(ExePath(), ""));
}

TEST_F(SettingsFilePreparation, WhenTheFolderCannotBeMadeTheTemplateIsUsed) {
    WriteTextFile(TemplatePath(), "[Param]\r\nDelay=350\r\n");
    WriteTextFile(LocalFolder() + "\\Snap", "a file where the folder goes");
    EXPECT_EQ(TemplatePath(), PrepareSettingsFile(ExePath(), LocalFolder()));
    EXPECT_EQ("a file where the folder goes", ReadTextFile(LocalFolder() + "\\Snap"));
}

TEST_F(SettingsFilePreparation, AFailedCopyKeepsThePerUserPath) {
    // The template held open without sharing, as a scanner might: the copy
    // fails. Writing into the install folder would lose the settings at the
    // next upgrade, so the per-user file stays the settings file.
    WriteTextFile(TemplatePath(), "[Param]\r\nDelay=350\r\n");
    HANDLE locked = CreateFileA(TemplatePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    const std::string path = PrepareSettingsFile(ExePath(), LocalFolder());
    CloseHandle(locked);
    EXPECT_EQ(UserPath(), path);
    EXPECT_FALSE(FileExists(UserPath()));
    EXPECT_EQ("[Param]\r\nDelay=350\r\n", ReadTextFile(TemplatePath()));
}

TEST_F(SettingsFilePreparation, TheExecutablesNameNamesFolderAndFile) {
    const std::string exe = ExeFolder() + "\\CameraDesk.exe";
    EXPECT_EQ(LocalFolder() + "\\CameraDesk\\CameraDesk.INI",
              PrepareSettingsFile(exe, LocalFolder()));
}

TEST_F(SettingsFilePreparation, AProgramDeeperThanMaxPathKeepsItsWholeName) {
    // The folders need not exist: only the names are taken from the path.
    std::string deepFolder = "C:\\Clinic";
    while (deepFolder.size() < 300)
        deepFolder += "\\Imaging workstation tools";
    const std::string exe = deepFolder + "\\CameraDesk.exe";
    ASSERT_GT(exe.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(LocalFolder() + "\\CameraDesk\\CameraDesk.INI",
              PrepareSettingsFile(exe, LocalFolder()));
    EXPECT_EQ(deepFolder + "\\CameraDesk.INI", PrepareSettingsFile(exe, ""));
}

// The decision of which file Snap uses makes nothing, and is what start-up
// then prepares: "Snap.exe /check" reads the file a start would use.
TEST_F(SettingsFilePreparation, TheDecisionMakesNothingAndIsWhatPreparationUses) {
    enum Situation { Fresh, UserFile, NoTemplate, NoLocalAppData, FileInTheWay, NoParent };
    const struct {
        Situation situation;
        SettingsChoice choice;
        bool userPath; // else the template
    } rows[] = {
        {Fresh, SettingsChoice::Seeded, true},
        {UserFile, SettingsChoice::UserFile, true},
        {NoTemplate, SettingsChoice::NoTemplate, true},
        {NoLocalAppData, SettingsChoice::NoLocalAppData, false},
        {FileInTheWay, SettingsChoice::FolderBlocked, false},
        // The local application data folder is gone: nothing can be made in it.
        {NoParent, SettingsChoice::FolderBlocked, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        TempDir root;
        const std::string exeFolder = root / "Program";
        std::string local = root / "Local";
        CreateDirectoryA(exeFolder.c_str(), nullptr);
        CreateDirectoryA(local.c_str(), nullptr);
        const std::string exe = exeFolder + "\\Snap.exe";
        const std::string templatePath = exeFolder + "\\Snap.INI";
        const std::string userFolder = local + "\\Snap";
        const std::string userPath = userFolder + "\\Snap.INI";
        if (row.situation != NoTemplate)
            WriteTextFile(templatePath, "[Param]\r\nDelay=350\r\n");
        if (row.situation == UserFile) {
            CreateDirectoryA(userFolder.c_str(), nullptr);
            WriteTextFile(userPath, "[Param]\r\nDelay=900\r\n");
        }
        if (row.situation == FileInTheWay)
            WriteTextFile(userFolder, "a file where the folder goes");
        if (row.situation == NoLocalAppData)
            local.clear();
        if (row.situation == NoParent)
            local = root / "Gone";

        const bool folderBefore = FileExists(userFolder);
        const SettingsFileDecision decision = DecideSettingsFile(LocateSettingsFile(exe, local));
        EXPECT_EQ(row.choice, decision.choice);
        EXPECT_EQ(row.userPath ? (local + "\\Snap\\Snap.INI") : templatePath, decision.path);
        EXPECT_EQ(folderBefore, FileExists(userFolder)) << "the decision made the folder";
        if (row.situation != UserFile) {
            EXPECT_FALSE(FileExists(userPath)) << "the decision copied the template";
        }

        EXPECT_EQ(decision.path, PrepareSettingsFile(exe, local));
    }
}

TEST(SettingsFilePath, ThisProcessUsesItsPerUserFile) {
    const std::string& path = SettingsFilePath();
    EXPECT_EQ(LocalAppDataFolder() + "\\settings_tests\\settings_tests.INI", path);
    EXPECT_TRUE(FileExists(LocalAppDataFolder() + "\\settings_tests"));
    EXPECT_EQ(&path, &SettingsFilePath()); // computed once, kept for the process
}

} // namespace
