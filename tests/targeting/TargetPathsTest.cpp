// Storing and finding targets against a real window tree under Wine.
#include "settings/SettingsFile.h"
#include "support/WindowTree.h"
#include "targeting/TargetPaths.h"
#include "StoredTargets.h"

#include <gtest/gtest.h>

namespace {

class TargetPaths : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(SettingsFilePath().c_str()); }
    void TearDown() override { DeleteFileA(SettingsFilePath().c_str()); }

    static std::string Stored(const char* key) { return ReadStoredText(kSectionParam, key); }
    static void Store(const char* key, const char* text) {
        WriteStoredText(kSectionParam, key, text);
    }
};

// Worked example 1: T is 800 x 600; P is T's 2nd child; C is P's 3rd child,
// whose client area runs from (100, 50) to (180, 74) in T's client coordinates.
struct ExampleTree {
    WindowTree tree{800, 600};
    HWND first = tree.Add(tree.Top(), 0, 0, 20, 20);
    HWND p = tree.Add(tree.Top(), 50, 40, 400, 300);
    HWND p1 = tree.Add(p, 0, 0, 10, 10);
    HWND p2 = tree.Add(p, 0, 200, 10, 10);
    HWND c = tree.Add(p, 50, 10, 80, 24);
};

TEST_F(TargetPaths, AControlTwoLevelsDownIsStoredByItsParentsPositionAndItsCentre) {
    ExampleTree t;
    StoreWindowDescription(t.c, false, "Base1");
    StoreTargetPath(t.tree.Top(), t.c, "Destination1", nullptr);
    EXPECT_EQ("800;600;SnapTestTop\t", Stored("Base1"));
    EXPECT_EQ("2;140;62", Stored("Destination1"));
}

TEST_F(TargetPaths, TheTitleIsStoredOnlyWhenAsked) {
    WindowTree tree(320, 200, "Imaging Station");
    HWND control = tree.Add(tree.Top(), 5, 5, 20, 20);
    StoreWindowDescription(control, true, "Base");
    EXPECT_EQ("320;200;SnapTestTop\tImaging Station", Stored("Base"));
}

TEST_F(TargetPaths, AMouseClickStoresTheClickPointInTheTopWindowsClientCoordinates) {
    ExampleTree t;
    POINT origin = {0, 0};
    ClientToScreen(t.tree.Top(), &origin);
    const POINT click = {origin.x + 210, origin.y + 160};
    POINT callersPoint = click;
    StoreTargetPath(t.tree.Top(), t.c, "Destination", &callersPoint);
    EXPECT_EQ("2;210;160", Stored("Destination"));
    EXPECT_EQ(click.x, callersPoint.x); // the caller's point is left as it was
}

TEST_F(TargetPaths, AControlDirectlyOnTheTopWindowHasNoIndex) {
    WindowTree tree(800, 600);
    HWND control = tree.Add(tree.Top(), 400, 30, 24, 14);
    StoreTargetPath(tree.Top(), control, "Destination", nullptr);
    EXPECT_EQ("412;37", Stored("Destination"));
}

TEST_F(TargetPaths, ThreeLevelsGiveTwoIndices) {
    WindowTree tree(800, 600);
    HWND a = tree.Add(tree.Top(), 0, 0, 600, 500);
    HWND b = nullptr;
    for (int i = 0; i < 4; ++i)
        b = tree.Add(a, 10, 10, 300, 300, i != 1); // a hidden sibling still counts
    HWND c = tree.Add(b, 20, 20, 40, 40);
    StoreTargetPath(tree.Top(), c, "Destination", nullptr);
    EXPECT_EQ("1;4;50;50", Stored("Destination"));
    const ResolvedTarget resolved = ResolveStoredPath(tree.Top(), "Destination", 800, 600);
    EXPECT_EQ(c, resolved.control);
}

TEST_F(TargetPaths, NoControlStoresAnEmptyValueUnderTheKey) {
    WindowTree tree(100, 100);
    StoreTargetPath(tree.Top(), nullptr, "Destination2", nullptr);
    EXPECT_EQ("", ReadSettingString(kSectionParam, EncodedKeyName("Destination2").c_str(), "absent"));
}

TEST_F(TargetPaths, BroadcastIsStoredAsItsRecord) {
    StoreWindowDescription(HWND_BROADCAST, true, "Base");
    EXPECT_EQ("0;0;\t", Stored("Base"));
}

TEST_F(TargetPaths, APathIsFoundAgainAfterTheWindowGrew) {
    ExampleTree t;
    StoreTargetPath(t.tree.Top(), t.c, "Destination", nullptr);
    t.tree.ResizeClient(1000, 750);
    // The application lays its controls out in proportion to its size.
    MoveWindow(t.p, 62, 50, 500, 375, TRUE);
    MoveWindow(t.c, 63, 12, 100, 30, TRUE);
    const ResolvedTarget resolved = ResolveStoredPath(t.tree.Top(), "Destination", 800, 600);
    EXPECT_EQ(175, resolved.point.x);
    EXPECT_EQ(78, resolved.point.y);
    EXPECT_EQ(t.c, resolved.control);
}

struct ResolveCase {
    const char* name;
    const char* path;
    int refWidth;
    bool findsControl;
    POINT point;
};

class TargetPathResolution : public TargetPaths, public ::testing::WithParamInterface<ResolveCase> {};

