// The floating button window at the display scale of the Wine session it runs
// in. This executable runs in the 96-DPI prefix and again in one at 144 DPI
// (tests/CMakeLists.txt), so each test holds at either scale.
#include "support/MainWindowHarness.h"
#include "common/DisplayScale.h"
#include "support/DpiLookupsInUse.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void End(CScriptedMainWindow& w) {
    PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0);
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// What the window looks like at one moment.
struct Seen {
    UINT dpi = 0;
    RECT window = {};
    SIZE client = {};
    RECT button = {};
    SIZE face = {};
};

Seen Look(HWND window) {
    Seen seen;
    seen.dpi = DpiOfWindow(window);
    seen.window = WindowRect(window);
    seen.client = ClientSize(window);
    seen.button = ChildRect(GetDlgItem(window, IDC_SNAP_BUTTON));
    BITMAP face = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(
                   SendDlgItemMessageA(window, IDC_SNAP_BUTTON, BM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof face, &face);
    seen.face = {face.bmWidth, face.bmHeight};
    return seen;
}

// The button covers the client area exactly, reaching past every edge by the
// scaled overhang, and shows the face drawn for the client area's size.
void ExpectWindowAroundItsFace(const Seen& seen, LONG faceSize) {
    const LONG overhang = ScaleToDpi(5, seen.dpi);
    EXPECT_EQ(faceSize, seen.client.cx);
    EXPECT_EQ(faceSize, seen.client.cy);
    EXPECT_EQ(-overhang, seen.button.left);
    EXPECT_EQ(-overhang, seen.button.top);
    EXPECT_EQ(seen.client.cx + overhang, seen.button.right);
    EXPECT_EQ(seen.client.cy + overhang, seen.button.bottom);
    EXPECT_EQ(faceSize, seen.face.cx);
    EXPECT_EQ(faceSize, seen.face.cy);
}

LONG FaceSize(bool little, UINT dpi) {
    return ScaleToDpi(little ? 32 : 48, dpi);
}

// Starts the window on the settings file as it is, and looks at it once
// initialisation is over.
Seen LookAtStart() {
    Seen seen;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        seen = Look(w.Window());
        End(w);
    }});
    window.DoModal();
    return seen;
}

// Section "WPlace" as the window saves it, with this normal rectangle.
std::string PlacementEntry(LONG left, LONG top, LONG width, LONG height) {
    return "[WPlace]\r\nlength=44\r\nflags=0\r\nshowCmd=1\r\nrcNormalPosition.top=" +
           std::to_string(top) + "\r\nrcNormalPosition.left=" + std::to_string(left) +
           "\r\nrcNormalPosition.bottom=" + std::to_string(top + height) +
           "\r\nrcNormalPosition.right=" + std::to_string(left + width) + "\r\n";
}

using FloatingWindowAtScale = MainWindowTest;

// Guards the rest: a session that did not take its scale would test 96 twice.
TEST_F(FloatingWindowAtScale, TheSessionRunsAtTheScaleItWasMadeFor) {
    const char* wanted = std::getenv("SNAP_WINE_DPI");
    EXPECT_EQ(wanted ? static_cast<UINT>(std::atoi(wanted)) : kDefaultDpi, ScreenDpi());
}

struct StartCase {
    const char* name;
    const char* settings;
    int littleIcon;
    LONG left, top; // -1: the template's position
};

class FirstStart : public FloatingWindowAtScale, public ::testing::WithParamInterface<StartCase> {};

TEST_P(FirstStart, ShowsTheWindowExactlyAroundItsFace) {
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(GetParam().littleIcon) + "\r\n" +
                  GetParam().settings);
    const Seen seen = LookAtStart();

    EXPECT_EQ(ScreenDpi(), seen.dpi);
    if (GetParam().left >= 0) {
        EXPECT_EQ(GetParam().left, seen.window.left);
        EXPECT_EQ(GetParam().top, seen.window.top);
    }
    // At 100 % the template's or the stored size applies, as it always has:
    // the main window's own tests pin those down.
    if (seen.dpi == kDefaultDpi)
        return;
    ExpectWindowAroundItsFace(seen, FaceSize(GetParam().littleIcon != 0, seen.dpi));
}

