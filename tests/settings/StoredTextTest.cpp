#include "settings/StoredText.h"

#include <gtest/gtest.h>

namespace {

std::string Encoded(std::string text, LeadBytePredicate lead = nullptr) {
    EncodeStoredText(text, lead);
    return text;
}

std::string Decoded(std::string text, LeadBytePredicate lead = nullptr) {
    DecodeStoredText(text, lead);
    return text;
}

struct CodecCase {
    const char* plain;
    const char* encoded;
};

// Both directions hold for these.
const CodecCase kCodecCases[] = {
    {"abc", "4f014c"}, // "cba" chained: 99, 1, 96
    {"", ""},
    {"a", "4d"},                 // 97 = 4 * 21 + 13
    {"\xff", "c3"},              // 255 = 12 * 21 + 3
    {"aa", "4d00"},              // a byte equal to the previous encoded one gives 0
    {"0;0;\t", "0928022f09"},    // the broadcast description
};

class StoredTextCodec : public ::testing::TestWithParam<CodecCase> {};

TEST_P(StoredTextCodec, EncodesToTheStoredForm) {
    EXPECT_EQ(GetParam().encoded, Encoded(GetParam().plain));
}

TEST_P(StoredTextCodec, DecodesBackToThePlainText) {
    EXPECT_EQ(GetParam().plain, Decoded(GetParam().encoded));
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, StoredTextCodec, ::testing::ValuesIn(kCodecCases));

struct MalformedCase {
    const char* name;
    const char* stored;
    const char* plain;
};

// Decoding never fails: it follows strtol's rules pair by pair.
const MalformedCase kMalformedCases[] = {
    {"UpperCaseDigitsCountLikeLowerCase", "4F014C", "abc"},
    {"MixedCase", "4f014C", "abc"},
    {"OddLengthLeavesALastSingleDigit", "4f014", "\x05" "bc"},
    {"NonDigitPairIsZeroAndEndsTheText", "zz4f", ""},
    {"NonDigitSecondCharacterEndsTheNumber", "4z", "\x04"},
    {"DigitBeyondBase21IsNotADigit", "4l", "\x04"},
    {"LeadingSpaceIsSkippedLikeStrtol", " 4", "\x04"},
    {"SignIsReadLikeStrtol", "-1", "\xff"},
    {"PairAbove255KeepsTheLowByte", "kk", "\xb8"}, // 440 & 0xff
};

class StoredTextMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(StoredTextMalformed, DecodesWithoutError) {
    EXPECT_EQ(std::string(GetParam().plain), Decoded(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Input, StoredTextMalformed, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoredText, EncodedTextHoldsOnlyDigitsAndLowerCaseLetters) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string encoded = Encoded(all);
    ASSERT_EQ(all.size() * 2, encoded.size());
    EXPECT_EQ(std::string::npos, encoded.find_first_not_of("0123456789abcdefghijk"));
    EXPECT_EQ(all, Decoded(encoded));
}

TEST(StoredText, LongTextRoundTrips) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += static_cast<char>('A' + i % 50);
    EXPECT_EQ(text, Decoded(Encoded(text)));
}

bool HighBitIsLead(unsigned char byte) { return byte >= 0x81; }

TEST(StoredText, DoubleByteCharactersStayWholeWhenReversed) {
    const std::string text = "a\x82\x41" "b"; // 'a', one double-byte character, 'b'
    // Encoding reverses characters, so its first byte is the last character.
    const std::string encoded = Encoded(text, HighBitIsLead);
    EXPECT_EQ(Encoded(std::string(1, 'b')).substr(0, 2), encoded.substr(0, 2));
    EXPECT_EQ(text, Decoded(encoded, HighBitIsLead));
    // Without the predicate the same bytes reverse one by one: another text.
    EXPECT_NE(Encoded(text), encoded);
}

} // namespace
