#include "targeting/TargetRecords.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct DescriptionCase {
    const char* name;
    const char* record;
    bool present;
    bool broadcast;
    int width, height;
    const char* className;
    const char* title;
};

class WindowDescriptionParsing : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(WindowDescriptionParsing, ReadsTheFields) {
    const DescriptionCase& c = GetParam();
    const WindowDescription d = ParseWindowDescription(c.record);
    EXPECT_EQ(c.present, d.present);
    EXPECT_EQ(c.broadcast, d.IsBroadcast());
    if (!c.present)
        return;
    EXPECT_EQ(c.width, d.refWidth);
    EXPECT_EQ(c.height, d.refHeight);
    EXPECT_EQ(c.className, d.className);
    EXPECT_EQ(c.title, d.title);
}

INSTANTIATE_TEST_SUITE_P(
    Records, WindowDescriptionParsing,
    ::testing::Values(
        DescriptionCase{"Empty", "", false, false, 0, 0, "", ""},
        DescriptionCase{"TwoFieldsIsAbsent", "800;600", false, false, 0, 0, "", ""},
        DescriptionCase{"EmptyIdentityIsBroadcast", "800;600;", true, true, 800, 600, "", ""},
        DescriptionCase{"BroadcastRecord", "0;0;\t", true, true, 0, 0, "", ""},
        DescriptionCase{"ClassOnly", "800;600;KelvraImagerStandIn\t", true, false, 800, 600,
                        "KelvraImagerStandIn", ""},
        DescriptionCase{"ClassWithoutTab", "640;480;Viewer", true, false, 640, 480, "Viewer", ""},
        DescriptionCase{"ClassAndTitle", "800;600;Viewer\tImaging Station", true, false, 800, 600,
                        "Viewer", "Imaging Station"},
        DescriptionCase{"TitleEndsAtASecondTab", "1;2;C\tT\tjunk", true, false, 1, 2, "C", "T"},
        DescriptionCase{"SemicolonsStayInClassAndTitle", "800;600;Afx;400000;8\tScan; Live",
                        true, false, 800, 600, "Afx;400000;8", "Scan; Live"},
        DescriptionCase{"SizesReadLikeAtoi", " 12px;-7;C\t", true, false, 12, -7, "C", ""},
        DescriptionCase{"NonNumericSizesAreZero", "wide;high;C\t", true, false, 0, 0, "C", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowDescriptionFormat, WritesSizesClassTabTitle) {
    EXPECT_EQ("800;600;Viewer\t", FormatWindowDescription(800, 600, "Viewer", ""));
    EXPECT_EQ("1;2;C;x\tT;y", FormatWindowDescription(1, 2, "C;x", "T;y"));
    const WindowDescription back = ParseWindowDescription(FormatWindowDescription(1, 2, "C;x", "T;y"));
    EXPECT_EQ("C;x", back.className);
    EXPECT_EQ("T;y", back.title);
}

struct PathCase {
    const char* name;
    const char* text;
    bool hasPoint;
    std::vector<int> indices;
    int x, y;
};

class TargetPathParsing : public ::testing::TestWithParam<PathCase> {};

TEST_P(TargetPathParsing, ReadsIndicesAndPoint) {
    const TargetPath path = ParseTargetPath(GetParam().text);
    EXPECT_EQ(GetParam().hasPoint, path.hasPoint);
    EXPECT_EQ(GetParam().indices, path.indices);
    EXPECT_EQ(GetParam().x, path.x);
    EXPECT_EQ(GetParam().y, path.y);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TargetPathParsing,
    ::testing::Values(PathCase{"Empty", "", false, {}, 0, 0},
                      PathCase{"NumberWithoutSeparator", "17", false, {}, 0, 0},
                      PathCase{"PointOnly", "140;62", true, {}, 140, 62},
                      PathCase{"OneIndex", "2;140;62", true, {2}, 140, 62},
                      PathCase{"TwoIndices", "1;4;12;9", true, {1, 4}, 12, 9},
                      PathCase{"NegativePoint", "2;-5;-9", true, {2}, -5, -9},
                      PathCase{"ZeroIndex", "0;140;62", true, {0}, 140, 62},
                      PathCase{"NonNumericReadsZero", "x;1;y", true, {0}, 1, 0},
                      PathCase{"TrailingSeparator", "5;", true, {}, 5, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TargetPathFormat, PutsIndicesBeforeThePoint) {
    EXPECT_EQ("140;62", FormatTargetPath({}, 140, 62));
    EXPECT_EQ("1;4;-3;7", FormatTargetPath({1, 4}, -3, 7));
}

TEST(LeadingInteger, ReadsLikeAtoiButSaturates) {
    EXPECT_EQ(42, LeadingInteger("42abc"));
    EXPECT_EQ(-42, LeadingInteger("  -42"));
    EXPECT_EQ(7, LeadingInteger("+7"));
    EXPECT_EQ(0, LeadingInteger("abc"));
    EXPECT_EQ(0, LeadingInteger(""));
    EXPECT_EQ(INT_MAX, LeadingInteger("99999999999999999999"));
    EXPECT_EQ(INT_MIN, LeadingInteger("-99999999999999999999"));
    EXPECT_EQ(INT_MIN, LeadingInteger("-2147483648"));
}

} // namespace
