// The window finder of the settings dialog, end to end: the real Snap.exe and
// the stand-in imaging application, the drag given as a person gives it.
#include "EndToEnd.h"

namespace {

std::string EditText(HWND edit) {
    char text[600] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// For the README: scripts/screenshots.sh names a folder, and the finder test
// photographs the screen at its interesting moments.
void Photograph(const char* name) {
    char folder[MAX_PATH] = "";
    if (GetEnvironmentVariableA("SNAP_SCREENSHOT_DIR", folder, MAX_PATH) == 0)
        return;
    RunLinuxProgram(std::string("/usr/bin/import -window root ") + folder + "/" + name + ".png");
}

class Finder : public EndToEnd {
protected:
    // Opens the settings of a Snap without any configured step.
    HWND OpenSettingsWithoutSteps() {
        Configuration configuration;
        configuration.steps = 0;
        configuration.stepByStep = true; // every press is a whole run of one step
        StartSnap(configuration);
        return OpenSettings();
    }
    static constexpr int kBesideTheFirstPress = 4; // out of the double-click rectangle

    HWND Control(int id) const { return GetDlgItem(m_imager->Window(), id); }
    // The "Capture" button of the inner tool panel, two panels down.
    HWND InnerPanelCapture() const { return GetDlgItem(GetDlgItem(Control(200), 210), 211); }

    // Another program's window as large as the screen, as the desktop's own
    // window is on a workstation: behind any window, it holds every point.
    std::unique_ptr<StandInImager> WindowAllAround() {
        auto window = std::make_unique<StandInImager>(m_elsewhere.Path(), UniqueName("All around "),
                                                      "/pos:0,0 /size:1272x990");
        EXPECT_NE(nullptr, window->Window());
        return window;
    }

    // OK, without registering the test's copy at Windows start-up; true once
    // the dialog is gone and Snap's window is back.
    bool ConfirmSettings(HWND settings) const {
        if (SendMessageA(GetDlgItem(settings, IDC_LAUNCH_AT_STARTUP), BM_GETCHECK, 0, 0))
            SendMessageA(GetDlgItem(settings, IDC_LAUNCH_AT_STARTUP), BM_CLICK, 0, 0);
        PostMessageA(settings, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return !IsWindow(settings); }) &&
               WaitUntil([&] { return IsWindowVisible(m_snapWindow) != FALSE; });
    }

    // Presses on the rings and starts moving, as a person starts a drag;
    // false when the dialog did not fold away. A press close in time and place
    // to the one before is a double click, which starts nothing: a second press
    // is given `offCentre` pixels away from the first.
    static bool StartFinderDrag(HWND settings, int offCentre = 0) {
        POINT rings = CentreOfWindow(GetDlgItem(settings, IDC_FINDER));
        rings.x += offCentre;
        rings.y += offCentre;
        MovePointerTo(rings);
        RunLinuxProgram("/usr/bin/xdotool mousedown 1");
        if (!WaitUntil([&] { return WindowHeight(settings) == 0; }))
            return false;
        // The first small move only tells the platform a drag has begun.
        MovePointerTo({rings.x + 12, rings.y + 12});
        return true;
    }

    // "Mouse click" chosen, a whole drag chooses a point of the canvas, then
    // a second drag frames the inner panel's "Capture" and goes on: the
    // button is still down. The first drag's release point comes back.
    void ChooseTheCanvasThenFrameCaptureInASecondDrag(HWND settings, POINT* release) {
        const int height = WindowHeight(settings);
        SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK + 8), BM_CLICK, 0, 0);
        const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
        RECT canvasRect = {};
        GetWindowRect(Control(500), &canvasRect);
        *release = {canvasRect.left + 100, canvasRect.top + 60};
        ASSERT_TRUE(StartFinderDrag(settings));
        MovePointerTo(*release);
        ASSERT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - "; })) << EditText(box);
        RunLinuxProgram("/usr/bin/xdotool mouseup 1");
        ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; }));

        ASSERT_TRUE(StartFinderDrag(settings, kBesideTheFirstPress));
        MovePointerTo(CentreOfWindow(InnerPanelCapture()));
        ASSERT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Capture"; }))
            << EditText(box);
    }

    struct Place {
        const char* where;
        POINT point; // screen
    };
    // With another program's window right behind the imaging application, a
    // drag over each place frames the application itself.
    void ExpectTheApplicationTakenAt(const std::vector<Place>& places) {
        const std::unique_ptr<StandInImager> behind = WindowAllAround();
        const HWND settings = OpenSettingsWithoutSteps();
        ASSERT_NE(nullptr, settings);
        const HWND top = m_imager->Window();
        const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
        const std::string capture = m_title + " - Capture";

        ASSERT_TRUE(StartFinderDrag(settings));
        // Right behind the imaging application, now that the drag has begun:
        // under Wine without a window manager, the window under the folded
        // dialog may come forward when it folds.
        ASSERT_TRUE(SetWindowPos(behind->Window(), top, 0, 0, 0, 0,
                                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
        ASSERT_EQ(behind->Window(), GetWindow(top, GW_HWNDNEXT));
        for (const Place& place : places) {
            SCOPED_TRACE(place.where);
            // What the platform itself finds there: Wine's windows managed by
            // a window manager that Xvfb lacks have no title bar of their own.
            // (No fatal failure while the button is down: it would stay down.)
            if (WindowFromPoint(place.point) != top) {
                ADD_FAILURE() << "the platform itself finds another window there";
                break;
            }
            // From a control, so that every place makes a new choice.
            MovePointerTo(CentreOfWindow(Control(101)));
            ASSERT_TRUE(WaitUntil([&] { return EditText(box) == capture; })) << EditText(box);
            MovePointerTo(place.point);
            ASSERT_TRUE(WaitUntil([&] {
                const std::string text = EditText(box);
                return text != capture && !text.empty();
            }));
            EXPECT_EQ(m_title + " - " + m_title, EditText(box));
        }
        EXPECT_EQ(behind->Window(), GetWindow(top, GW_HWNDNEXT)) << "the order changed";
        RunLinuxProgram("/usr/bin/xdotool mouseup 1");
        EXPECT_TRUE(CancelSettings(settings));
    }

    // A "Mouse click" step recorded through the finder on a point of the
    // canvas clicks that point as the application itself saw it when the
    // user let go, in its own units (±1 for the rounding between them), and
    // "/check" tells the lParam that is posted. After the user enlarged the
    // window, the point is scaled with it.
    void ExpectAMouseClickStepToClickTheReleasePointScaledToTheWindowsSize() {
        const HWND settings = OpenSettingsWithoutSteps();
        ASSERT_NE(nullptr, settings);
        const int height = WindowHeight(settings);
        SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK + 8), BM_CLICK, 0, 0); // "Mouse click"

        RECT canvasRect = {};
        GetWindowRect(Control(500), &canvasRect);
        const POINT physical = {100, 60}; // in the canvas, in the screen's pixels
        ASSERT_TRUE(StartFinderDrag(settings));
        MovePointerTo({canvasRect.left + physical.x, canvasRect.top + physical.y});
        const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
        ASSERT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - "; })) << EditText(box);
        RunLinuxProgram("/usr/bin/xdotool mouseup 1");
        const CursorView releasedInCanvas = m_imager->CursorAsItSeesIt(500);
        const CursorView releasedInWindow = m_imager->CursorAsItSeesIt(0);
        ASSERT_TRUE(releasedInCanvas.told && releasedInWindow.told);
        ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; }));
        ASSERT_TRUE(ConfirmSettings(settings));

        auto canvasDowns = [&] {
            std::vector<ImagerEvent> downs;
            for (const ImagerEvent& event : m_imager->Messages())
                if (event.receiver == "canvas:500" && event.Message() == WM_LBUTTONDOWN)
                    downs.push_back(event);
            return downs;
        };
        auto expectNear = [](POINT expected, const ImagerEvent& received) {
            const POINT point = PointOfLParam(received.LParam());
            EXPECT_NEAR(expected.x, point.x, 1) << received.lParam;
            EXPECT_NEAR(expected.y, point.y, 1) << received.lParam;
        };

        Press();
        ASSERT_TRUE(WaitUntil([&] { return canvasDowns().size() == 1; }));
        expectNear(releasedInCanvas.point, canvasDowns()[0]);
        const CheckRun check = Check();
        const std::string posted =
            "Would post: WM_LBUTTONDOWN (0x0201), wParam 0x00000000, lParam ";
        EXPECT_NE(std::string::npos, check.printed.find(posted + canvasDowns()[0].lParam))
            << check.printed;
        // And says so when the application reads other units than the screen's.
        const bool ownUnits =
            releasedInCanvas.point.x != physical.x || releasedInCanvas.point.y != physical.y;
        EXPECT_EQ(ownUnits,
                  check.printed.find("reads a click in its own units") != std::string::npos)
            << check.printed;

        // The user enlarges the window by a quarter, in the application's units.
        const SIZE before = releasedInWindow.client;
        const SIZE after = {before.cx * 5 / 4, before.cy * 5 / 4};
        PostMessageA(m_imager->Window(), 0x8100, 0, MAKELPARAM(after.cx, after.cy));
        ASSERT_TRUE(WaitUntil([&] {
            for (const ImagerEvent& event : m_imager->Events())
                if (event.event == "size" && event.wParam == std::to_string(after.cx) &&
                    event.lParam == std::to_string(after.cy))
                    return true;
            return false;
        }));
        // Where the canvas lies in the window now, as the application sees it:
        // the cursor seen from both at once.
        MovePointerTo(CentreOfWindow(Control(500)));
        const CursorView inWindow = m_imager->CursorAsItSeesIt(0);
        const CursorView inCanvas = m_imager->CursorAsItSeesIt(500);
        ASSERT_TRUE(inWindow.told && inCanvas.told);
        const POINT canvasOrigin = {inWindow.point.x - inCanvas.point.x,
                                    inWindow.point.y - inCanvas.point.y};
        Press();
        ASSERT_TRUE(WaitUntil([&] { return canvasDowns().size() == 2; }));
        expectNear({MulDiv(releasedInWindow.point.x, after.cx, before.cx) - canvasOrigin.x,
                    MulDiv(releasedInWindow.point.y, after.cy, before.cy) - canvasOrigin.y},
                   canvasDowns()[1]);
    }

    TempDir m_elsewhere; // the second stand-in's own log
};

