#include "markup/TableMarkup.h"

#include "markup/MarkupPieces.h"

namespace {

void Line(TMarkup& markup, std::u32string text)
{
    markup << std::move(text) + std::u32string(kLineBreak);
}

// A one-row section: head or foot. The two differ only in the row's start and end lines.
void Section(TMarkup& markup, std::u32string_view tag, std::u32string_view rowStart,
             const std::vector<std::u32string>& cells)
{
    Line(markup, U"<" + std::u32string(tag) + U">");
    Line(markup, std::u32string(rowStart));
    for (const std::u32string& cell : cells) Line(markup, U" <td>" + cell + U"</td>");
    Line(markup, U"</tr>");
    Line(markup, U"</" + std::u32string(tag) + U">");
}

}  // namespace

TMarkup TableMarkup(const TTableFields& fields)
{
    TMarkup markup;
    markup << U"<table";
    AddIfFilled(markup, U"align", fields.Alignment);
    AddIfFilled(markup, U"width", fields.Width);
    markup << U" bgcolor=\"#" + HtmlHex(fields.BackgroundColor) + U"\"";
    AddIfFilled(markup, U"padding", fields.CellPadding);
    AddIfFilled(markup, U"spacing", fields.CellSpacing);
    AddIfFilled(markup, U"border", fields.BorderWidth);
    Line(markup, U" bordercolor=\"#" + HtmlHex(fields.BorderColor) + U"\">");
    if (!fields.Title.empty()) Line(markup, U"<caption>" + fields.Title + U"</caption>");
    if (fields.Head) Section(markup, U"thead", U" <tr>", fields.HeadCells);
    Line(markup, U"<tbody>");
    for (const std::vector<std::u32string>& row : fields.BodyRows) {
        Line(markup, U" <tr>");
        for (const std::u32string& cell : row) Line(markup, U"  <td>" + cell + U"</td>");
        Line(markup, U" </tr>");
    }
    Line(markup, U"</tbody>");
    if (fields.Foot) Section(markup, U"tfoot", U"<tr>", fields.FootCells);
    Line(markup, U"</table>");
    return markup;
}
