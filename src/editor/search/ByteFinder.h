#pragma once
// Finds a folded byte pattern in a line of bytes; each byte of the line compares as fold[byte].
// On x86-64 it tests a block of windows at once with the widest vector instructions the processor
// has (see ByteFinderWide.h); lines too short for any block, and other processors, get the Quick
// Search scan.

#include "editor/search/ByteFinderWide.h"
#include "editor/search/QuickSearch.h"

#include <cstddef>
#include <string_view>
#include <vector>

// Which vector scan a finder may use; tests pin the narrower ones.
enum class VectorScan { Best, Sse2, None };

class ByteFinder {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    ByteFinder() = default;
    // The prepared scan points into the finder's own copy of the pattern.
    ByteFinder(const ByteFinder&) = delete;
    ByteFinder& operator=(const ByteFinder&) = delete;

    // `foldedPattern` is not empty and already folded; `fold` and `tables` must outlive the finder.
    void Prepare(std::string_view foldedPattern, const FoldTable& fold, const QuickSearchTables& tables,
                 VectorScan vectorScan = VectorScan::Best);

    // First start at or after `from`, or npos.
    std::size_t Find(std::string_view text, std::size_t from) const;

private:
    std::vector<unsigned char> pattern_;
    WidePattern wide_;
    // The widest scan first; the SSE2 one after AVX2 takes lines too short for a 32-window block.
    WideFindFunction wideFind_ = nullptr;
    WideFindFunction narrowFind_ = nullptr;
    const QuickSearchTables* tables_ = nullptr;
};

// First place at or after `from` holding byte `a` or byte `b`, or ByteFinder::npos.
std::size_t FindEitherByte(std::string_view text, std::size_t from, unsigned char a, unsigned char b);
