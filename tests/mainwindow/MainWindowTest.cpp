// The floating button window, run for real in the test process.
#include "support/MainWindowHarness.h"
#include "common/PlatformLayout.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using Step = CScriptedMainWindow::Step;

void End(CScriptedMainWindow& w) { PostMessageA(w.Window(), WM_COMMAND, IDCANCEL, 0); }

// Ends the window at the first poll tick from now on: polling is running.
void EndAtNextPollTick(CScriptedMainWindow& w) {
    const size_t from = w.m_timerTicks.size();
    WhileLoopsRun([&w, from] {
        for (size_t i = from; i < w.m_timerTicks.size(); ++i)
            if (w.m_timerTicks[i] == PollTimerId) {
                End(w);
                return true;
            }
        return false;
    });
}

// What initialisation made of the window.
struct Observed {
    RECT window = {};
    SIZE client = {};
    RECT button = {};
    SIZE templateClient = {}; // the template's 31 x 28 dialog units in pixels
    bool iconic = false, zoomed = false, visible = false;
};

Observed RunAndObserve() {
    Observed seen;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        seen.window = WindowRect(w.Window());
        seen.client = ClientSize(w.Window());
        seen.button = ChildRect(GetDlgItem(w.Window(), IDC_SNAP_BUTTON));
        seen.iconic = IsIconic(w.Window());
        seen.zoomed = IsZoomed(w.Window());
        seen.visible = IsWindowVisible(w.Window());
        RECT units = {0, 0, 31, 28};
        MapDialogRect(w.Window(), &units);
        seen.templateClient = {units.right, units.bottom};
        End(w);
    }});
    window.DoModal();
    return seen;
}

TEST_F(MainWindowTest, WithoutAStoredPlacementTheTemplatesPositionAndSizeApply) {
    const Observed seen = RunAndObserve();
    EXPECT_EQ(0, seen.window.left);
    EXPECT_EQ(0, seen.window.top);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.templateClient.cx, seen.client.cx);
    EXPECT_EQ(seen.templateClient.cy, seen.client.cy);
    EXPECT_NE(48, seen.client.cx); // not sized as after a migrated position
}

struct PlacementCase {
    const char* name;
    int showCmd;
};

class StoredPlacement : public MainWindowTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(StoredPlacement, IsRestoredInTheNormalState) {
    WriteSettings("[WPlace]\r\nlength=44\r\nflags=0\r\nshowCmd=" + std::to_string(GetParam().showCmd) +
                  "\r\nptMinPosition.x=-1\r\nptMinPosition.y=-1\r\nptMaxPosition.x=-1\r\n"
                  "ptMaxPosition.y=-1\r\nrcNormalPosition.top=120\r\nrcNormalPosition.left=200\r\n"
                  "rcNormalPosition.bottom=190\r\nrcNormalPosition.right=254\r\n" +
                  SoftPosEntry("500;500")); // ignored once a placement is stored
    const Observed seen = RunAndObserve();
    EXPECT_FALSE(seen.iconic);
    EXPECT_FALSE(seen.zoomed);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(200, seen.window.left);
    EXPECT_EQ(120, seen.window.top);
    EXPECT_EQ(254, seen.window.right); // 54 x 70: Wine's frame around the 48-px face
    EXPECT_EQ(190, seen.window.bottom);
}

INSTANTIATE_TEST_SUITE_P(ShowCommand, StoredPlacement,
                         ::testing::Values(PlacementCase{"Normal", SW_SHOWNORMAL},
                                           PlacementCase{"Minimised", SW_SHOWMINIMIZED},
                                           PlacementCase{"Maximised", SW_SHOWMAXIMIZED}),
                         [](const auto& info) { return std::string(info.param.name); });

