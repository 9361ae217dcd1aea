#include "editor/print/PrintLayout.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

int ToDots(double millimetres, double dotsPerMillimetre, int unprintable)
{
    return static_cast<int>(std::lround(millimetres * dotsPerMillimetre - unprintable));
}

bool StartsCharacter(char byte, TDocumentEncoding encoding)
{
    return encoding == TDocumentEncoding::Windows1252 || (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

bool IsFirstPassBreak(char c) { return c == '\t' || c == ' ' || c == ',' || c == '-'; }
bool IsSecondPassBreak(char c) { return c == ')' || c == '.' || c == ';'; }

// One pass over the line: wraps after the last break character seen once the row since the
// previous wrap has grown past maxColumns; stops as soon as the rest fits.
void BreakPass(std::string_view line, TDocumentEncoding encoding, int maxColumns, bool (*isBreak)(char),
               std::vector<std::size_t>& positions)
{
    const std::size_t total = CharacterCount(line, encoding);
    std::size_t rowStart = 0;  // columns
    std::size_t column = 0;
    std::size_t remembered = 0;  // byte offset, 0 for none
    std::size_t rememberedColumn = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (!StartsCharacter(line[at], encoding))
            continue;
        if (column - rowStart + 1 > static_cast<std::size_t>(maxColumns) && remembered != 0) {
            positions.push_back(remembered);
            rowStart = rememberedColumn;
            remembered = 0;
            if (total - rowStart <= static_cast<std::size_t>(maxColumns))
                return;
        }
        if (isBreak(line[at])) {
            remembered = at + 1;
            rememberedColumn = column + 1;
        }
        ++column;
    }
}

// Adds cuts every maxColumns characters inside rows that are still too long.
void CutLongRows(std::string_view line, TDocumentEncoding encoding, int maxColumns,
                 std::vector<std::size_t>& positions)
{
    std::vector<std::size_t> soft;
    soft.swap(positions);
    std::size_t nextSoft = 0;
    int rowColumns = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (!StartsCharacter(line[at], encoding))
            continue;
        if (nextSoft < soft.size() && soft[nextSoft] == at) {
            positions.push_back(at);
            ++nextSoft;
            rowColumns = 0;
        } else if (rowColumns == maxColumns) {
            positions.push_back(at);
            rowColumns = 0;
        }
        ++rowColumns;
    }
}

}  // namespace

TPageGeometry ComputePageGeometry(const TEditPrintMargins& margins, const TEditPrinterInfo& printer,
                                  int lineNumberWidth)
{
    const double dx = printer.XDotsPerMillimetre();
    const double dy = printer.YDotsPerMillimetre();
    TPageGeometry g;
    g.MarginLeft = ToDots(margins.InMillimetres(margins.Left + margins.Gutter), dx, printer.LeftOffset);
    g.TextLeft = g.MarginLeft + lineNumberWidth;
    g.TextRight = printer.PrintableWidth - ToDots(margins.InMillimetres(margins.Right), dx, printer.RightOffset());
    g.TextTop = ToDots(margins.InMillimetres(margins.Top), dy, printer.TopOffset);
    g.TextBottom = printer.PrintableHeight - ToDots(margins.InMillimetres(margins.Bottom), dy, printer.BottomOffset());
    g.HeaderLine = ToDots(margins.InMillimetres(margins.Header), dy, printer.TopOffset);
    g.FooterLine = printer.PrintableHeight - ToDots(margins.InMillimetres(margins.Footer), dy, printer.BottomOffset());
    g.InternalMargin = static_cast<int>(std::lround(margins.InMillimetres(margins.HFInternalMargin) * dy));
    g.HeaderFooterLeft = g.MarginLeft + static_cast<int>(std::lround(margins.InMillimetres(margins.LeftHFTextIndent) * dx));
    g.HeaderFooterRight = g.TextRight - static_cast<int>(std::lround(margins.InMillimetres(margins.RightHFTextIndent) * dx));
    return g;
}

int CountColumns(TPrintDevice& device, const TEditorFont& font, int width)
{
    constexpr FontStyles allStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    std::string text;
    for (int measured = 0; measured < width;) {
        text += 'W';
        const int grown = device.TextWidth(font, allStyles, text);
        // A font that gives "W" no width would never fill the line.
        if (grown <= measured)
            return std::max(1, width);
        measured = grown;
    }
    return std::max(1, static_cast<int>(text.size()) - 1);
}

void FindWrapPositions(std::string_view line, TDocumentEncoding encoding, int maxColumns,
                       std::vector<std::size_t>& positions)
{
    positions.clear();
    // Bytes never count fewer than characters, so a short line needs no counting.
    if (line.size() <= static_cast<std::size_t>(maxColumns) ||
        CharacterCount(line, encoding) <= static_cast<std::size_t>(maxColumns))
        return;
    BreakPass(line, encoding, maxColumns, IsFirstPassBreak, positions);
    if (positions.empty())
        BreakPass(line, encoding, maxColumns, IsSecondPassBreak, positions);
    CutLongRows(line, encoding, maxColumns, positions);
}

std::vector<TPrintPageStart> Paginate(int lineCount, const std::function<int(int line)>& rowCount,
                                      const TPageGeometry& geometry, int lineHeight)
{
    std::vector<TPrintPageStart> pages{{0, 0}};
    int height = geometry.TextTop;
    bool pageHasRows = false;
    for (int line = 0; line < lineCount; ++line) {
        const int rows = rowCount(line);
        for (int row = 0; row < rows; ++row) {
            if (pageHasRows && geometry.TextBottom < height + lineHeight) {
                pages.push_back({line, row});
                height = geometry.TextTop;
            }
            height += lineHeight;
            pageHasRows = true;
        }
    }
    return pages;
}
