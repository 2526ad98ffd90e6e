// A step recorded with the imaging application at one display scale and
// performed with it at another clicks the same control: the stored point is
// scaled by the ratio of the client sizes, which holds because Snap, being
// per-monitor aware, reads both sizes in physical pixels; and the click
// arrives in the application's own units, which for an unaware application
// at a scale other than 100 % are not physical pixels.
//
// The stand-in runs aware or unaware (its /dpi switch). Within one Wine
// session the scale cannot change, so the change is what Snap sees of it: the
// application's client area, in physical pixels, grows or shrinks by the
// ratio of the scales (an aware program resizes itself on WM_DPICHANGED;
// Windows stretches an unaware one).
#include "common/DisplayScale.h"
#include "engine/ActionExecution.h"
#include "support/EventLogs.h"
#include "support/PointerInput.h"
#include "support/TestFiles.h"
#include "targeting/TargetPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr UINT kImagerResize = WM_APP + 0x100;
constexpr int kCaptureId = 101;

SIZE ClientOf(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

// The stand-in resizes itself on a posted message and lays its controls out
// again: wait until its record's last "size" line tells the size asked for.
bool ResizeAndWait(const StandInImager& imager, SIZE size) {
    PostMessageA(imager.Window(), kImagerResize, 0, MAKELPARAM(size.cx, size.cy));
    auto laidOut = [size](const std::vector<ImagerEvent>& events) {
        for (auto event = events.rbegin(); event != events.rend(); ++event)
            if (event->event == "size")
                return event->wParam == std::to_string(size.cx) &&
                       event->lParam == std::to_string(size.cy);
        return false;
    };
    return laidOut(WaitForRecords<ImagerEvent>(
        imager.LogPath(), [&imager] { return imager.Events(); }, laidOut, 10000));
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

struct ScaleChange {
    const char* name;
    const char* awareness; // the stand-in's /dpi
    int fromPercent, toPercent;
};

class ClickPointAcrossScales : public ::testing::TestWithParam<ScaleChange> {
protected:
    TempDir m_folder;
};

TEST_P(ClickPointAcrossScales, StillLandsOnTheRecordedControl) {
    const ScaleChange change = GetParam();
    const std::string title = std::string("Imaging Station ") + change.name;
    StandInImager imager(m_folder.Path(), title,
                         std::string("/size:400x300 /pos:40,40 /dpi:") + change.awareness);
    const HWND top = imager.Window();
    ASSERT_NE(nullptr, top);

    // Snap sees the client area in physical pixels: 400 x 300 at 100 %,
    // grown to the display's scale whatever the awareness (an aware program
    // grows it itself; for an unaware one the system maps its coordinates, as
    // Wine 8 does too). The program's own view, in its record's first "size"
    // line, is the grown size only when it is aware.
    const bool aware = std::string(change.awareness) == "aware";
    const SIZE started = ClientOf(top);
    EXPECT_EQ(ScaleToDpi(400, ScreenDpi()), started.cx);
    EXPECT_EQ(ScaleToDpi(300, ScreenDpi()), started.cy);
    std::string ownWidth;
    for (const ImagerEvent& event : imager.Events())
        if (event.event == "size" && ownWidth.empty())
            ownWidth = event.wParam;
    EXPECT_EQ(std::to_string(aware ? ScaleToDpi(400, ScreenDpi()) : 400), ownWidth);

    // Recorded at the first scale: the application's client area there (its
    // 400 x 300 at 100 %, in its own units), and the release point at the
    // centre of its "Capture" button, where the application sees it.
    ASSERT_TRUE(ResizeAndWait(
        imager, {MulDiv(400, change.fromPercent, 100), MulDiv(300, change.fromPercent, 100)}));
    HWND capture = GetDlgItem(top, kCaptureId);
    RECT button = {};
    GetWindowRect(capture, &button);
    const POINT releasePoint = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    MovePointerTo(releasePoint);
    const CursorView released = imager.CursorAsItSeesIt(0);
    ASSERT_TRUE(released.told);
    ActionStep step;
    step.type = static_cast<int>(ActionType::MouseClick);
    step.windowDescription = DescribeWindow(top, true); // by its title: no other stand-in
    step.targetPath = DescribeTargetPath(top, capture, &releasePoint);

    // Performed at the second scale: the click lands on the button, at the
    // recorded point scaled with the window, as the application reads it.
    ASSERT_TRUE(ResizeAndWait(
        imager, {MulDiv(400, change.toPercent, 100), MulDiv(300, change.toPercent, 100)}));
    const StepOutcome outcome = PerformAction(step, 0);
    EXPECT_EQ(StepResult::Performed, outcome.result);
    EXPECT_EQ(capture, outcome.target);
    auto isPress = [](const ImagerEvent& event) {
        return event.IsMessage() && event.Message() == WM_LBUTTONDOWN;
    };
    const std::vector<ImagerEvent> events = WaitForRecords<ImagerEvent>(
        imager.LogPath(), [&imager] { return imager.Events(); },
        [&](const std::vector<ImagerEvent>& events) {
            return std::any_of(events.begin(), events.end(), isPress);
        });
    const auto down = std::find_if(events.begin(), events.end(), isPress);
    ASSERT_NE(events.end(), down) << "no click arrived";
    EXPECT_EQ("button:101", down->receiver);
    const POINT clicked = PointOfLParam(down->LParam());

    // The button's place in the window now, in the application's units: the
    // cursor seen from both at once.
    GetWindowRect(capture, &button);
    MovePointerTo({button.left + 1, button.top + 1});
    const CursorView inWindow = imager.CursorAsItSeesIt(0);
    const CursorView inButton = imager.CursorAsItSeesIt(kCaptureId);
    ASSERT_TRUE(inWindow.told && inButton.told);
    const POINT buttonOrigin = {inWindow.point.x - inButton.point.x,
                                inWindow.point.y - inButton.point.y};
    EXPECT_NEAR(MulDiv(released.point.x, inWindow.client.cx, released.client.cx) - buttonOrigin.x,
                clicked.x, 1);
    EXPECT_NEAR(MulDiv(released.point.y, inWindow.client.cy, released.client.cy) - buttonOrigin.y,
                clicked.y, 1);
    // Near its centre, not just inside: the point moved with the button.
    EXPECT_NEAR(inButton.client.cx / 2, clicked.x, 2) << "of " << inButton.client.cx;
    EXPECT_NEAR(inButton.client.cy / 2, clicked.y, 2) << "of " << inButton.client.cy;
}

INSTANTIATE_TEST_SUITE_P(StandIn, ClickPointAcrossScales,
                         ::testing::Values(ScaleChange{"AwareFrom100To150", "aware", 100, 150},
                                           ScaleChange{"AwareFrom150To100", "aware", 150, 100},
                                           ScaleChange{"AwareFrom125To200", "aware", 125, 200},
                                           ScaleChange{"UnawareFrom100To150", "unaware", 100, 150},
                                           ScaleChange{"UnawareFrom200To125", "unaware", 200, 125}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