// The window of a first start, saved and restored, keeps the template's size:
// at 100 % that size is the one the window has always had.
TEST_F(MainWindowTest, APlacementSavedAtTheTemplatesSizeKeepsIt) {
    const Observed first = RunAndObserve();
    const LONG width = first.window.right - first.window.left;
    const LONG height = first.window.bottom - first.window.top;
    WriteSettings("[WPlace]\r\nlength=44\r\nflags=0\r\nshowCmd=1\r\nrcNormalPosition.top=120\r\n"
                  "rcNormalPosition.left=200\r\nrcNormalPosition.bottom=" +
                  std::to_string(120 + height) +
                  "\r\nrcNormalPosition.right=" + std::to_string(200 + width) + "\r\n");
    const Observed seen = RunAndObserve();
    EXPECT_EQ(200, seen.window.left);
    EXPECT_EQ(120, seen.window.top);
    EXPECT_EQ(first.templateClient.cx, seen.client.cx);
    EXPECT_EQ(first.templateClient.cy, seen.client.cy);
}

struct MigratedPositionCase {
    const char* name;
    const char* softPos;
    int littleIcon;
    LONG x, y;
    LONG clientSize;
};

class MigratedPosition : public MainWindowTest,
                         public ::testing::WithParamInterface<MigratedPositionCase> {};

TEST_P(MigratedPosition, PlacesTheWindowAndSizesItsClientArea) {
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(GetParam().littleIcon) + "\r\n" +
                  SoftPosEntry(GetParam().softPos));
    const Observed seen = RunAndObserve();
    EXPECT_EQ(GetParam().x, seen.window.left);
    EXPECT_EQ(GetParam().y, seen.window.top);
    EXPECT_EQ(GetParam().clientSize, seen.client.cx);
    EXPECT_EQ(GetParam().clientSize, seen.client.cy);
}

INSTANTIATE_TEST_SUITE_P(
    SoftPos, MigratedPosition,
    ::testing::Values(MigratedPositionCase{"NegativeXBecomesZero", "-20;15", 0, 0, 15, 48},
                      MigratedPositionCase{"MissingYIsZero", "40", 0, 40, 0, 48},
                      MigratedPositionCase{"BothGiven", "300;200", 0, 300, 200, 48},
                      MigratedPositionCase{"LittleIcon", "300;200", 1, 300, 200, 32}),
    [](const auto& info) { return std::string(info.param.name); });

class ButtonFace : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(ButtonFace, ButtonReachesFivePixelsPastEveryEdge) {
    WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(GetParam()) + "\r\n");
    const Observed seen = RunAndObserve();
    const LONG size = GetParam() ? 42 : 58;
    EXPECT_EQ(-5, seen.button.left);
    EXPECT_EQ(-5, seen.button.top);
    EXPECT_EQ(size, seen.button.right - seen.button.left);
    EXPECT_EQ(size, seen.button.bottom - seen.button.top);
}

INSTANTIATE_TEST_SUITE_P(LittleIcon, ButtonFace, ::testing::Values(0, 1));

TEST_F(MainWindowTest, TheButtonShowsTheFaceThatLittleIconChooses) {
    for (int little : {0, 1}) {
        WriteSettings("[Param]\r\nLittleIcon=" + std::to_string(little) + "\r\n");
        BITMAP face = {};
        CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
            HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(
                w.Window(), IDC_SNAP_BUTTON, BM_GETIMAGE, IMAGE_BITMAP, 0));
            GetObjectA(image, sizeof face, &face);
            End(w);
        }});
        window.DoModal();
        EXPECT_EQ(little ? 32 : 48, face.bmWidth);
        EXPECT_EQ(little ? 32 : 48, face.bmHeight);
    }
}

TEST_F(MainWindowTest, TheWindowIsAnAlwaysOnTopToolWindowWithoutSystemMenu) {
    LONG_PTR style = 0, exStyle = 0;
    char caption[16] = "";
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        style = GetWindowLongPtrA(w.Window(), GWL_STYLE);
        exStyle = GetWindowLongPtrA(w.Window(), GWL_EXSTYLE);
        GetWindowTextA(w.Window(), caption, sizeof caption);
        End(w);
    }});
    window.DoModal();
    EXPECT_STREQ("Snap", caption);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
}

