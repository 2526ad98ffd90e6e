#include "AnsiText.h"

namespace {

// The bytes of the character at `at`: a lead byte cut off at the end of the
// text stands alone.
size_t CharacterSize(const std::string& text, size_t at, UINT codePage) {
    const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[at])) != FALSE;
    return lead && at + 1 < text.size() ? 2 : 1;
}

} // namespace

std::string OnOneLine(const std::string& text, UINT codePage) {
    std::string line = text;
    for (size_t at = 0; at < line.size(); at += CharacterSize(line, at, codePage)) {
        const auto byte = static_cast<unsigned char>(line[at]);
        if (byte < 0x20 || byte == 0x7F)
            line[at] = ' ';
    }
    return line;
}

std::string CutBetweenCharacters(const std::string& text, size_t maxBytes, UINT codePage) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = end + CharacterSize(text, end, codePage);
        if (next > maxBytes)
            break;
        end = next;
    }
    return text.substr(0, end);
}
