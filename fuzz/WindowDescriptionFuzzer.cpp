// Window description records: any record parses, and formatting then parsing
// keeps the fields.
#include "FuzzCheck.h"
#include "RecordFuzzing.h"
#include "targeting/TargetRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool SameFields(const WindowDescription& a, const WindowDescription& b) {
    return a.present == b.present && a.refWidth == b.refWidth && a.refHeight == b.refHeight &&
           a.className == b.className && a.title == b.title;
}

// A record read from the settings file: whatever it holds, what was read
// formats to a record that reads the same again.
void CheckParsesAnything(const std::string& record) {
    const WindowDescription description = ParseWindowDescription(record);
    if (!description.present)
        return;
    FUZZ_CHECK(description.className.find('\t') == std::string::npos);
    FUZZ_CHECK(description.title.find('\t') == std::string::npos);
    const std::string again = FormatWindowDescription(description.refWidth, description.refHeight,
                                                      description.className, description.title);
    FUZZ_CHECK(SameFields(description, ParseWindowDescription(again)));
}

// A window the user chose. The TAB is the only separator after the sizes, so
// a class holding one cannot come back, and a title ends at its first TAB (old
// records carry junk after a second one).
void CheckRoundTrip(FuzzedDataProvider& provider) {
    const int width = provider.ConsumeIntegral<int>();
    const int height = provider.ConsumeIntegral<int>();
    const std::string className = provider.ConsumeRandomLengthString();
    const std::string title = provider.ConsumeRemainingBytesAsString();
    const WindowDescription back =
        ParseWindowDescription(FormatWindowDescription(width, height, className, title));
    FUZZ_CHECK(back.present);
    FUZZ_CHECK(back.refWidth == width);
    FUZZ_CHECK(back.refHeight == height);
    if (className.find('\t') != std::string::npos)
        return;
    FUZZ_CHECK(back.className == className);
    FUZZ_CHECK(back.title == title.substr(0, title.find('\t')));
    FUZZ_CHECK(back.IsBroadcast() == (className.empty() && back.title.empty()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzRecord(data, size, CheckParsesAnything, CheckRoundTrip);
    return 0;
}
