// Who owns a window and at which integrity level it runs, asked of the system
// for windows of this process and of another one.
#include "support/EventLogs.h"
#include "support/WindowTree.h"
#include "targeting/WindowOwner.h"

#include <gtest/gtest.h>

namespace {

std::string OwnExecutable() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

TEST(WindowOwner, OfAWindowOfThisProcessIsThisProcessAtItsOwnLevel) {
    WindowTree tree(200, 100);
    const HWND child = tree.Add(tree.Top(), 10, 10, 50, 20);
    for (HWND window : {tree.Top(), child}) {
        const WindowOwner owner = OwnerOfWindow(window);
        EXPECT_EQ(GetCurrentProcessId(), owner.processId);
        EXPECT_EQ(0, lstrcmpiA(OwnExecutable().c_str(), owner.imagePath.c_str()))
            << owner.imagePath;
        EXPECT_EQ(OwnIntegrityLevel(), owner.integrity);
    }
}

TEST(WindowOwner, OfAnotherProgramsWindowNamesThatProgram) {
    TempDir folder;
    StandInImager imager(folder.Path(), UniqueName("Owner Station "));
    ASSERT_NE(nullptr, imager.Window());
    DWORD processId = 0;
    GetWindowThreadProcessId(imager.Window(), &processId);

    const WindowOwner owner = OwnerOfWindow(imager.Window());
    EXPECT_EQ(processId, owner.processId);
    EXPECT_NE(GetCurrentProcessId(), owner.processId);
    EXPECT_TRUE(EndsWith(owner.imagePath, "\\StandInImager.exe")) << owner.imagePath;
    // Started the same way as this test: the same level, and so within reach.
    EXPECT_EQ(OwnIntegrityLevel(), owner.integrity);
    EXPECT_FALSE(IsHigherIntegrity(owner.integrity, OwnIntegrityLevel()));
    // Asked of the system alone: the program received nothing.
    EXPECT_TRUE(imager.Messages().empty());
}

TEST(WindowOwner, OfAWindowThatIsGoneIsNobody) {
    HWND gone = nullptr;
    {
        WindowTree tree(200, 100);
        gone = tree.Top();
    }
    for (HWND window : {gone, static_cast<HWND>(nullptr)}) {
        const WindowOwner owner = OwnerOfWindow(window);
        EXPECT_EQ(0u, owner.processId);
        EXPECT_EQ("", owner.imagePath);
        EXPECT_EQ(IntegrityLevel::Unknown, owner.integrity);
    }
}

TEST(WindowOwner, ThisProcessHasAKnownLevel) {
    EXPECT_NE(IntegrityLevel::Unknown, OwnIntegrityLevel());
    EXPECT_EQ(OwnIntegrityLevel(), IntegrityOfProcess(GetCurrentProcess()));
}

TEST(WindowOwner, AProcessWhoseTokenCannotBeReadIsOfUnknownLevel) {
    // On Windows a process of medium integrity is denied the token of an
    // elevated one. Wine grants every access, so a handle that leads to no
    // token at all stands in for that here.
    HANDLE notAProcess = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, notAProcess);
    EXPECT_EQ(IntegrityLevel::Unknown, IntegrityOfProcess(notAProcess));
    CloseHandle(notAProcess);
    EXPECT_EQ(IntegrityLevel::Unknown, IntegrityOfProcess(nullptr));
}

TEST(IntegrityLevels, FollowTheMandatoryLabelsRid) {
    const struct {
        DWORD rid;
        IntegrityLevel level;
    } cases[] = {{SECURITY_MANDATORY_UNTRUSTED_RID, IntegrityLevel::Low},
                 {SECURITY_MANDATORY_LOW_RID, IntegrityLevel::Low},
                 {SECURITY_MANDATORY_MEDIUM_RID, IntegrityLevel::Medium},
                 {SECURITY_MANDATORY_MEDIUM_RID + 0x100, IntegrityLevel::Medium}, // medium plus
                 {SECURITY_MANDATORY_HIGH_RID, IntegrityLevel::High},
                 {SECURITY_MANDATORY_SYSTEM_RID, IntegrityLevel::System},
                 {SECURITY_MANDATORY_PROTECTED_PROCESS_RID, IntegrityLevel::System}};
    for (const auto& c : cases)
        EXPECT_EQ(c.level, IntegrityFromRid(c.rid)) << std::hex << c.rid;
}

TEST(IntegrityLevels, HaveNamesInWords) {
    EXPECT_STREQ("low", IntegrityLevelName(IntegrityLevel::Low));
    EXPECT_STREQ("medium", IntegrityLevelName(IntegrityLevel::Medium));
    EXPECT_STREQ("high", IntegrityLevelName(IntegrityLevel::High));
    EXPECT_STREQ("system", IntegrityLevelName(IntegrityLevel::System));
    EXPECT_STREQ("unknown", IntegrityLevelName(IntegrityLevel::Unknown));
}

TEST(IntegrityLevels, OnlyAKnownHigherLevelIsOutOfReach) {
    using L = IntegrityLevel;
    const struct {
        L theirs, ours;
        bool higher;
    } cases[] = {{L::High, L::Medium, true},     {L::System, L::High, true},
                 {L::Medium, L::Low, true},      {L::Medium, L::Medium, false},
                 {L::Medium, L::High, false},    {L::High, L::High, false},
                 {L::Unknown, L::Medium, false}, {L::High, L::Unknown, false},
                 {L::Unknown, L::Unknown, false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.higher, IsHigherIntegrity(c.theirs, c.ours))
            << IntegrityLevelName(c.theirs) << " over " << IntegrityLevelName(c.ours);
}

} // namespace
