#pragma once
// Small helpers the mark-up builders share: colours in pieces, attributes written only when their
// field holds something, and wrapping mark-up that selects its inner text again.

#include "markup/InsertionRules.h"

#include <cstdint>
#include <string>
#include <string_view>

// ColorToHtmlHex as a piece of text (six upper-case digits, no "#").
std::u32string HtmlHex(std::uint32_t colour);

// Appends the piece ` name="value"` when value is not empty; a field of blanks counts as filled.
void AddIfFilled(TMarkup& markup, std::u32string_view name, const std::u32string& value);

// Empty mark-up with the inner-text selection rule for a text closed by closingTag.
TMarkup WrappingMarkup(std::u32string_view closingTag, const std::u32string& innerText);