TEST_F(Finder, APressOutsideTheRingsChangesNothing) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    RECT box = {};
    GetWindowRect(GetDlgItem(settings, IDC_TARGET_TEXT), &box);
    MovePointerTo({box.left - 40, box.top + 5}); // on the label, left of the box
    RunLinuxProgram("/usr/bin/xdotool mousedown 1");
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    // The press is handled once the dialog answers again.
    SendMessageA(settings, WM_NULL, 0, 0);
    EXPECT_EQ(height, WindowHeight(settings));
    EXPECT_EQ("", EditText(GetDlgItem(settings, IDC_TARGET_TEXT)));
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(Finder, ADragChoosesTheControlUnderTheCursorAndAPressThenClicksIt) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
    Photograph("settings");

    ASSERT_TRUE(StartFinderDrag(settings)) << "dialog not collapsed";

    // Over the group box, the button inside it is taken.
    MovePointerTo(CentreOfWindow(Control(104)));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Snapshot"; }))
        << EditText(box);
    // Where only the hidden control lies, the main window itself is taken.
    RECT hidden = {};
    GetWindowRect(Control(400), &hidden);
    MovePointerTo(CentreOf(hidden));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - " + m_title; }))
        << EditText(box);
    MovePointerTo(CentreOfWindow(Control(101)));
    EXPECT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Capture"; }))
        << EditText(box);
    Photograph("finder-drag");

    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; })) << "not restored";
    EXPECT_EQ(m_title + " - Capture", EditText(box));
    Photograph("finder-chosen");

    // "Button click" is step 0's kind already: OK stores the step.
    SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK), BM_CLICK, 0, 0);
    ASSERT_TRUE(ConfirmSettings(settings));
    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(1);
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ("main", received[0].receiver);
    EXPECT_EQ(0x0111u, received[0].Message());
    EXPECT_EQ(101u, received[0].WParam());
}

