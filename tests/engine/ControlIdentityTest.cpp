// A step recorded with its control's identity, performed after the imaging
// application changed its layout: the recorded control wherever it moved,
// or nothing.
#include "engine/ActionExecution.h"
#include "engine/ActionStep.h"
#include "engine/StepReport.h"
#include "settings/SettingsFile.h"
#include "support/MainWindowHarness.h"
#include "support/WindowTree.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr int kCapture = 211;
constexpr int kLive = 212;
constexpr int kDelete = 214;

// One control of the panel: its name for the table, id, text and place.
struct Button {
    const char* name;
    int id;
    const char* text;
    int y;
};

// The imaging application of the table: a panel P (the first child of the
// top-level window, at (50, 40)) holding buttons 100 x 30 at x = 10.
struct Application {
    explicit Application(const std::vector<Button>& buttons) {
        for (const Button& b : buttons) {
            const HWND button = tree.Add(panel, 10, b.y, 100, 30, true, b.id);
            SetWindowTextA(button, b.text);
            named[b.name] = button;
        }
        named["P"] = panel;
    }
    std::string NameOf(HWND window) const {
        for (const auto& entry : named)
            if (entry.second == window)
                return entry.first;
        return "?";
    }
    WindowTree tree{800, 600, "Imaging Station"};
    HWND panel = tree.Add(tree.Top(), 50, 40, 400, 300);
    std::map<std::string, HWND> named;
};

// The recorded layout: "Capture" first in the panel, at (60, 50)-(160, 80)
// of the top-level window; the path leads to its centre.
const std::vector<Button> kRecorded = {{"Capture", kCapture, "Capture", 10},
                                       {"Live", kLive, "Live", 50}};
// A button inserted before "Capture" takes its place; "Capture" moved down.
const std::vector<Button> kMoved = {{"Delete", kDelete, "Delete", 10},
                                    {"Live", kLive, "Live", 50},
                                    {"Capture", kCapture, "Capture", 130}};
const std::vector<Button> kWithoutCapture = {{"Delete", kDelete, "Delete", 10},
                                             {"Live", kLive, "Live", 50}};
const std::vector<Button> kCaptureTwice = {{"Delete", kDelete, "Delete", 10},
                                           {"Capture", kCapture, "Capture", 130},
                                           {"Capture again", kCapture, "Capture", 170}};
// The id is shared; the text tells the two apart.
const std::vector<Button> kSharedId = {{"Delete", kDelete, "Delete", 10},
                                       {"Capture 2", kCapture, "Capture 2", 130},
                                       {"Capture", kCapture, "Capture", 170}};
// Controls without ids, which an identity without text cannot tell apart.
const std::vector<Button> kUnnamed = {
    {"Delete", kDelete, "Delete", 10}, {"Unnamed", 0, "", 130}, {"Unnamed too", 0, "", 170}};

// A button without an id whose caption toggles ("Live"/"Freeze"): it reads
// "Freeze" now and stands where the path leads.
const std::vector<Button> kToggledCaption = {{"Toggle", 0, "Freeze", 10},
                                             {"Live", kLive, "Live", 50}};

constexpr const char* kPathToCapture = "1;110;65";

ControlIdentity Identity(int id, const char* text) {
    ControlIdentity identity;
    identity.className = "SnapTestChild";
    identity.id = id;
    identity.text = text;
    identity.offsetX = 50; // the centre of the 100 x 30 button
    identity.offsetY = 15;
    return identity;
}

struct LayoutCase {
    const char* name;
    const std::vector<Button>* layout;
    bool recorded; // the step holds the identity of "Capture"
    ControlIdentity identity;
    int type;
    const char* receiver; // the window that got the step, by name; "" none
    WPARAM wParam;        // for a button click: the id that was clicked
    const char* logged;   // the start of the log's words
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class ChangedLayout : public MainWindowTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ChangedLayout, TheRecordedControlIsClickedWhereverItIsOrNothing) {
    const LayoutCase& c = GetParam();
    Application app(*c.layout);
    ActionStep step;
    step.type = c.type;
    step.windowDescription = "800;600;SnapTestTop\t";
    step.targetPath = kPathToCapture;
    if (c.recorded)
        step.control = c.identity;
    ReceivedMessages().clear();
    const StepOutcome outcome = PerformAction(step, 0);
    DeliverPostedMessages();

    const std::vector<ReceivedMessage>& received = ReceivedMessages();
    EXPECT_EQ(0u, OutcomeInWords(outcome, step).rfind(c.logged, 0))
        << OutcomeInWords(outcome, step);
    if (std::string(c.receiver).empty()) {
        EXPECT_TRUE(received.empty());
        EXPECT_EQ(FailureCause::ControlChanged, CauseOf(outcome));
        return;
    }
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(c.receiver, app.NameOf(received[0].window));
    if (c.type == static_cast<int>(ActionType::MouseClick))
        EXPECT_EQ(MAKELPARAM(50, 15), received[0].lParam); // its point in the control
    else
        EXPECT_EQ(c.wParam, received[0].wParam);
}