INSTANTIATE_TEST_SUITE_P(
    Placement, FirstStart,
    ::testing::Values(StartCase{"Nothing", "", 0, -1, -1},
                      StartCase{"NothingLittle", "", 1, -1, -1},
                      // Saved at 100 %: 54 x 70 around the 48-px face.
                      StartCase{"StoredPlacement",
                                "[WPlace]\r\nlength=44\r\nflags=0\r\nshowCmd=1\r\n"
                                "rcNormalPosition.top=120\r\nrcNormalPosition.left=200\r\n"
                                "rcNormalPosition.bottom=190\r\nrcNormalPosition.right=254\r\n",
                                0, 200, 120}),
    [](const auto& info) { return std::string(info.param.name); });

// The migrated position's entry is stored text: built here, not in the table.
class FirstStartMigrated : public FloatingWindowAtScale,
                           public ::testing::WithParamInterface<int> {};

TEST_P(FirstStartMigrated, SizesTheWindowAroundItsFace) {
    const bool little = GetParam() != 0;
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(GetParam()) + "\r\n" +
                  SoftPosEntry("300;200"));
    const Seen seen = LookAtStart();
    EXPECT_EQ(300, seen.window.left);
    EXPECT_EQ(200, seen.window.top);
    ExpectWindowAroundItsFace(seen, FaceSize(little, seen.dpi));
}

INSTANTIATE_TEST_SUITE_P(LittleIcon, FirstStartMigrated, ::testing::Values(0, 1));

struct SavedPlacementCase {
    const char* name;
    int littleIcon;
    LONG width, height; // the window as a session at that scale saved it
};

class PlacementSavedAtAnyScale : public FloatingWindowAtScale,
                                 public ::testing::WithParamInterface<SavedPlacementCase> {};

// The stored rectangle is the window of the scale it was saved at: restored
// at another, it keeps its place but takes the size of this scale's face.
TEST_P(PlacementSavedAtAnyScale, ComesBackWhereItWasAroundTheFaceOfThisScale) {
    const SavedPlacementCase saved = GetParam();
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(saved.littleIcon) + "\r\n" +
                  PlacementEntry(200, 120, saved.width, saved.height));
    const Seen seen = LookAtStart();
    EXPECT_EQ(200, seen.window.left);
    EXPECT_EQ(120, seen.window.top);
    ExpectWindowAroundItsFace(seen, FaceSize(saved.littleIcon != 0, seen.dpi));
}

// Wine's frame: 6 x 22 pixels at 96 DPI, 6 x 30 at 144.
INSTANTIATE_TEST_SUITE_P(FloatingWindow, PlacementSavedAtAnyScale,
                         ::testing::Values(SavedPlacementCase{"SavedAt100", 0, 54, 70},
                                           SavedPlacementCase{"SavedAt150", 0, 78, 102},
                                           SavedPlacementCase{"SavedAt150Little", 1, 54, 78}),
                         [](const auto& info) { return std::string(info.param.name); });

// Wine has one scale for all monitors: here the platform's GetDpiForWindow
// gives way to one that tells a window's scale by where it stands, as if a
// monitor of another scale lay right of x = 640.
constexpr LONG kOtherMonitorLeft = 640;
UINT g_otherMonitorDpi = 0;

UINT WINAPI DpiByMonitorUnder(HWND window) {
    return WindowRect(window).left >= kOtherMonitorLeft ? g_otherMonitorDpi : ScreenDpi();
}

// The window is made on the first monitor; its scale is the one of the place
// its placement brings it to.
TEST_F(FloatingWindowAtScale, APlacementOnAMonitorOfAnotherScaleShowsThatMonitorsFace) {
    const bool at96 = ScreenDpi() == kDefaultDpi;
    g_otherMonitorDpi = at96 ? 144 : kDefaultDpi;
    DpiLookups lookups = PlatformDpiLookups();
    lookups.getDpiForWindow = DpiByMonitorUnder;
    const CDpiLookupsInUse inUse(lookups);
    // The window as it was saved there (Wine's frame at that scale).
    WriteSettings(at96 ? PlacementEntry(700, 120, 78, 102) : PlacementEntry(700, 120, 54, 70));
    const Seen seen = LookAtStart();
    EXPECT_EQ(700, seen.window.left);
    EXPECT_EQ(120, seen.window.top);
    EXPECT_EQ(g_otherMonitorDpi, seen.dpi);
    ExpectWindowAroundItsFace(seen, FaceSize(false, g_otherMonitorDpi));
}

