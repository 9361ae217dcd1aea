#include "editor/search/UnicodeTables.h"

#include <algorithm>

using namespace unicode_tables;

char32_t SimpleLowerCase(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    const LowerCaseRun* end = kLowerCaseRuns + kLowerCaseRunCount;
    // First run whose last code point is not below cp.
    const LowerCaseRun* run =
        std::lower_bound(kLowerCaseRuns, end, cp, [](const LowerCaseRun& r, char32_t c) { return r.last < c; });
    if (run == end || cp < run->first || (cp - run->first) % run->stride != 0)
        return cp;
    return char32_t(std::int32_t(cp) + run->delta);
}

bool IsWordCharacter(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') || cp == '_';
    const CodePointRange* end = kWordRanges + kWordRangeCount;
    const CodePointRange* range =
        std::lower_bound(kWordRanges, end, cp, [](const CodePointRange& r, char32_t c) { return r.last < c; });
    return range != end && cp >= range->first;
}
