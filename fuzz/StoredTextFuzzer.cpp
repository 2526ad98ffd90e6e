// Stored-text codec: decoding arbitrary bytes must be safe, and decoding what
// was encoded must give the text back.
#include "FuzzCheck.h"
#include "settings/StoredText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Lead bytes of code page 932 (Shift JIS), a double-byte code page Snap meets.
bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9f) || (byte >= 0xe0 && byte <= 0xfc);
}

// Whether the text, read character by character as the codec reads it, ends in
// a lead byte with no trail byte. Such a text cannot come back: its last byte
// is one character, reversed to the front, where it leads a pair with the byte
// after it. "a" + lead and lead + "a" are one stored text; neither is a whole
// text in that code page.
bool EndsInLoneLeadByte(const std::string& text, LeadBytePredicate isLeadByte) {
    size_t i = 0;
    while (i + 1 < text.size())
        i += isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i + 1 == text.size() && isLeadByte(static_cast<unsigned char>(text[i]));
}

void CheckDecodesAnything(const std::string& stored, LeadBytePredicate isLeadByte) {
    std::string text = stored;
    DecodeStoredText(text, isLeadByte);
    FUZZ_CHECK(text.size() <= (stored.size() + 1) / 2);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
}

void CheckRoundTrip(const std::string& plain, LeadBytePredicate isLeadByte) {
    std::string text = plain;
    EncodeStoredText(text, isLeadByte);
    FUZZ_CHECK(text.size() == plain.size() * 2);
    FUZZ_CHECK(text.find_first_not_of("0123456789abcdefghijk") == std::string::npos);
    DecodeStoredText(text, isLeadByte);
    FUZZ_CHECK(text.size() == plain.size());
    if (isLeadByte == nullptr || !EndsInLoneLeadByte(plain, isLeadByte))
        FUZZ_CHECK(text == plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckDecodesAnything(input, nullptr);
    CheckDecodesAnything(input, IsCp932LeadByte);

    // A stored text is a C string: the plain text never holds a NUL.
    std::string plain = input;
    plain.erase(std::remove(plain.begin(), plain.end(), '\0'), plain.end());
    CheckRoundTrip(plain, nullptr);
    CheckRoundTrip(plain, IsCp932LeadByte);
    return 0;
}