TEST_F(MainWindowTest, TheTrayIconIsAddedAfterSettingItsVersion) {
    CScriptedMainWindow window({End});
    window.DoModal();
    const std::vector<TrayCall> calls = TrayCalls();
    ASSERT_GE(calls.size(), 2u);
    const TrayCall& version = calls[0];
    const TrayCall& add = calls[1];
    EXPECT_EQ(static_cast<DWORD>(NIM_SETVERSION), version.operation);
    EXPECT_EQ(3u, version.version);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.operation);
    for (const TrayCall& call : {version, add}) {
        EXPECT_EQ(kTrayIconDataSize, call.size);
        EXPECT_EQ(102u, call.id);
    }
    EXPECT_EQ(7u, add.flags); // message, icon, tip
    EXPECT_EQ(0x8001u, add.callback);
    EXPECT_TRUE(add.hasIcon);
    EXPECT_EQ("Snap", add.tip);
}

TEST_F(MainWindowTest, DestructionRemovesTheIconAndReleasesTheCameraLibrary) {
    bool libraryLoadedWhileRunning = false;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        libraryLoadedWhileRunning = GetModuleHandleA("KelvraTouch.dll") != nullptr;
        End(w);
    }});
    window.DoModal();
    EXPECT_TRUE(libraryLoadedWhileRunning);
    EXPECT_EQ(nullptr, GetModuleHandleA("KelvraTouch.dll"));
    ASSERT_FALSE(TrayCalls().empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), TrayCalls().back().operation);
    EXPECT_EQ(102u, TrayCalls().back().id);
}