TEST_F(Finder, AMouseClickStepClicksTheReleasePointScaledToTheWindowsSize) {
    ExpectAMouseClickStepToClickTheReleasePointScaledToTheWindowsSize();
}

// The same with the application aware of the display's scale and not: at a
// scale other than 100 % an unaware program reads a click's coordinates in
// its own smaller units. Smaller than usual, so that at 150 % the enlarged
// window still fits the screen (the system keeps a window within it).
class FinderOverAnyApplication : public Finder, public ::testing::WithParamInterface<const char*> {
protected:
    std::string ImagerArguments() const override {
        return std::string(GetParam()) + " /size:640x480";
    }
};

TEST_P(FinderOverAnyApplication, AMouseClickStepClicksTheReleasePointScaledToTheWindowsSize) {
    ExpectAMouseClickStepToClickTheReleasePointScaledToTheWindowsSize();
}

INSTANTIATE_TEST_SUITE_P(StandIn, FinderOverAnyApplication,
                         ::testing::Values("/dpi:aware", "/dpi:unaware"), [](const auto& info) {
                             return std::string(info.param) == "/dpi:aware" ? "Aware" : "Unaware";
                         });

TEST_F(Finder, ADragThatLosesTheMouseEndsAndGivesTheDialogBack) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    ASSERT_TRUE(StartFinderDrag(settings));
    // What the platform sends when a system dialog or another program takes
    // over: the capture is released under the drag's feet.
    SendMessageA(settings, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; })) << "still collapsed";
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    SendMessageA(settings, WM_NULL, 0, 0);
    EXPECT_EQ(height, WindowHeight(settings));
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(Finder, AClickOnTheRingsWithoutMovingThenAnotherClickThereGivesTheDialogBack) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    RECT original = {};
    GetWindowRect(settings, &original);
    const POINT rings = CentreOfWindow(GetDlgItem(settings, IDC_FINDER));
    // Two clicks where the rings are, the second a little off the first so
    // that it is no double click: each folds the dialog with its press and,
    // released without a move, gives it back.
    for (const POINT press : {rings, POINT{rings.x + kBesideTheFirstPress, rings.y}}) {
        MovePointerTo(press);
        RunLinuxProgram("/usr/bin/xdotool mousedown 1");
        ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == 0; })) << "not folded";
        RunLinuxProgram("/usr/bin/xdotool mouseup 1");
        EXPECT_TRUE(WaitUntil([&] {
            return WindowHeight(settings) == original.bottom - original.top;
        })) << "still folded";
    }
    RECT now = {};
    GetWindowRect(settings, &now);
    EXPECT_TRUE(EqualRect(&original, &now));
    // And it still answers: Cancel closes it and Snap polls again.
    EXPECT_TRUE(CancelSettings(settings));
}

