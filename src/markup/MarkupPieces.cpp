#include "markup/MarkupPieces.h"

#include "markup/ColorToHtmlHex.h"

std::u32string HtmlHex(std::uint32_t colour)
{
    const std::string digits = ColorToHtmlHex(colour);
    return std::u32string(digits.begin(), digits.end());
}

void AddIfFilled(TMarkup& markup, std::u32string_view name, const std::u32string& value)
{
    if (!value.empty()) markup << U" " + std::u32string(name) + U"=\"" + value + U"\"";
}

TMarkup WrappingMarkup(std::u32string_view closingTag, const std::u32string& innerText)
{
    TMarkup markup;
    markup.Caret = TCaretRule::InnerTextSelection;
    markup.ClosingLength = EditorLength(closingTag);
    markup.InnerText = innerText;
    return markup;
}
