#include "markup/FrameMarkup.h"

#include "markup/MarkupPieces.h"

TMarkup FrameSetMarkup(const std::u32string& rows, const std::u32string& columns, const std::u32string& border)
{
    const std::u32string br(kLineBreak);
    TMarkup markup;
    markup.Caret = TCaretRule::BeforeClosingTag;
    markup.ClosingLength = EditorLength(br + U"</frameset>");
    markup << U"<frameset";
    AddIfFilled(markup, U"rows", rows);
    AddIfFilled(markup, U"cols", columns);
    AddIfFilled(markup, U"border", border);
    markup << U">" + br + br + U"</frameset>";
    return markup;
}

TMarkup FrameMarkup(const TFrameFields& fields)
{
    TMarkup markup;
    markup << U"<frame";
    AddIfFilled(markup, U"name", fields.Name);
    AddIfFilled(markup, U"src", fields.FileName);
    AddIfFilled(markup, U"frameborder", fields.BorderWidth);
    AddIfFilled(markup, U"marginwidth", fields.MarginWidth);
    AddIfFilled(markup, U"marginheight", fields.MarginHeight);
    AddIfFilled(markup, U"scrolling", fields.Scrolling);
    markup << U">" + std::u32string(kLineBreak);
    return markup;
}
