#include "editor/search/ByteFinder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

WidePattern::Variants VariantsOf(unsigned char folded, const FoldTable& fold)
{
    WidePattern::Variants variants;
    for (int byte = 0; byte < 256; ++byte) {
        if (fold[byte] != folded)
            continue;
        if (variants.count == WidePattern::kMaxVariants) {
            variants.count = WidePattern::kMaxVariants + 1;
            return variants;
        }
        variants.bytes[variants.count++] = static_cast<unsigned char>(byte);
    }
    return variants;
}

bool IsIdentity(const FoldTable& fold)
{
    for (int byte = 0; byte < 256; ++byte)
        if (fold[byte] != byte)
            return false;
    return true;
}

}  // namespace

void ByteFinder::Prepare(std::string_view foldedPattern, const FoldTable& fold, const QuickSearchTables& tables,
                         VectorScan vectorScan)
{
    pattern_.assign(foldedPattern.begin(), foldedPattern.end());
    tables_ = &tables;
    wide_.bytes = pattern_.data();
    wide_.length = pattern_.size();
    wide_.fold = &fold;
    wide_.identityFold = IsIdentity(fold);
    wide_.first = VariantsOf(pattern_.front(), fold);
    wide_.last = VariantsOf(pattern_.back(), fold);
    wideFind_ = narrowFind_ = nullptr;
#if defined(__x86_64__)
    if (vectorScan == VectorScan::None || wide_.first.count > WidePattern::kMaxVariants ||
        wide_.last.count > WidePattern::kMaxVariants)
        return;
    wideFind_ = SelectSse2Find(wide_);
    if (vectorScan == VectorScan::Best && __builtin_cpu_supports("avx2")) {
        narrowFind_ = wideFind_;
        wideFind_ = SelectAvx2Find(wide_);
    }
#else
    (void)vectorScan;
#endif
}

std::size_t ByteFinder::Find(std::string_view text, std::size_t from) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t length = pattern_.size();
    if (text.size() < length || from > text.size() - length)
        return npos;
    for (const WideFindFunction scan : {wideFind_, narrowFind_}) {
        if (!scan)
            break;
        const std::size_t found = scan(wide_, bytes, text.size(), from);
        if (found != npos || from > text.size() - length)
            return found;
    }
    const FoldTable& fold = *wide_.fold;
    return QuickSearchFind(bytes, text.size(), from, pattern_.data(), length, *tables_,
                           [&fold](unsigned char byte) { return fold[byte]; });
}

std::size_t FindEitherByte(std::string_view text, std::size_t from, unsigned char a, unsigned char b)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
#if defined(__SSE2__)
    if (size >= 16 && from < size) {
        const __m128i first = _mm_set1_epi8(static_cast<char>(a));
        const __m128i second = _mm_set1_epi8(static_cast<char>(b));
        const auto hits = [&](std::size_t at) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
            return static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second))));
        };
        std::size_t at = from;
        for (; at + 16 <= size; at += 16)
            if (const unsigned mask = hits(at))
                return at + static_cast<std::size_t>(__builtin_ctz(mask));
        // The last 16 bytes, without those already looked at.
        const std::size_t last = size - 16;
        const unsigned mask = hits(last) & (0xFFFFu << (at - last)) & 0xFFFFu;
        return mask ? last + static_cast<std::size_t>(__builtin_ctz(mask)) : ByteFinder::npos;
    }
#endif
    for (std::size_t at = from; at < size; ++at)
        if (bytes[at] == a || bytes[at] == b)
            return at;
    return ByteFinder::npos;
}
