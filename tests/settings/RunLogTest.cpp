// The run log's file: where it lives, its lines, its bound and the switch.
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RunLog : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(SettingsFilePath().c_str());
        DeleteFileA(LogFilePath().c_str());
        DeleteFileA((LogFilePath() + ".1").c_str());
    }
    void TearDown() override { SetUp(); }
    TempDir m_dir;
};

TEST_F(RunLog, LivesBesideTheSettingsFileNamedAfterTheExecutable) {
    const std::string settings = SettingsFilePath();
    const std::string expected =
        settings.substr(0, settings.size() - std::string(".INI").size()) + ".log";
    EXPECT_EQ(expected, LogFilePath());
}

TEST_F(RunLog, EachLineStartsWithTheLocalTimeToTheMillisecond) {
    WriteLogLine("first event");
    WriteLogLine("second event");
    const std::string log = ReadTextFile(LogFilePath());
    const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  (first|second) event\r\n)");
    const std::sregex_iterator lines(log.begin(), log.end(), line);
    EXPECT_EQ(2, std::distance(lines, std::sregex_iterator())) << log;

    SYSTEMTIME time = {2026, 12, 4, 10, 9, 5, 7, 42};
    EXPECT_EQ("2026-12-10 09:05:07.042", LogTimestamp(time));
}

TEST_F(RunLog, LogZeroInParamTurnsItOffAndAnythingElseOn) {
    const struct {
        const char* settings;
        bool written;
    } cases[] = {{"", true},
                 {"[Param]\r\nLog=1\r\n", true},
                 {"[Param]\r\nLog=0\r\n", false},
                 {"[Param]\r\nLog=2\r\n", true}};
    for (const auto& c : cases) {
        WriteTextFile(SettingsFilePath(), c.settings);
        DeleteFileA(LogFilePath().c_str());
        WriteLogLine("an event");
        EXPECT_EQ(c.written, Exists(LogFilePath())) << c.settings;
    }
}

TEST_F(RunLog, PastTheBoundTheFileBecomesTheOneOldFile) {
    const std::string path = m_dir / "Snap.log";
    ASSERT_TRUE(AppendLogLine(path, "0123456789", 30)); // 12 bytes
    ASSERT_TRUE(AppendLogLine(path, "abcdefghij", 30)); // 24
    ASSERT_TRUE(AppendLogLine(path, "ABCDEFGHIJ", 30)); // 36: reached after it
    EXPECT_FALSE(Exists(path + ".1"));
    ASSERT_TRUE(AppendLogLine(path, "after the first turn", 30));
    EXPECT_EQ("0123456789\r\nabcdefghij\r\nABCDEFGHIJ\r\n", ReadTextFile(path + ".1"));
    EXPECT_EQ("after the first turn\r\n", ReadTextFile(path));

    ASSERT_TRUE(AppendLogLine(path, "then more", 30));
    ASSERT_TRUE(AppendLogLine(path, "after the second turn", 30));
    // One old file only: the second turn replaces the first.
    EXPECT_EQ("after the first turn\r\nthen more\r\n", ReadTextFile(path + ".1"));
    EXPECT_EQ("after the second turn\r\n", ReadTextFile(path));
    EXPECT_FALSE(Exists(path + ".2"));
}

TEST_F(RunLog, TheProgramsLogTurnsAtOneMegabyte) {
    WriteTextFile(LogFilePath(), std::string(kLogRotateBytes - 1, 'x'));
    WriteLogLine("still the first file");
    EXPECT_FALSE(Exists(LogFilePath() + ".1"));
    WriteLogLine("the first line of the new file");
    ASSERT_TRUE(Exists(LogFilePath() + ".1"));
    EXPECT_NE(std::string::npos,
              ReadTextFile(LogFilePath()).find("the first line of the new file"));
    EXPECT_EQ(std::string::npos, ReadTextFile(LogFilePath()).find("still the first file"));
}

TEST_F(RunLog, AFileHeldByAnotherProgramLosesTheLineAndNothingElse) {
    const std::string path = m_dir / "Snap.log";
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(AppendLogLine(path, "lost", kLogRotateBytes));
    CloseHandle(held);
    EXPECT_TRUE(AppendLogLine(path, "kept", kLogRotateBytes));
    EXPECT_EQ("kept\r\n", ReadTextFile(path));
}

TEST_F(RunLog, AnOldFileHeldOpenKeepsTheLogGrowingInsteadOfLosingLines) {
    const std::string path = m_dir / "Snap.log";
    WriteTextFile(path + ".1", "old");
    HANDLE held = CreateFileA((path + ".1").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(AppendLogLine(path, "0123456789", 10));
    EXPECT_TRUE(AppendLogLine(path, "more", 10));
    CloseHandle(held);
    EXPECT_EQ("0123456789\r\nmore\r\n", ReadTextFile(path));
}

} // namespace
