#include "StoredText.h"

#include <cstdlib>

namespace {

constexpr int kBase = 21;
constexpr char kDigits[] = "0123456789abcdefghijk";

// Reverses the order of characters, keeping a double-byte character whole.
// A lead byte at the very end has no trail byte and counts as one character.
void ReverseCharacters(std::string& text, LeadBytePredicate isLeadByte) {
    std::string reversed(text.size(), '\0');
    size_t out = text.size();
    for (size_t i = 0; i < text.size();) {
        size_t width = 1;
        if (isLeadByte && i + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[i])))
            width = 2;
        out -= width;
        reversed.replace(out, width, text, i, width);
        i += width;
    }
    text.swap(reversed);
}

// One pair of digits, converted exactly as strtol would see it as a C string.
unsigned char ParseDigitPair(const std::string& text, size_t at) {
    char pair[3] = {text[at], at + 1 < text.size() ? text[at + 1] : '\0', '\0'};
    return static_cast<unsigned char>(std::strtol(pair, nullptr, kBase));
}

} // namespace

void EncodeStoredText(std::string& text, LeadBytePredicate isLeadByte) {
    if (text.empty())
        return;
    ReverseCharacters(text, isLeadByte);
    std::string encoded;
    encoded.reserve(text.size() * 2);
    unsigned char previous = 0;
    for (char c : text) {
        const unsigned char e = static_cast<unsigned char>(c) ^ previous;
        encoded += kDigits[e / kBase];
        encoded += kDigits[e % kBase];
        previous = e;
    }
    text.swap(encoded);
}

void DecodeStoredText(std::string& text, LeadBytePredicate isLeadByte) {
    if (text.empty())
        return;
    std::string bytes;
    bytes.reserve(text.size() / 2 + 1);
    for (size_t at = 0; at < text.size(); at += 2)
        bytes += static_cast<char>(ParseDigitPair(text, at));
    // Undo the chain from the end, while the previous byte is still encoded.
    for (size_t j = bytes.size() - 1; j >= 1; --j)
        bytes[j] = static_cast<char>(bytes[j] ^ bytes[j - 1]);
    // The text was a C string: a NUL byte ends it.
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos)
        bytes.resize(nul);
    ReverseCharacters(bytes, isLeadByte);
    text.swap(bytes);
}
