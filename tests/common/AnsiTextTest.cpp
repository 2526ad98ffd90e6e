// Text quoted from other programs, walked by characters of a given code page
// (932: Japanese, two bytes for most characters; 1252: one byte each).
#include "common/AnsiText.h"

#include <gtest/gtest.h>

namespace {

// Two characters in code page 932 ("display", U+8868 U+793A): lead byte 0x95
// with a backslash for its second byte, then 0x8E 0xA6.
const std::string kShowing = "\x95\x5C\x8E\xA6";

TEST(AnsiText, ControlCharactersBecomeSpacesAndDoubleByteCharactersStay) {
    const struct {
        const char* name;
        std::string text;
        UINT codePage;
        std::string line;
    } cases[] = {
        {"line breaks and a tab", "Imaging\r\nStation\t2\n", 1252, "Imaging  Station 2 "},
        {"delete and a bell", "a\177b\a", 1252, "a b "},
        {"double-byte characters", "\r" + kShowing + "\n", 932, " " + kShowing + " "},
        {"nothing to do", "Capture", 932, "Capture"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.line, OnOneLine(c.text, c.codePage)) << c.name;
}

TEST(AnsiText, ACutFallsBetweenTwoCharacters) {
    const struct {
        std::string text;
        size_t maxBytes;
        UINT codePage;
        std::string cut;
    } cases[] = {
        {"ab" + kShowing, 3, 932, "ab"},             // not half of the first
        {"ab" + kShowing, 4, 932, "ab\x95\x5C"},     // the first whole
        {"ab" + kShowing, 5, 932, "ab\x95\x5C"},     // not half of the second
        {"ab" + kShowing, 6, 932, "ab" + kShowing},  // all of it
        {"ab" + kShowing, 60, 932, "ab" + kShowing}, // shorter than the limit
        {"ab" + kShowing, 3, 1252, "ab\x95"},        // single bytes only
        {"ab\x95", 3, 932, "ab\x95"},                // a lead byte at the end stands alone
        {"", 3, 932, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cut, CutBetweenCharacters(c.text, c.maxBytes, c.codePage))
            << c.maxBytes << " bytes in code page " << c.codePage;
}

} // namespace