const ControlIdentity kCaptureIdentity = Identity(kCapture, "Capture");

INSTANTIATE_TEST_SUITE_P(
    Layouts, ChangedLayout,
    ::testing::Values(
        LayoutCase{"AsRecorded", &kRecorded, true, kCaptureIdentity, 0, "P", kCapture, "done: "},
        LayoutCase{"Moved", &kMoved, true, kCaptureIdentity, 0, "P", kCapture, "done: "},
        LayoutCase{"MovedMouseClick", &kMoved, true, kCaptureIdentity, 8, "Capture", 0, "done: "},
        LayoutCase{"Missing", &kWithoutCapture, true, kCaptureIdentity, 0, "", 0,
                   "NOT DONE: the control has changed: expected [SnapTestChild] \"Capture\" id "
                   "211, at its place now [SnapTestChild] \"Delete\" id 214; no control of that "
                   "identity is in window [SnapTestTop] \"Imaging Station\""},
        LayoutCase{"Twice", &kCaptureTwice, true, kCaptureIdentity, 0, "", 0,
                   "NOT DONE: the control has changed: expected [SnapTestChild] \"Capture\" id "
                   "211, at its place now [SnapTestChild] \"Delete\" id 214; 2 controls of that "
                   "identity"},
        LayoutCase{"SharedIdTheTextDecides", &kSharedId, true, kCaptureIdentity, 8, "Capture", 0,
                   "done: "},
        LayoutCase{"WithoutIdentityAsRecorded", &kRecorded, false, {}, 0, "P", kCapture, "done: "},
        LayoutCase{"WithoutIdentityThePathDecides", &kMoved, false, {}, 0, "P", kDelete, "done: "},
        LayoutCase{"NoIdNoTextThePathDecides", &kUnnamed, true, Identity(0, ""), 0, "P", kDelete,
                   "done: "},
        // The text only tells controls apart: a caption that toggled at the
        // control's own place is still that control.
        LayoutCase{"NoIdCaptionToggledAtItsPlace", &kToggledCaption, true, Identity(0, "Live"), 0,
                   "P", 0, "done: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, TheIdentityIsStoredBesideTheStepAndReadBack) {
    ActionStep step;
    step.type = 0;
    step.windowDescription = "800;600;SnapTestTop\t";
    step.targetPath = kPathToCapture;
    step.control = Identity(kCapture, "Capture");
    WriteActionStep(3, step);
    const ActionStep read = ReadActionStep(3, StepKeys::InUse);
    EXPECT_EQ("SnapTestChild", read.control.className);
    EXPECT_EQ(kCapture, read.control.id);
    EXPECT_EQ("Capture", read.control.text);
    EXPECT_EQ(50, read.control.offsetX);
    EXPECT_EQ(15, read.control.offsetY);
    // Under the step's own key, in stored text, as "Base3" and "Destination3".
    EXPECT_NE("", ReadStoredText(kSectionParam, "Control3"));
    EXPECT_EQ("", ReadStoredText(kSectionParam, "Control"));

    // A step written without one holds none: nothing stale stays behind.
    step.control = ControlIdentity();
    WriteActionStep(3, step);
    EXPECT_FALSE(ReadActionStep(3).control.IsKnown());
}

TEST_F(MainWindowTest, ALongTextIsCutSoThatTheIdentityComesBackWhole) {
    ActionStep step;
    step.type = 0;
    step.control = Identity(kCapture, "");
    step.control.text = std::string(200, 'x');
    WriteActionStep(0, step);
    const ControlIdentity read = ReadActionStep(0).control;
    EXPECT_EQ("SnapTestChild", read.className);
    EXPECT_EQ(kCapture, read.id);
    EXPECT_EQ(0u, step.control.text.rfind(read.text, 0));
    EXPECT_FALSE(read.text.empty());
}

} // namespace