TEST_F(MainWindowTest, TheShellRestartingAddsTheIconAgain) {
    CScriptedMainWindow window({[](CScriptedMainWindow& w) {
        SendMessageA(w.Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        End(w);
    }});
    window.DoModal();
    int adds = 0;
    for (const TrayCall& call : TrayCalls())
        adds += call.operation == NIM_ADD;
    EXPECT_EQ(2, adds);
}

TEST_F(MainWindowTest, TheIconAddedAgainWhileTheSettingsAreOpenKeepsTheirCallback) {
    // A menu opened over the settings could open a second one, or end the
    // window under it: while they are open, clicks on the icon are ignored.
    UINT callbackOfTheNewIcon = 0;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        WhileLoopsRun([&] {
            HWND settings = FindWindowA(nullptr, "Settings");
            if (!settings || !IsWindowVisible(settings))
                return false;
            SendMessageA(w.Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            const auto addedTwice = [](const std::vector<TrayCall>& calls) {
                return std::count_if(calls.begin(), calls.end(), [](const TrayCall& call) {
                           return call.operation == NIM_ADD;
                       }) == 2;
            };
            for (const TrayCall& call : WaitForTrayCalls(addedTwice))
                if (call.operation == NIM_ADD)
                    callbackOfTheNewIcon = call.callback;
            SendDlgItemMessageA(settings, IDCANCEL, BM_CLICK, 0, 0);
            return true;
        });
        w.OnSetup();
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(0x802Au, callbackOfTheNewIcon);
}

TEST_F(MainWindowTest, PollingStartsWithTheFirstTickOfThePollTimer) {
    CScriptedMainWindow window({[](CScriptedMainWindow& w) { EndAtNextPollTick(w); }});
    window.DoModal();
    EXPECT_FALSE(window.m_timerTicks.empty());
}

struct TrayMouseCase {
    const char* name;
    LPARAM mouseMessage;
    bool opensMenu;
};

class TrayIconMouse : public MainWindowTest, public ::testing::WithParamInterface<TrayMouseCase> {};

TEST_P(TrayIconMouse, OnlyAButtonPressOpensTheMenu) {
    std::vector<std::pair<UINT, std::string>> entries;
    bool menuSeen = false;
    CScriptedMainWindow window({
        [&](CScriptedMainWindow& w) {
            // The menu runs its own loop inside the tray handler: look for it from there.
            WhileLoopsRun([&] {
                HWND menuWindow = FindWindowA("#32768", nullptr);
                if (!menuWindow || !IsWindowVisible(menuWindow))
                    return false;
                menuSeen = true;
                HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    char text[32] = "";
                    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
                    entries.emplace_back(GetMenuItemID(menu, i), text);
                }
                EndMenu();
                return true;
            });
            PostMessageA(w.Window(), 0x8001, 102, GetParam().mouseMessage);
            w.NextStep();
        },
        End,
    });
    window.m_countOnly = true;
    window.DoModal();
    EXPECT_EQ(GetParam().opensMenu, menuSeen);
    if (GetParam().opensMenu) {
        const std::vector<std::pair<UINT, std::string>> expected = {
            {ID_TRAY_SNAP, "Snap"}, {ID_TRAY_SETUP, "Setup"}, {0, ""}, {ID_TRAY_CLOSE, "Close"}};
        EXPECT_EQ(expected, entries);
    }
    EXPECT_EQ(0, window.m_snaps + window.m_setups);
}

INSTANTIATE_TEST_SUITE_P(
    Message, TrayIconMouse,
    ::testing::Values(TrayMouseCase{"LeftButtonDown", WM_LBUTTONDOWN, true},
                      TrayMouseCase{"RightButtonDown", WM_RBUTTONDOWN, true},
                      TrayMouseCase{"MiddleButtonDown", WM_MBUTTONDOWN, false},
                      TrayMouseCase{"LeftButtonUp", WM_LBUTTONUP, false},
                      TrayMouseCase{"RightButtonUp", WM_RBUTTONUP, false},
                      TrayMouseCase{"MouseMove", WM_MOUSEMOVE, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, MenuCommandsAndTheButtonReachTheirHandlers) {
    CScriptedMainWindow window({[](CScriptedMainWindow& w) {
        SendMessageA(w.Window(), WM_COMMAND, ID_TRAY_SNAP, 0);
        SendMessageA(w.Window(), WM_COMMAND, ID_TRAY_SETUP, 0);
        SendDlgItemMessageA(w.Window(), IDC_SNAP_BUTTON, BM_CLICK, 0, 0); // Ctrl is up
        SendMessageA(w.Window(), WM_COMMAND, ID_TRAY_CLOSE, 0);
    }});
    window.m_countOnly = true;
    EXPECT_EQ(IDCANCEL, window.DoModal());
    EXPECT_EQ(2, window.m_snaps);
    EXPECT_EQ(1, window.m_setups);
    EXPECT_EQ(44, ReadSettingInt("WPlace", "length", 0)); // "Close" saved the placement
}

TEST_F(MainWindowTest, SavingThePlacementAgainWritesWhatChanged) {
    int leftAfterFirst = 0, leftAfterMove = 0;
    std::string fileAfterFirst, fileAfterSameAgain;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        w.SaveWindowPlacement();
        leftAfterFirst = ReadSettingInt("WPlace", "rcNormalPosition.left", -1);
        fileAfterFirst = ReadTextFile(SettingsFilePath());
        w.SaveWindowPlacement();
        fileAfterSameAgain = ReadTextFile(SettingsFilePath());
        SetWindowPos(w.Window(), nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        w.SaveWindowPlacement();
        leftAfterMove = ReadSettingInt("WPlace", "rcNormalPosition.left", -1);
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(0, leftAfterFirst);
    EXPECT_EQ(fileAfterFirst, fileAfterSameAgain);
    EXPECT_EQ(321, leftAfterMove);
    EXPECT_EQ(44, ReadSettingInt("WPlace", "length", 0));
}

// The profile functions match keys without regard to case and read the first
// of duplicates: that is what a saved placement must leave readable.
struct StaleKeyCase {
    const char* name;
    const char* lines; // before the key as this program writes it; %d is the true value
};

class StalePlacementKey : public MainWindowTest,
                          public ::testing::WithParamInterface<StaleKeyCase> {};

TEST_P(StalePlacementKey, IsOverwrittenWhereTheReadersLook) {
    int left = 0;
    CScriptedMainWindow window({[&](CScriptedMainWindow& w) {
        left = WindowRect(w.Window()).left;
        char lines[200];
        std::snprintf(lines, sizeof lines, GetParam().lines, left);
        WriteSettings(std::string("[WPlace]\r\n") + lines);
        w.SaveWindowPlacement();
        End(w);
    }});
    window.DoModal();
    EXPECT_EQ(left, ReadSettingInt("WPlace", "rcNormalPosition.left", -1));
}

INSTANTIATE_TEST_SUITE_P(
    Placement, StalePlacementKey,
    ::testing::Values(
        StaleKeyCase{"DuplicatedKey",
                     "rcNormalPosition.left=999\r\nrcNormalPosition.left=%d\r\n"},
        StaleKeyCase{"KeyInOtherCaseFirst",
                     "RCNORMALPOSITION.LEFT=999\r\nrcNormalPosition.left=%d\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SetupCase {
    const char* name;
    int putInSysTray;
    int littleIconAfter;
};

class Setup : public MainWindowTest, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(Setup, SuspendsEverythingWhileTheSettingsRunThenAppliesThem) {
    WriteSettings("[Param]\r\nLittleIcon=0\r\n" + SoftPosEntry("100;100"));
    bool visibleDuringSettings = true, pollTimerRunningDuringSettings = true;
    size_t trayCallsBeforeSettings = 0;
    RECT before = {}, after = {};
    SIZE clientAfter = {};
    bool visibleAfter = false;
    CScriptedMainWindow window({
        [&](CScriptedMainWindow& w) {
            before = WindowRect(w.Window());
            WhileLoopsRun([&] {
                HWND settings = FindWindowA(nullptr, "Settings");
                if (!settings || !IsWindowVisible(settings))
                    return false;
                visibleDuringSettings = IsWindowVisible(w.Window());
                // KillTimer fails for a timer that does not exist.
                pollTimerRunningDuringSettings = KillTimer(w.Window(), PollTimerId) != FALSE;
                // The icon ignores clicks by now: the last call says so.
                trayCallsBeforeSettings =
                    WaitForTrayCalls([](const std::vector<TrayCall>& calls) {
                        return !calls.empty() && calls.back().callback == WM_TRAYICON_IGNORED;
                    }).size();
                ChooseOptionsThenOk(settings, GetParam().littleIconAfter != 0,
                                    GetParam().putInSysTray != 0);
                return true;
            });
            w.OnSetup();
            after = WindowRect(w.Window());
            clientAfter = ClientSize(w.Window());
            visibleAfter = IsWindowVisible(w.Window());
            EndAtNextPollTick(w);
        },
    });
    window.DoModal();

    EXPECT_FALSE(visibleDuringSettings);
    EXPECT_FALSE(pollTimerRunningDuringSettings);
    ASSERT_EQ(trayCallsBeforeSettings + 1, TrayCalls().size() - 1 /* NIM_DELETE */);
    const std::vector<TrayCall> calls = TrayCalls();
    const TrayCall& ignoring = calls[trayCallsBeforeSettings - 1];
    const TrayCall& restoring = calls[trayCallsBeforeSettings];
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), ignoring.operation);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE), ignoring.flags);
    EXPECT_EQ(0x802Au, ignoring.callback);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), restoring.operation);
    EXPECT_EQ(0x8001u, restoring.callback);

    EXPECT_EQ(GetParam().putInSysTray == 0, visibleAfter);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    const LONG size = GetParam().littleIconAfter ? 32 : 48;
    EXPECT_EQ(size, clientAfter.cx);
    EXPECT_EQ(size, clientAfter.cy);
    EXPECT_EQ(1, window.m_setups);
}

INSTANTIATE_TEST_SUITE_P(
    Options, Setup,
    ::testing::Values(SetupCase{"ShownAgainAtTheNormalSize", 0, 0},
                      SetupCase{"ShownAgainLittle", 0, 1},
                      SetupCase{"KeptHiddenInTheTray", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
