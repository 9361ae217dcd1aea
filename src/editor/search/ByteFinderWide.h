#pragma once
// The vector scans behind ByteFinder: what a scan is given, and how one is chosen. Each instruction
// set has its own translation unit, built with that set enabled (see ByteFinderWideScan.h).

#include <array>
#include <cstddef>

using FoldTable = std::array<unsigned char, 256>;

struct WidePattern {
    static constexpr std::size_t kMaxVariants = 4;
    struct Variants {
        unsigned char bytes[kMaxVariants] = {};
        std::size_t count = 0;  // kMaxVariants + 1: too many for the vector test
    };

    const unsigned char* bytes = nullptr;  // folded pattern
    std::size_t length = 0;
    const FoldTable* fold = nullptr;
    bool identityFold = false;
    Variants first, last;
};

// First window start in [from, textLength - length] whose text equals the pattern, or npos. Tests
// only while a whole block fits; on no match, `from` is left at the first window it did not test.
using WideFindFunction = std::size_t (*)(const WidePattern& pattern, const unsigned char* text,
                                         std::size_t textLength, std::size_t& from);

WideFindFunction SelectSse2Find(const WidePattern& pattern);
WideFindFunction SelectAvx2Find(const WidePattern& pattern);
