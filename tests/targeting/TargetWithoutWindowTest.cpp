// What a step stores when it has no window to describe: nothing that a reader
// could take for the broadcast target.
#include "settings/SettingsFile.h"
#include "support/WindowTree.h"
#include "targeting/TargetPaths.h"
#include "StoredTargets.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TargetPathsWithoutAWindow : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { DeleteFileA(SettingsFilePath().c_str()); }
    void TearDown() override { DeleteFileA(SettingsFilePath().c_str()); }
};

// true: a window the user picked that has closed since; false: none at all.
TEST_P(TargetPathsWithoutAWindow, StoreARecordReadAsAbsent) {
    HWND top = nullptr;
    HWND control = nullptr;
    if (GetParam()) {
        auto tree = std::make_unique<WindowTree>(800, 600, "Imaging Station");
        top = tree->Top();
        control = tree->Add(top, 100, 100, 80, 24);
        tree.reset();
        ASSERT_FALSE(IsWindow(control));
    }
    StoreWindowDescription(control, false, "Base3");
    StoreTargetPath(top, control, "Destination3", nullptr);

    const std::string record = ReadStoredText(kSectionParam, "Base3");
    EXPECT_NE(kBroadcastDescription, record);
    EXPECT_FALSE(ParseWindowDescription(record).present) << record;
    EXPECT_EQ(WindowSearch::Absent, FindWindowByDescription(record).outcome);
    EXPECT_EQ("", ReadStoredText(kSectionParam, "Destination3"));
}

INSTANTIATE_TEST_SUITE_P(Targets, TargetPathsWithoutAWindow, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "AClosedWindow" : "NoWindow");
                         });

} // namespace
