#include "highlight/HtmlCharRefs.h"

namespace {

// The references grouped by the byte after "&", each group in table order, so that a look-up tries
// only the few names that can match and still finds the one the full table order would find.
struct TReferenceIndex {
    std::array<std::uint16_t, 257> groupStart{};
    std::array<std::uint8_t, kNamedCharacterReferences.size()> order{};
};

constexpr TReferenceIndex kReferenceIndex = [] {
    TReferenceIndex index;
    std::array<std::uint16_t, 256> count{};
    for (const auto name : kNamedCharacterReferences)
        ++count[static_cast<unsigned char>(name[1])];
    for (int c = 0; c < 256; ++c)
        index.groupStart[c + 1] = static_cast<std::uint16_t>(index.groupStart[c] + count[c]);
    std::array<std::uint16_t, 256> next{};
    for (int c = 0; c < 256; ++c)
        next[c] = index.groupStart[c];
    for (std::size_t i = 0; i < kNamedCharacterReferences.size(); ++i)
        index.order[next[static_cast<unsigned char>(kNamedCharacterReferences[i][1])]++] =
            static_cast<std::uint8_t>(i);
    return index;
}();

}  // namespace

int FindNamedCharacterReference(std::string_view line, std::size_t at)
{
    if (at + 1 >= line.size())
        return -1;
    const char* rest = line.data() + at;
    const std::size_t available = line.size() - at;
    const auto group = static_cast<unsigned char>(rest[1]);
    for (int k = kReferenceIndex.groupStart[group]; k < kReferenceIndex.groupStart[group + 1]; ++k) {
        const int i = kReferenceIndex.order[k];
        const std::string_view name = kNamedCharacterReferences[i];
        if (name.size() > available)
            continue;
        // Names are a few bytes long: a plain loop beats a call to memcmp.
        std::size_t j = 2;
        while (j < name.size() && rest[j] == name[j])
            ++j;
        if (j == name.size())
            return i;
    }
    return -1;
}