TEST_P(TargetPathResolution, FollowsIndicesThenPicksTheChildAtThePoint) {
    WindowTree tree(800, 600);
    for (int i = 0; i < 3; ++i)
        tree.Add(tree.Top(), 0, 0, 5, 5);
    HWND p = tree.Add(tree.Top(), 100, 100, 400, 300); // the 4th and last child
    HWND target = tree.Add(p, 0, 0, 400, 300);
    Store("Destination", GetParam().path);
    const ResolvedTarget resolved =
        ResolveStoredPath(tree.Top(), "Destination", GetParam().refWidth, 600);
    EXPECT_EQ(GetParam().findsControl ? target : nullptr, resolved.control);
    EXPECT_EQ(GetParam().point.x, resolved.point.x);
    EXPECT_EQ(GetParam().point.y, resolved.point.y);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TargetPathResolution,
    ::testing::Values(ResolveCase{"Found", "4;140;162", 800, true, {140, 162}},
                      ResolveCase{"Empty", "", 800, false, {0, 0}},
                      ResolveCase{"NoSeparator", "17", 800, false, {0, 0}},
                      ResolveCase{"ZeroIndex", "0;140;62", 800, false, {0, 0}},
                      ResolveCase{"NegativeIndex", "-1;140;62", 800, false, {0, 0}},
                      ResolveCase{"IndexBeyondTheLastChild", "5;140;62", 800, false, {0, 0}},
                      ResolveCase{"IntoAWindowWithoutChildren", "1;140;62", 800, false, {0, 0}},
                      ResolveCase{"ZeroReferenceWidth", "4;140;62", 0, false, {-1, 62}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetPaths, APointOnlyPathSearchesTheTopWindowsOwnChildren) {
    WindowTree tree(800, 600);
    tree.Add(tree.Top(), 0, 0, 50, 50);
    HWND button = tree.Add(tree.Top(), 130, 50, 20, 20);
    Store("Destination", "140;62");
    EXPECT_EQ(button, ResolveStoredPath(tree.Top(), "Destination", 800, 600).control);
}

TEST_F(TargetPaths, OfOverlappingChildrenTheLaterWinsAndHiddenOnesAreSkipped) {
    WindowTree tree(800, 600);
    HWND groupedButton = tree.Add(tree.Top(), 100, 100, 50, 20);
    HWND groupBox = tree.Add(tree.Top(), 90, 80, 200, 100);
    HWND hidden = tree.Add(tree.Top(), 90, 80, 200, 100, false);
    Store("Destination", "110;105");
    EXPECT_EQ(groupBox, ResolveStoredPath(tree.Top(), "Destination", 800, 600).control);
    ShowWindow(groupBox, SW_HIDE);
    EXPECT_EQ(groupedButton, ResolveStoredPath(tree.Top(), "Destination", 800, 600).control);
    (void)hidden;
}

TEST_F(TargetPaths, TheRightAndBottomEdgesAreOutside) {
    WindowTree tree(800, 600);
    tree.Add(tree.Top(), 100, 100, 50, 20); // covers x 100..149, y 100..119
    Store("Destination", "150;110");
    EXPECT_EQ(nullptr, ResolveStoredPath(tree.Top(), "Destination", 800, 600).control);
    Store("Destination", "100;100");
    EXPECT_NE(nullptr, ResolveStoredPath(tree.Top(), "Destination", 800, 600).control);
}

struct FindCase {
    const char* name;
    const char* record;
    WindowSearch outcome;
};

class WindowSearchOutcome : public TargetPaths, public ::testing::WithParamInterface<FindCase> {};

TEST_P(WindowSearchOutcome, FollowsTheRecord) {
    WindowTree tree(640, 480, "Scan; Live");
    const FoundWindow found = FindWindowByDescription(GetParam().record);
    EXPECT_EQ(GetParam().outcome, found.outcome);
    if (found.outcome == WindowSearch::Found) {
        EXPECT_EQ(tree.Top(), found.window);
    }
    if (found.outcome == WindowSearch::Broadcast) {
        EXPECT_EQ(HWND_BROADCAST, found.window);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Records, WindowSearchOutcome,
    ::testing::Values(FindCase{"TwoFields", "800;600", WindowSearch::Absent},
                      FindCase{"EmptyIdentity", "800;600;", WindowSearch::Broadcast},
                      FindCase{"BroadcastRecord", "0;0;\t", WindowSearch::Broadcast},
                      FindCase{"ByClass", "800;600;SnapTestTop\t", WindowSearch::Found},
                      FindCase{"ByClassIgnoringCase", "800;600;snaptesttop\t", WindowSearch::Found},
                      FindCase{"ByTitleWithSemicolon", "800;600;Other\tScan; Live", WindowSearch::Found},
                      FindCase{"TitleWinsOverClass", "800;600;SnapTestTop\tNo such title",
                               WindowSearch::NotFound},
                      FindCase{"UnknownClass", "800;600;NoSuchClass\t", WindowSearch::NotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TargetPaths, TheSearchGivesTheReferenceSize) {
    const FoundWindow found = FindWindowByDescription("1024;768;NoSuchClass\t");
    EXPECT_EQ(1024, found.refWidth);
    EXPECT_EQ(768, found.refHeight);
}

} // namespace