TEST_F(Finder, OverTheApplicationsOwnBackgroundTheApplicationIsTakenNotTheWindowBehindIt) {
    const HWND top = m_imager->Window();
    auto onScreen = [top](POINT point) {
        ClientToScreen(top, &point);
        return point;
    };
    RECT hidden = {};
    GetWindowRect(Control(400), &hidden);
    ExpectTheApplicationTakenAt({
        {"empty client area", onScreen({100, 200})},
        {"where only a hidden control lies", CentreOf(hidden)},
        {"status line", onScreen({400, 585})},
    });
}

TEST_F(Finder, OverTheApplicationsTitleBarTheApplicationIsTakenNotTheWindowBehindIt) {
    const HWND top = m_imager->Window();
    POINT clientOrigin = {0, 0};
    ClientToScreen(top, &clientOrigin);
    RECT frame = {};
    GetWindowRect(top, &frame);
    ExpectTheApplicationTakenAt(
        {{"title bar", {frame.left + 200, (frame.top + clientOrigin.y) / 2}}});
}

TEST_F(Finder, ALostMouseKeepsTheTargetAndClickPointFromBeforeTheDrag) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
    POINT release = {};
    ChooseTheCanvasThenFrameCaptureInASecondDrag(settings, &release);
    if (HasFatalFailure())
        return;
    // The second drag loses the mouse.
    SendMessageA(settings, WM_CANCELMODE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; }));
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    SendMessageA(settings, WM_NULL, 0, 0);
    EXPECT_EQ(m_title + " - ", EditText(box)); // the canvas again
    ASSERT_TRUE(ConfirmSettings(settings));

    // The stored step clicks the canvas where the whole drag ended.
    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(1);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ("canvas:500", received[0].receiver);
    EXPECT_EQ(static_cast<unsigned>(WM_LBUTTONDOWN), received[0].Message());
    POINT expected = release;
    ScreenToClient(Control(500), &expected);
    EXPECT_EQ(static_cast<unsigned long long>(MAKELPARAM(expected.x, expected.y)),
              received[0].LParam());
}

} // namespace

