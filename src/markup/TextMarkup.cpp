#include "markup/TextMarkup.h"

#include "markup/MarkupPieces.h"

namespace {

const TTextStyleInfo kTextStyles[] = {
    {"Bold", 21, U"<b>", U"</b>"},
    {"Italic", 22, U"<i>", U"</i>"},
    {"Underline", 23, U"<u>", U"</u>"},
    {"Strike", 24, U"<s>", U"</s>"},
    {"Subscript", 26, U"<sub>", U"</sub>"},
    {"Superscript", 27, U"<sup>", U"</sup>"},
};

}  // namespace

const TTextStyleInfo& TextStyleInfo(TTextStyle style)
{
    return kTextStyles[static_cast<int>(style)];
}

TMarkup TextStyleMarkup(TTextStyle style, const std::u32string& text)
{
    const TTextStyleInfo& info = TextStyleInfo(style);
    TMarkup markup = WrappingMarkup(info.ClosingTag, text);
    markup << info.OpeningTag + text + info.ClosingTag;
    return markup;
}

TMarkup BreakMarkup()
{
    TMarkup markup;
    markup << U"<br>" + std::u32string(kLineBreak);
    return markup;
}

TMarkup CommentMarkup(const std::u32string& text)
{
    TMarkup markup;
    markup << U"<!-- " + text + U" -->" + std::u32string(kLineBreak);
    return markup;
}

TMarkup FontMarkup(const TFontFields& fields)
{
    TMarkup markup = WrappingMarkup(U"</font>", fields.Text);
    markup << U"<font";
    AddIfFilled(markup, U"face", fields.Face);
    AddIfFilled(markup, U"size", fields.Size);
    markup << U" color=\"#" + HtmlHex(fields.Color) + U"\">" + fields.Text + U"</font>";
    return markup;
}

TMarkup ParagraphMarkup(const std::u32string& alignment, const std::u32string& text)
{
    TMarkup markup = WrappingMarkup(U"</p>", text);
    markup << U"<p";
    AddIfFilled(markup, U"align", alignment);
    markup << U">" + text + U"</p>";
    return markup;
}

TMarkup HeaderMarkup(const THeaderFields& fields)
{
    const std::u32string closing = U"</h" + fields.Number + U">";
    TMarkup markup = WrappingMarkup(closing, fields.Text);
    markup << U"<h" + fields.Number;
    AddIfFilled(markup, U"align", fields.Alignment);
    markup << U">" + fields.Text + closing;
    return markup;
}
