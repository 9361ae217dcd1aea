#pragma once
// The mark-up of a whole table: the table element with its attributes, an optional caption, then
// the head row, the body rows and the foot row, one element per line with a fixed indentation.

#include "markup/InsertionRules.h"

#include <cstdint>
#include <string>
#include <vector>

struct TTableFields {
    std::u32string Alignment;  // empty: no choice
    std::u32string Width;
    std::uint32_t BackgroundColor = 0xFFFFFF;
    std::u32string CellPadding;
    std::u32string CellSpacing;
    std::u32string BorderWidth;
    std::uint32_t BorderColor = 0x000000;
    std::u32string Title;
    bool Head = true;
    bool Foot = true;
    // One cell per column; the body one row of cells per table row.
    std::vector<std::u32string> HeadCells;
    std::vector<std::vector<std::u32string>> BodyRows;
    std::vector<std::u32string> FootCells;
};

TMarkup TableMarkup(const TTableFields& fields);
