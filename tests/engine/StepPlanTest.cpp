// What a step's plan decides that only the platform could otherwise tell.
#include "engine/StepPlan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every system message Snap holds to be send-only is one the system refuses
// to post for that reason, and no other: a "Send Message" step with it is
// told as failing before any press, in the words the press would log.
TEST(StepPlan, TheSendOnlyMessagesAreThoseTheSystemRefusesToPost) {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    for (const WPARAM wParam : {WPARAM{0}, WPARAM{0x8000}}) {
        for (UINT message = 0; message < WM_USER; ++message) {
            SetLastError(0);
            const bool posted = PostMessageA(window, message, wParam, 0) != FALSE;
            const bool sendOnly = !posted && GetLastError() == ERROR_MESSAGE_SYNC_ONLY;
            EXPECT_EQ(sendOnly, IsSendOnlyMessage(message, wParam))
                << "message 0x" << std::hex << message << ", wParam 0x" << wParam;
        }
        // Nothing posted is handled: the window is a plain static one.
        MSG drained = {};
        while (PeekMessageA(&drained, window, 0, 0, PM_REMOVE)) {
        }
    }
    EXPECT_FALSE(IsSendOnlyMessage(WM_USER, 0));
    EXPECT_FALSE(IsSendOnlyMessage(0xC000, 0)); // registered messages carry what they like
    DestroyWindow(window);
}

// A window's program is out of reach when the system says it runs higher,
// and probably so when it will not say at all: a normal program cannot read
// the token of one run as administrator.
TEST(StepPlan, TheReachOfAWindowFollowsWhatTheSystemTellsOfItsProgram) {
    using L = IntegrityLevel;
    const struct {
        DWORD processId;
        L theirs;
        L ours;
        TargetReach reach;
    } rows[] = {
        {42, L::Medium, L::Medium, TargetReach::Reachable},
        {42, L::Low, L::Medium, TargetReach::Reachable},
        {42, L::High, L::Medium, TargetReach::HigherIntegrity},
        {42, L::System, L::High, TargetReach::HigherIntegrity},
        {42, L::Unknown, L::Medium, TargetReach::ProbablyHigherIntegrity},
        {42, L::Unknown, L::Low, TargetReach::ProbablyHigherIntegrity},
        // Snap run as administrator misses no token it could read.
        {42, L::Unknown, L::High, TargetReach::Reachable},
        // Nothing is known of either side: nothing is claimed.
        {42, L::Unknown, L::Unknown, TargetReach::Reachable},
        // A window that has closed has no program to judge.
        {0, L::Unknown, L::Medium, TargetReach::Reachable},
    };
    for (const auto& row : rows) {
        WindowOwner owner;
        owner.processId = row.processId;
        owner.integrity = row.theirs;
        EXPECT_EQ(row.reach, ReachOf(owner, row.ours))
            << IntegrityLevelName(row.theirs) << " seen from " << IntegrityLevelName(row.ours)
            << ", process " << row.processId;
    }
}

} // namespace
