// Settings files with and without the recorded control's identity, pressed
// against each version of the stand-in imaging application's window tree.
#include "EndToEnd.h"

namespace {

// The inner panel's "Capture" 211 as the first layout has it: panel 200 is
// the 4th child of the window, panel 210 the 3rd child of 200, and the
// button's centre lies at (380, 55) of the window's client area.
constexpr const char* kPathToCapture = "4;3;380;55";
constexpr const char* kCaptureIdentity = "211;50;15;Button\tCapture";

struct LayoutRow {
    const char* name;
    const char* layout;
    bool withIdentity;
    int clicked; // the id the panel was told was clicked; 0: nothing posted
};

class ChangedApplication : public EndToEnd {};

TEST_F(ChangedApplication, AFileWithoutTheIdentityBehavesAsBeforeAndOneWithItFollowsTheControl) {
    const LayoutRow rows[] = {
        {"without identity, first layout", "/layout:1", false, 211},
        {"without identity, Delete at Capture's place", "/layout:2", false, 214},
        {"without identity, no Capture", "/layout:3", false, 214},
        {"with identity, first layout", "/layout:1", true, 211},
        {"with identity, Capture moved", "/layout:2", true, 211},
        {"with identity, no Capture", "/layout:3", true, 0},
        {"with identity, Capture twice", "/layout:4", true, 0},
    };
    for (const LayoutRow& row : rows) {
        SCOPED_TRACE(row.name);
        RestartImager(row.layout);
        std::string param = "[Param]\r\nDelay=350\r\nStepByStep=1\r\n" +
                            StoredTextEntry("SoftPos", "1150;900") +
                            StoredTextEntry("Base", "800;600;KelvraImagerStandIn\t" + m_title) +
                            StoredTextEntry("Destination", kPathToCapture);
        if (row.withIdentity)
            param += StoredTextEntry("Control", kCaptureIdentity);
        StartSnapWith(param + "[Action]\r\nType=0\r\n[Video]\r\nPilote=USB 28 Camera\r\n");
        const size_t before = m_imager->Messages().size();
        Press();
        ASSERT_TRUE(WaitUntil([&] { return RunLog().find("step 1 (") != std::string::npos; }))
            << RunLog();
        const std::vector<ImagerEvent> received = ReceivedSince(before);
        if (row.clicked == 0) {
            EXPECT_TRUE(received.empty()) << received.front().receiver;
            EXPECT_NE(std::string::npos, RunLog().find("NOT DONE: the control has changed"))
                << RunLog();
        } else {
            ASSERT_EQ(1u, received.size());
            EXPECT_EQ("panel:210", received[0].receiver);
            EXPECT_EQ(static_cast<unsigned>(WM_COMMAND), received[0].Message());
            EXPECT_EQ(static_cast<unsigned long long>(row.clicked), received[0].WParam());
        }
        PostMessageA(m_snapWindow, WM_COMMAND, ID_TRAY_CLOSE, 0);
        ASSERT_TRUE(m_snap->WaitForExit(kGenerousMs));
        m_snapWindow = nullptr;
    }
}

} // namespace
