#pragma once
// The mark-up of the commands that style text: the six text styles, the line break, the comment,
// and the font, paragraph and heading elements. Field values are written exactly as typed; an
// empty string stands for an empty field or a drop-down list with no choice.

#include "markup/InsertionRules.h"

#include <cstdint>
#include <string>

enum class TTextStyle { Bold, Italic, Underline, Strike, Subscript, Superscript };

// What a text style command shows and writes.
struct TTextStyleInfo {
    const char* Caption;  // the "Text" dialog's caption while the command runs
    int HelpContext;
    const char32_t* OpeningTag;
    const char32_t* ClosingTag;
};
const TTextStyleInfo& TextStyleInfo(TTextStyle style);

TMarkup TextStyleMarkup(TTextStyle style, const std::u32string& text);
TMarkup BreakMarkup();
TMarkup CommentMarkup(const std::u32string& text);

struct TFontFields {
    std::u32string Face;  // one of the fixed face names, or empty
    std::u32string Size;
    std::uint32_t Color = 0x000000;  // 0xRRGGBB
    std::u32string Text;
};
TMarkup FontMarkup(const TFontFields& fields);

TMarkup ParagraphMarkup(const std::u32string& alignment, const std::u32string& text);

struct THeaderFields {
    std::u32string Number = U"1";  // "1" to "6"
    std::u32string Alignment;
    std::u32string Text;
};
TMarkup HeaderMarkup(const THeaderFields& fields);
