#include "DoubleByteText.h"

#include <windows.h>

bool InDoubleByteCodePage() {
    return GetACP() == kDoubleByteCodePage;
}

std::string DoubleByteTitle(const std::string& prefix, size_t count) {
    // "display image": the first one's second byte in code page 932 is 0x5C.
    const wchar_t kWords[] = L"\u8868\u793A\u753B\u50CF";
    std::wstring wide;
    for (size_t i = 0; i < count; ++i)
        wide += kWords[i % 4];
    std::string text(wide.size() * 2, '\0');
    const int length =
        WideCharToMultiByte(kDoubleByteCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                            &text[0], static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return prefix + text;
}

::testing::AssertionResult CutBetweenCharacters(const std::string& shown, const std::string& whole,
                                                size_t limit) {
    if (whole.compare(0, shown.size(), shown) != 0)
        return ::testing::AssertionFailure()
               << "\"" << shown << "\" does not begin \"" << whole << "\"";
    if (shown.size() > limit)
        return ::testing::AssertionFailure() << shown.size() << " bytes, more than " << limit;
    // The system's own converter refuses a character cut in two.
    if (!shown.empty() &&
        MultiByteToWideChar(kDoubleByteCodePage, MB_ERR_INVALID_CHARS, shown.data(),
                            static_cast<int>(shown.size()), nullptr, 0) == 0)
        return ::testing::AssertionFailure() << "it ends in the middle of a character";
    if (shown.size() < whole.size()) {
        const size_t next =
            IsDBCSLeadByteEx(kDoubleByteCodePage, static_cast<BYTE>(whole[shown.size()])) ? 2 : 1;
        if (shown.size() + next <= limit)
            return ::testing::AssertionFailure()
                   << "cut at " << shown.size() << " bytes where the next character still fit";
    }
    return ::testing::AssertionSuccess();
}
