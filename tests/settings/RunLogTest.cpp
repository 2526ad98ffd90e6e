// The run log's file: where it lives, its lines, its bound and the switch.
#include "settings/RunLog.h"
#include "settings/SettingsFile.h"
#include "support/ChildProcess.h"
#include "support/SnapInstall.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

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

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct HeldFileCase {
    const char* name;
    const char* held; // the file another program holds open: the log or its old file
    DWORD sharing;    // what that program lets others do with it meanwhile
};

class RunLogThatCannotTurn : public ::testing::TestWithParam<HeldFileCase> {};

TEST_P(RunLogThatCannotTurn, StopsAtTwiceTheBoundSaysSoOnceAndTurnsOnceItCan) {
    TempDir dir;
    const std::string path = dir / "Snap.log";
    constexpr ULONGLONG kBound = 100;
    WriteTextFile(path + ".1", "old");
    const std::string heldPath = path + GetParam().held;
    WriteTextFile(heldPath, ReadTextFile(heldPath));
    HANDLE held = CreateFileA(heldPath.c_str(), GENERIC_READ, GetParam().sharing, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string kept;
    for (int i = 0; i < 100; ++i) {
        const std::string line = "line " + std::to_string(1000 + i); // 11 bytes with CR LF
        if (AppendLogLine(path, line, kBound))
            kept += line + "\r\n";
    }
    CloseHandle(held);
    const std::string log = ReadTextFile(path);
    // Every line it kept is there, in order, and no more than twice the bound
    // of them; one line after them tells why the rest are missing.
    ASSERT_EQ(kept, log.substr(0, kept.size()));
    EXPECT_LE(kept.size(), 2 * kBound);
    EXPECT_GT(kept.size() + 11, 2 * kBound) << "it stopped before the cap";
    const std::string note = log.substr(kept.size());
    EXPECT_EQ(1u, Occurrences(note, "\r\n")) << note;
    EXPECT_NE(std::string::npos, note.find("cannot be turned")) << note;
    EXPECT_EQ("old", ReadTextFile(path + ".1").substr(0, 3));

    // Once nothing holds them, the next line turns the log.
    ASSERT_TRUE(AppendLogLine(path, "after the release", kBound));
    EXPECT_EQ("after the release\r\n", ReadTextFile(path));
    EXPECT_EQ(log, ReadTextFile(path + ".1"));
}

// A long line that no longer fits stops the log; a short one after it, which
// would fit, does not follow the note.
TEST(RunLogThatCannotTurnAtAll, StaysStoppedOnceItHasSaidSo) {
    TempDir dir;
    const std::string path = dir / "Snap.log";
    constexpr ULONGLONG kBound = 400;
    WriteTextFile(path + ".1", "old");
    HANDLE held = CreateFileA((path + ".1").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(AppendLogLine(path, std::string(500, 'a'), kBound));  // past the bound
    EXPECT_FALSE(AppendLogLine(path, std::string(298, 'b'), kBound)); // past the cap
    const std::string stopped = ReadTextFile(path);
    EXPECT_FALSE(AppendLogLine(path, "short", kBound));
    EXPECT_FALSE(AppendLogLine(path, std::string(298, 'c'), kBound));
    CloseHandle(held);
    const std::string log = ReadTextFile(path);
    EXPECT_EQ(stopped, log);
    EXPECT_EQ(1u, Occurrences(log, "the log stops here")) << log;
    EXPECT_EQ(std::string::npos, log.find("short")) << log;
}

INSTANTIATE_TEST_SUITE_P(Held, RunLogThatCannotTurn,
                         ::testing::Values(HeldFileCase{"OldFileByAViewer", ".1", FILE_SHARE_READ},
                                           HeldFileCase{"LogByAViewerThatLetsItBeWritten", "",
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunLogBetweenCopies, ACopyHangingWithTheLockCostsTheTurnNotTheLine) {
    TempDir dir;
    const std::string path = dir / "Snap.log";
    WriteTextFile(path, "0123456789abcdefghij\r\n"); // past the bound of 20 below
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A lock is its holder thread's: another thread holds it for the hung copy.
    std::thread hung([&] {
        HANDLE lock = CreateMutexA(nullptr, TRUE, LogLockName(path).c_str());
        SetEvent(taken);
        WaitForSingleObject(release, INFINITE);
        ReleaseMutex(lock);
        CloseHandle(lock);
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 30000));
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        written = AppendLogLine(path, "while it hangs", 20);
        SetEvent(done);
    });
    const bool returned = WaitForSingleObject(done, 30000) == WAIT_OBJECT_0;
    SetEvent(release);
    writer.join();
    hung.join();
    for (HANDLE event : {taken, release, done})
        CloseHandle(event);
    ASSERT_TRUE(returned) << "the writer waited for the hung copy";
    EXPECT_TRUE(written);
    EXPECT_EQ("0123456789abcdefghij\r\nwhile it hangs\r\n", ReadTextFile(path));
    EXPECT_FALSE(Exists(path + ".1"));
}

// The lines of a log file, without their line ends.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(RunLogBetweenCopies, CopiesTurningTheLogAtOnceLoseNoLineWrittenBeforeTheTurn) {
    // Each round, three programs write their lines together; the bound is
    // reached two thirds of the way through, while all of them write, so the
    // log turns exactly once and every line must be in the log or its old
    // file. Several rounds, as two copies meet at the turn only now and then.
    constexpr int kWriters = 3, kLines = 300, kRounds = 6;
    constexpr ULONGLONG kLineBytes = 10; // "w1 00042" and CR LF
    constexpr ULONGLONG kBound = kWriters * kLines * kLineBytes * 2 / 3;
    TempDir dir;
    for (int round = 0; round < kRounds; ++round) {
        const std::string path = dir / ("round" + std::to_string(round) + ".log");
        const std::string start = UniqueName("SnapLogWriters");
        HANDLE startEvent = CreateEventA(nullptr, TRUE, FALSE, start.c_str());
        HANDLE ready = CreateSemaphoreA(nullptr, 0, kWriters, (start + ".ready").c_str());
        ASSERT_TRUE(startEvent && ready);
        std::vector<std::unique_ptr<ChildProcess>> writers;
        std::set<std::string> expected;
        for (int w = 0; w < kWriters; ++w) {
            const std::string tag = "w" + std::to_string(w);
            writers.push_back(std::make_unique<ChildProcess>(
                BuiltLogWriter(), "",
                "\"" + path + "\" " + tag + " " + std::to_string(kLines) + " " +
                    std::to_string(kBound) + " " + start));
            ASSERT_TRUE(writers.back()->Started());
            for (int i = 0; i < kLines; ++i) {
                char line[16];
                std::snprintf(line, sizeof line, "%s %05d", tag.c_str(), i);
                expected.insert(line);
            }
        }
        for (int w = 0; w < kWriters; ++w)
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 30000)) << "a writer never started";
        SetEvent(startEvent);
        for (auto& writer : writers) {
            DWORD exitCode = 99;
            ASSERT_TRUE(writer->WaitForExit(60000, &exitCode));
            EXPECT_EQ(0u, exitCode) << "a writer could not write a line";
        }
        CloseHandle(ready);
        CloseHandle(startEvent);

        const std::string old = ReadTextFile(path + ".1");
        EXPECT_GE(old.size(), kBound) << "round " << round << ": the old file was replaced";
        std::multiset<std::string> found;
        for (const std::string& file : {old, ReadTextFile(path)})
            for (const std::string& line : LinesOf(file))
                found.insert(line);
        size_t lost = 0;
        for (const std::string& line : expected)
            lost += found.count(line) == 0;
        EXPECT_EQ(0u, lost) << "round " << round << ": lines lost at the turn";
        EXPECT_EQ(expected.size(), found.size()) << "round " << round;
    }
}

} // namespace
