#pragma once
// A place in the text: 0-based line and 0-based character column in that line's decoding.
// The column may lie beyond the line's end (the caret may stand past the end of a line).

#include <compare>

struct TTextPosition {
    int Line = 0;
    int Column = 0;

    friend auto operator<=>(const TTextPosition&, const TTextPosition&) = default;
};
