#include "markup/LinkMarkup.h"

#include "markup/MarkupPieces.h"

namespace {

// The window name written after " target=\"_", by target.
const char32_t* const kTargetNames[] = {U"", U"self", U"blank", U"parent", U"top"};

}  // namespace

TMarkup LinkMarkup(const TLinkFields& fields)
{
    TMarkup markup = WrappingMarkup(U"</a>", fields.Text);
    markup << U"<a href=\"" + fields.Url + U"\"";
    if (fields.Target != TLinkTarget::DefaultWindow)
        markup << U" target=\"_" << kTargetNames[static_cast<int>(fields.Target)] << U"\"";
    AddIfFilled(markup, U"title", fields.Title);
    markup << U">" + fields.Text + U"</a>";
    return markup;
}

TMarkup ImageMarkup(const TImageFields& fields)
{
    TMarkup markup;
    markup << U"<img src=\"" + fields.FileName + U"\"";
    AddIfFilled(markup, U"width", fields.Width);
    AddIfFilled(markup, U"height", fields.Height);
    AddIfFilled(markup, U"align", fields.Alignment);
    AddIfFilled(markup, U"title", fields.Title);
    AddIfFilled(markup, U"alt", fields.Alt);
    AddIfFilled(markup, U"border", fields.BorderWidth);
    markup << U" bordercolor=\"" + HtmlHex(fields.BorderColor) + U"\">";
    return markup;
}

TMarkup SoundMarkup(const std::u32string& fileName, const std::u32string& repeatCount)
{
    TMarkup markup;
    markup << U"<bgsound src=\"" + fileName + U"\"";
    AddIfFilled(markup, U"loop", repeatCount);
    markup << U">" + std::u32string(kLineBreak);
    return markup;
}
