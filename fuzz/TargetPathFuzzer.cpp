// Target paths: any text parses, however many indices it holds, and
// formatting then parsing keeps the indices and the point.
#include "FuzzCheck.h"
#include "RecordFuzzing.h"
#include "targeting/TargetRecords.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool SamePath(const TargetPath& a, const TargetPath& b) {
    return a.hasPoint == b.hasPoint && a.indices == b.indices && a.x == b.x && a.y == b.y;
}

void CheckParsesAnything(const std::string& text) {
    const TargetPath path = ParseTargetPath(text);
    const size_t separators = static_cast<size_t>(std::count(text.begin(), text.end(), ';'));
    FUZZ_CHECK(path.hasPoint == (separators > 0));
    FUZZ_CHECK(path.indices.size() == (separators > 0 ? separators - 1 : 0));
    if (path.hasPoint)
        FUZZ_CHECK(SamePath(path, ParseTargetPath(FormatTargetPath(path.indices, path.x, path.y))));
}

// The indices come four bytes each, so a long input is a deep path. One run in
// eight repeats them to thousands of ancestors, more than an input spells out;
// more often would slow the fuzzer down to little gain.
void CheckRoundTrip(FuzzedDataProvider& provider) {
    const int x = provider.ConsumeIntegral<int>();
    const int y = provider.ConsumeIntegral<int>();
    const bool deep = provider.ConsumeIntegralInRange<int>(0, 7) == 0;
    const size_t count = deep ? provider.ConsumeIntegralInRange<size_t>(1000, 5000) : 0;
    std::vector<int> given;
    while (provider.remaining_bytes() > 0)
        given.push_back(provider.ConsumeIntegral<int>());
    std::vector<int> indices;
    for (size_t i = 0; i < std::max(count, given.size()); ++i)
        indices.push_back(given.empty() ? 0 : given[i % given.size()]);
    const TargetPath back = ParseTargetPath(FormatTargetPath(indices, x, y));
    FUZZ_CHECK(back.hasPoint);
    FUZZ_CHECK(back.indices == indices);
    FUZZ_CHECK(back.x == x);
    FUZZ_CHECK(back.y == y);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzRecord(data, size, CheckParsesAnything, CheckRoundTrip);
    return 0;
}
