#pragma once
// The vector scan, shared by the units of each instruction set: tests a block of windows at once
// (16 with SSE2, 32 with AVX2) against the pattern's first and last byte and every byte folding to
// them, and compares the rest of the pattern only where both agree.

#include "editor/search/ByteFinderWide.h"

#include <cstring>

// Internal linkage on purpose: each instruction set's unit must keep its own copy of these, so the
// linker can never hand the AVX2-built code to a machine that only runs the SSE2 path.
namespace {

inline bool WideMatchesAt(const WidePattern& pattern, const unsigned char* window)
{
    const std::size_t length = pattern.length;
    if (length <= 2)
        return true;  // first and last byte were already compared
    if (pattern.identityFold)
        return std::memcmp(window + 1, pattern.bytes + 1, length - 2) == 0;
    const FoldTable& fold = *pattern.fold;
    for (std::size_t k = 1; k + 1 < length; ++k)
        if (fold[window[k]] != pattern.bytes[k])
            return false;
    return true;
}

// Ops: the vector type and its operations for one instruction set. FirstCount and LastCount fix
// the number of variants at compile time; 0 reads it from the pattern.
template <typename Ops, std::size_t FirstCount, std::size_t LastCount>
std::size_t WideFind(const WidePattern& pattern, const unsigned char* text, std::size_t textLength,
                     std::size_t& from)
{
    constexpr std::size_t npos = static_cast<std::size_t>(-1);
    constexpr std::size_t width = Ops::kWidth;
    using Vec = typename Ops::Vec;
    const std::size_t length = pattern.length;
    const std::size_t windowCount = textLength - length + 1;
    if (windowCount < width)
        return npos;
    const std::size_t firstCount = FirstCount ? FirstCount : pattern.first.count;
    const std::size_t lastCount = LastCount ? LastCount : pattern.last.count;
    Vec firstVariants[WidePattern::kMaxVariants], lastVariants[WidePattern::kMaxVariants];
    for (std::size_t i = 0; i < firstCount; ++i)
        firstVariants[i] = Ops::Splat(pattern.first.bytes[i]);
    for (std::size_t i = 0; i < lastCount; ++i)
        lastVariants[i] = Ops::Splat(pattern.last.bytes[i]);

    const auto candidates = [&](std::size_t base) {
        const Vec head = Ops::Load(text + base);
        const Vec tail = Ops::Load(text + base + length - 1);
        Vec headEqual = Ops::Equal(head, firstVariants[0]);
        for (std::size_t i = 1; i < firstCount; ++i)
            headEqual = Ops::Or(headEqual, Ops::Equal(head, firstVariants[i]));
        Vec tailEqual = Ops::Equal(tail, lastVariants[0]);
        for (std::size_t i = 1; i < lastCount; ++i)
            tailEqual = Ops::Or(tailEqual, Ops::Equal(tail, lastVariants[i]));
        return Ops::Mask(Ops::And(headEqual, tailEqual));
    };
    const auto firstMatch = [&](std::size_t base, typename Ops::MaskType mask) {
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t start = base + static_cast<std::size_t>(__builtin_ctzll(mask));
            if (WideMatchesAt(pattern, text + start))
                return start;
        }
        return npos;
    };

    std::size_t base = from;
    for (; base + width <= windowCount; base += width) {
        const auto mask = candidates(base);
        if (mask != 0) {
            const std::size_t found = firstMatch(base, mask);
            if (found != npos)
                return found;
        }
    }
    if (base < windowCount) {
        // The last block ends at the last window; windows before `base` were tested already.
        const std::size_t lastBase = windowCount - width;
        const auto untested = static_cast<typename Ops::MaskType>(Ops::kFullMask << (base - lastBase));
        const std::size_t found = firstMatch(lastBase, candidates(lastBase) & untested);
        if (found != npos)
            return found;
    }
    from = windowCount;
    return npos;
}

template <typename Ops>
WideFindFunction SelectWideFind(const WidePattern& pattern)
{
    if (pattern.first.count == 1 && pattern.last.count == 1)
        return &WideFind<Ops, 1, 1>;
    if (pattern.first.count == 2 && pattern.last.count == 2)
        return &WideFind<Ops, 2, 2>;
    return &WideFind<Ops, 0, 0>;
}

}  // namespace