class AfterSettings : public FloatingWindowAtScale, public ::testing::WithParamInterface<int> {};

TEST_P(AfterSettings, TheWindowFitsTheFaceThatLittleIconChose) {
    const bool littleAfter = GetParam() != 0;
    WriteSettings("[Param]\r\nLittleIcon=0\r\n");
    Seen seen;
    RECT before = {};
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        before = WindowRect(w.Window());
        WhileLoopsRun([&] {
            HWND settings = FindWindowA(nullptr, "Settings");
            if (!settings || !IsWindowVisible(settings))
                return false;
            ChooseOptionsThenOk(settings, littleAfter, false);
            return true;
        });
        w.OnSetup();
        seen = Look(w.Window());
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(before.left, seen.window.left);
    EXPECT_EQ(before.top, seen.window.top);
    ExpectWindowAroundItsFace(seen, FaceSize(littleAfter, seen.dpi));
}

INSTANTIATE_TEST_SUITE_P(LittleIcon, AfterSettings, ::testing::Values(0, 1));

struct DpiChange {
    const char* name;
    UINT newDpi;
    int littleIcon;
};

class MovedToAnotherScale : public FloatingWindowAtScale,
                            public ::testing::WithParamInterface<DpiChange> {};

// Wine never sends WM_DPICHANGED (it has one scale for all monitors): the
// test sends it as Windows does when the window reaches a monitor of another
// scale, with the rectangle the system suggests.
TEST_P(MovedToAnotherScale, TakesTheSuggestedPlaceAndTheFaceOfTheNewScale) {
    const DpiChange change = GetParam();
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(change.littleIcon) + "\r\n");
    Seen seen;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        const RECT now = WindowRect(w.Window());
        const UINT dpi = DpiOfWindow(w.Window());
        RECT suggested = {310, 220, 310 + MulDiv(now.right - now.left, change.newDpi, dpi),
                          220 + MulDiv(now.bottom - now.top, change.newDpi, dpi)};
        SendMessageA(w.Window(), WM_DPICHANGED, MAKEWPARAM(change.newDpi, change.newDpi),
                     reinterpret_cast<LPARAM>(&suggested));
        seen = Look(w.Window());
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(310, seen.window.left);
    EXPECT_EQ(220, seen.window.top);
    seen.dpi = change.newDpi; // Wine's own answer stays the session's
    ExpectWindowAroundItsFace(seen, FaceSize(change.littleIcon != 0, change.newDpi));
}

INSTANTIATE_TEST_SUITE_P(NewScale, MovedToAnotherScale,
                         ::testing::Values(DpiChange{"To100", 96, 0}, DpiChange{"To125", 120, 0},
                                           DpiChange{"To150Little", 144, 1},
                                           DpiChange{"To200", 192, 0},
                                           DpiChange{"To200Little", 192, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FaceCase {
    const char* name;
    UINT bitmapId;
    LONG size;
};

class ButtonFaces : public ::testing::TestWithParam<FaceCase> {};

TEST_P(ButtonFaces, AreDrawnForTheSizeOfTheirScale) {
    HBITMAP face = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(GetParam().bitmapId));
    ASSERT_NE(nullptr, face);
    BITMAP info = {};
    GetObjectA(face, sizeof info, &info);
    DeleteObject(face);
    EXPECT_EQ(GetParam().size, info.bmWidth);
    EXPECT_EQ(GetParam().size, info.bmHeight);
}

INSTANTIATE_TEST_SUITE_P(Resources, ButtonFaces,
                         ::testing::Values(FaceCase{"Normal100", IDB_BUTTON_NORMAL, 48},
                                           FaceCase{"Normal125", IDB_BUTTON_NORMAL_125, 60},
                                           FaceCase{"Normal150", IDB_BUTTON_NORMAL_150, 72},
                                           FaceCase{"Normal200", IDB_BUTTON_NORMAL_200, 96},
                                           FaceCase{"Little100", IDB_BUTTON_LITTLE, 32},
                                           FaceCase{"Little125", IDB_BUTTON_LITTLE_125, 40},
                                           FaceCase{"Little150", IDB_BUTTON_LITTLE_150, 48},
                                           FaceCase{"Little200", IDB_BUTTON_LITTLE_200, 64}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
