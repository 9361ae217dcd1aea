#pragma once
// The Quick Search scan over a sequence of characters (bytes or code points), comparing folded
// characters. The shift table has 256 entries indexed by the folded character's low byte; where
// code points share a low byte the entry keeps the smallest shift, which never skips a match.

#include <array>
#include <cstddef>
#include <cstdint>

struct QuickSearchTables {
    std::array<std::size_t, 256> shift{};
    std::size_t lookBack = 1;
};

// `foldedPattern` holds `length` characters, at least one.
template <typename Unit>
QuickSearchTables BuildQuickSearchTables(const Unit* foldedPattern, std::size_t length)
{
    QuickSearchTables tables;
    tables.shift.fill(length + 1);
    for (std::size_t j = 1; j <= length; ++j)
        tables.shift[static_cast<std::uint8_t>(foldedPattern[j - 1])] = length + 1 - j;
    // Distance back to the nearest earlier occurrence of the last character, or the length.
    const Unit last = foldedPattern[length - 1];
    std::size_t distance = 1;
    while (distance < length && foldedPattern[length - 1 - distance] != last)
        ++distance;
    tables.lookBack = distance;
    return tables;
}

// First start at or after `from` where the folded text equals the folded pattern, or `npos`.
// `fold` maps one text unit to the unit it compares as.
template <typename Unit, typename Fold>
std::size_t QuickSearchFind(const Unit* text, std::size_t textLength, std::size_t from, const Unit* pattern,
                            std::size_t patternLength, const QuickSearchTables& tables, Fold fold)
{
    constexpr std::size_t npos = static_cast<std::size_t>(-1);
    if (textLength < patternLength || from > textLength - patternLength)
        return npos;
    const Unit last = pattern[patternLength - 1];
    std::size_t end = from + patternLength - 1;  // index of the window's last character
    while (end < textLength) {
        const Unit atEnd = fold(text[end]);
        if (atEnd != last) {
            if (end + 1 >= textLength)
                return npos;
            end += tables.shift[static_cast<std::uint8_t>(fold(text[end + 1]))];
            continue;
        }
        const std::size_t start = end + 1 - patternLength;
        std::size_t k = 0;
        while (k + 1 < patternLength && fold(text[start + k]) == pattern[k])
            ++k;
        if (k + 1 == patternLength)
            return start;
        end += tables.lookBack;
        if (end >= textLength)
            return npos;
        end += tables.shift[static_cast<std::uint8_t>(fold(text[end]))] - 1;
    }
    return npos;
}