namespace {

TEST_F(Finder, OkPressedDuringADragStoresTheTargetAndClickPointFromBeforeIt) {
    // Enter reaches the default button while the mouse is held: the step
    // stored must not pair the window framed last with the earlier point.
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    POINT release = {};
    ChooseTheCanvasThenFrameCaptureInASecondDrag(settings, &release);
    if (HasFatalFailure())
        return;
    PostMessageA(settings, WM_COMMAND, IDOK, 0); // what Enter does in a dialog
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    // The button comes up over the application, which sees that release.
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    ASSERT_TRUE(WaitForPolls(1));
    const size_t before = m_imager->Messages().size();

    Press();
    const std::vector<ImagerEvent> received = m_imager->WaitForMessages(before + 1);
    ASSERT_GT(received.size(), before);
    EXPECT_EQ("canvas:500", received[before].receiver);
    EXPECT_EQ(static_cast<unsigned>(WM_LBUTTONDOWN), received[before].Message());
    POINT expected = release;
    ScreenToClient(Control(500), &expected);
    EXPECT_EQ(static_cast<unsigned long long>(MAKELPARAM(expected.x, expected.y)),
              received[before].LParam());
}

} // namespace

namespace {

// "Capture" of the inner panel chosen with the finder, then the imaging
// application updated: the step clicks "Capture" where it moved, and where
// it is gone or doubled it clicks nothing and says why.
TEST_F(Finder, AControlChosenWithTheFinderIsClickedAfterTheLayoutChangedOrNothingIs) {
    const HWND settings = OpenSettingsWithoutSteps();
    ASSERT_NE(nullptr, settings);
    const int height = WindowHeight(settings);
    const HWND box = GetDlgItem(settings, IDC_TARGET_TEXT);
    ASSERT_TRUE(StartFinderDrag(settings));
    MovePointerTo(CentreOfWindow(InnerPanelCapture()));
    ASSERT_TRUE(WaitUntil([&] { return EditText(box) == m_title + " - Capture"; }))
        << EditText(box);
    RunLinuxProgram("/usr/bin/xdotool mouseup 1");
    ASSERT_TRUE(WaitUntil([&] { return WindowHeight(settings) == height; }));
    SendMessageA(GetDlgItem(settings, IDC_FUNCTION_CLICK), BM_CLICK, 0, 0); // "Button click"
    ASSERT_TRUE(ConfirmSettings(settings));

    // "Delete" now stands where "Capture" stood.
    RestartImager("/layout:2");
    size_t before = m_imager->Messages().size();
    Press();
    const std::vector<ImagerEvent> moved = m_imager->WaitForMessages(before + 1);
    ASSERT_GT(moved.size(), before);
    EXPECT_EQ("panel:210", moved[before].receiver);
    EXPECT_EQ(static_cast<unsigned>(WM_COMMAND), moved[before].Message());
    EXPECT_EQ(211u, moved[before].WParam()); // "Capture", BN_CLICKED
    EXPECT_TRUE(WaitUntil([&] {
        return RunLog().find("found by its identity after the layout changed") != std::string::npos;
    })) << RunLog();

    const struct {
        const char* layout;
        const char* told;
    } changes[] = {
        {"/layout:3", "no control of that identity is in window"},
        {"/layout:4", "2 controls of that identity, which nothing tells apart"},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.layout);
        RestartImager(change.layout);
        before = m_imager->Messages().size();
        const size_t toldBefore = RunLog().size();
        Press();
        ASSERT_TRUE(WaitUntil([&] {
            return RunLog().find(change.told, toldBefore) != std::string::npos;
        })) << RunLog();
        EXPECT_NE(std::string::npos,
                  RunLog().find("NOT DONE: the control has changed: expected [Button] \"Capture\" "
                                "id 211, at its place now [Button] \"Delete\" id 214",
                                toldBefore))
            << RunLog();
        EXPECT_TRUE(ReceivedSince(before).empty()) << "the stand-in received a message";
    }

    // /check, on the application without "Capture", names the cause too.
    RestartImager("/layout:3");
    ChildProcess check(m_install->ExePath(), m_install->Folder(), "/check");
    DWORD exitCode = 0;
    ASSERT_TRUE(check.WaitForExit(kGenerousMs, &exitCode));
    EXPECT_EQ(1u, exitCode);
    const std::string report =
        ReadTextFile(m_install->SettingsFolder() + "\\" + m_install->Name() + "-check.txt");
    EXPECT_NE(std::string::npos, report.find("  Recorded control: [Button] \"Capture\" id 211"))
        << report;
    EXPECT_NE(std::string::npos,
              report.find("Action #01: the control has changed: expected [Button] \"Capture\" id "
                          "211"))
        << report;
}

} // namespace
