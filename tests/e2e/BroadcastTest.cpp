// A step aimed at "Broadcast" goes to every program but Snap, end to end: a
// broadcast of one of Snap's own commands reaches the imaging application and
// leaves Snap as it was.
#include "EndToEnd.h"

#include "support/WineDesktop.h"
#include "targeting/TargetRecords.h"

namespace {

constexpr unsigned kMarker = WM_USER + 0x7E; // posted by the test, after the press

// One step, "Send WM_COMMAND" with `command` to all windows; each press is a
// whole run.
std::string BroadcastCommandIni(unsigned command) {
    return "[Param]\r\nDelay=350\r\nStepByStep=1\r\n" + StoredTextEntry("SoftPos", "1150;900") +
           StoredTextEntry("Base", kBroadcastDescription) +
           "[Action]\r\nType=2\r\nWParam=" + std::to_string(command) +
           "\r\nLParam=0\r\n[Video]\r\nPilote=USB 28 Camera\r\n";
}

struct OwnCommand {
    const char* name;
    unsigned command;
};
void PrintTo(const OwnCommand& c, std::ostream* out) {
    *out << c.name;
}

class ABroadcastOfSnapsOwnCommand : public EndToEnd,
                                    public ::testing::WithParamInterface<OwnCommand> {
protected:
    void TearDown() override {
        EndToEnd::TearDown(); // Snap has ended: all it posted is queued
        CloseStartMenuOpenedByABroadcast();
    }

    // How often the stand-in's main window received WM_COMMAND `command`.
    size_t CommandsReceived(unsigned command) const {
        size_t count = 0;
        for (const ImagerEvent& event : m_imager->Messages())
            count += event.receiver == "main" && event.Message() == WM_COMMAND &&
                     event.WParam() == command;
        return count;
    }
};

TEST_P(ABroadcastOfSnapsOwnCommand, ReachesTheApplicationAndLeavesSnapAsItWas) {
    const unsigned command = GetParam().command;
    StartSnapWith(BroadcastCommandIni(command));
    Press();
    ASSERT_TRUE(WaitUntil([&] { return CommandsReceived(command) >= 1; }))
        << "the stand-in did not receive the command";

    // What Snap was posted comes before its next timer: once it has polled
    // again, it has handled the broadcast (an open "Settings" or an end
    // would stop the polling).
    EXPECT_TRUE(WaitForPolls(3)) << "Snap stopped polling";
    EXPECT_TRUE(m_snap->Running()) << "Snap ended";
    EXPECT_EQ(nullptr, m_snap->WaitForWindow("Settings", 0)) << "Settings opened";
    // No second run: anything a run posts is in the stand-in's queue before
    // a message the test posts now.
    ASSERT_TRUE(PostMessageA(m_imager->Window(), kMarker, 0, 0));
    ASSERT_TRUE(WaitForReceived(kMarker, 1));
    EXPECT_EQ(1u, CommandsReceived(command)) << "another run followed";
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, ABroadcastOfSnapsOwnCommand,
                         ::testing::Values(OwnCommand{"TraySetup", ID_TRAY_SETUP},
                                           OwnCommand{"TrayClose", ID_TRAY_CLOSE},
                                           OwnCommand{"Ok", IDOK}, OwnCommand{"Cancel", IDCANCEL},
                                           OwnCommand{"TraySnap", ID_TRAY_SNAP}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
