// The window finder's drawing at the display scale of the Wine session: the
// rings in control 1036's place and the inverted frame around the window
// under the cursor keep their look (5 and 2 px at 100 %, scaled).
#include "common/DisplayScale.h"
#include "resources/resource.h"
#include "settingsdialog/DialogParamTapsync.h"
#include "support/MainWindowHarness.h"
#include "targeting/WindowPicking.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

using FinderAtScale = MainWindowTest;

TEST_F(FinderAtScale, TheRingsAreDrawnInTheTargetControlsPlaceAtTheirScaledInsets) {
    WriteSettings("[Param]\r\nBase=0;0;\t\r\n"); // broadcast: no warning about the target
    struct {
        UINT dpi = 0;
        RECT target = {};
        COLORREF outsideOuter = 0, outer = 0, between = 0, inner = 0;
    } seen;
    CDialogParamTapsync dialog(nullptr);
    WhileLoopsRun([&] {
        HWND settings = FindWindowA(nullptr, "Settings");
        if (!settings || !IsWindowVisible(settings))
            return false;
        RedrawWindow(settings, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        seen.dpi = DpiOfWindow(settings);
        GetWindowRect(GetDlgItem(settings, IDC_FINDER), &seen.target);
        MapWindowPoints(nullptr, settings, reinterpret_cast<POINT*>(&seen.target), 2);
        const int outer = ScaleToDpi(5, seen.dpi), inner = ScaleToDpi(2, seen.dpi);
        // Along the middle row, from the control's left edge inwards.
        const int y = (seen.target.top + seen.target.bottom) / 2;
        const int x = seen.target.left;
        HDC dc = GetDC(settings);
        seen.outsideOuter = GetPixel(dc, x + outer - 1, y);
        seen.outer = GetPixel(dc, x + outer, y);
        seen.between = GetPixel(dc, x + outer + 1, y);
        seen.inner = GetPixel(dc, x + outer + inner, y);
        ReleaseDC(settings, dc);
        PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    dialog.DoModal();

    ASSERT_NE(0u, seen.dpi);
    EXPECT_NE(kBlack, seen.outsideOuter);
    EXPECT_EQ(kBlack, seen.outer);
    EXPECT_NE(kBlack, seen.between);
    EXPECT_EQ(kBlack, seen.inner);
}

class ScreenFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "FramedAtScale";
        RegisterClassA(&windowClass);
        m_window = CreateWindowExA(WS_EX_TOPMOST, "FramedAtScale", "", WS_POPUP | WS_VISIBLE, 300,
                                   300, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(nullptr, m_window);
        UpdateWindow(m_window);
    }
    void TearDown() override { DestroyWindow(m_window); }

    HWND m_window = nullptr;
};

// Left of the window, along its middle row: where the frame's pen lies.
TEST_F(ScreenFrameTest, TheFrameAroundAWindowKeepsItsWidthAndDistanceAtTheScale) {
    const UINT dpi = DpiOfMonitorUnder(m_window);
    const int width = ScaleToDpi(5, dpi), outset = ScaleToDpi(2, dpi);
    RECT rect = {};
    GetWindowRect(m_window, &rect);
    const int y = (rect.top + rect.bottom) / 2;
    const int centre = rect.left - outset;
    const int xs[] = {centre, centre - (width / 2 - 1), centre - width / 2 - 2};

    HDC screen = GetDC(nullptr);
    COLORREF before[3], framed[3], after[3];
    for (int i = 0; i < 3; ++i)
        before[i] = GetPixel(screen, xs[i], y);
    CScreenFrame frame;
    frame.MoveTo(m_window);
    for (int i = 0; i < 3; ++i)
        framed[i] = GetPixel(screen, xs[i], y);
    frame.MoveTo(nullptr);
    for (int i = 0; i < 3; ++i)
        after[i] = GetPixel(screen, xs[i], y);
    ReleaseDC(nullptr, screen);

    // The pen inverts: the centre and the far edge of its width change, the
    // pixel beyond it does not; drawn again, everything is as before.
    EXPECT_EQ(before[0] ^ 0xFFFFFF, framed[0]);
    EXPECT_EQ(before[1] ^ 0xFFFFFF, framed[1]);
    EXPECT_EQ(before[2], framed[2]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(before[i], after[i]) << i;
}

} // namespace
