#include "editor/print/EditPrint.h"

#include "editor/text/HighlightStore.h"
#include "highlight/CustomHighlighter.h"

#include <algorithm>

namespace {

constexpr FontStyles kGridStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

// A character of the page as printed: control characters, a kept tab among them, take one blank cell.
std::u32string PrintedText(std::string_view bytes, TDocumentEncoding encoding)
{
    std::u32string text = DecodeText(bytes, encoding);
    std::replace_if(text.begin(), text.end(), [](char32_t c) { return c < 0x20; }, U' ');
    return text;
}

std::u32string Ascii(const std::string& text) { return std::u32string(text.begin(), text.end()); }

}  // namespace

TEditPrint::TEditPrint()
{
    font_.PixelHeight = 11;
}

void TEditPrint::SetLines(const std::vector<std::string>& lines, TDocumentEncoding encoding)
{
    lines_.Clear(encoding);
    for (const std::string& line : lines)
        lines_.Add(ExpandTabs(line, TabWidth, encoding));
    layoutStale_ = statesStale_ = true;
}

void TEditPrint::LoadFromFile(const std::string& path)
{
    lines_.LoadFromFile(path);
    layoutStale_ = statesStale_ = true;
}

void TEditPrint::SetFont(const TEditorFont& font)
{
    font_ = font;
    layoutStale_ = true;
}

void TEditPrint::SetHighlighter(TCustomHighlighter* highlighter)
{
    highlighter_ = highlighter;
    layoutStale_ = statesStale_ = true;
}

int TEditPrint::PageCount(TPrintDevice& device)
{
    return static_cast<int>(Layout(device).Pages.size());
}

void TEditPrint::ScanHighlighterStates()
{
    if (!Highlighting())
        return;
    const int count = lines_.Count();
    endStates_.resize(count);
    highlighter_->ResetState();
    for (int line = 0; line < count; ++line) {
        highlighter_->StartLine(lines_.Line(line), line);
        highlighter_->ScanToLineEnd();
        endStates_[line] = highlighter_->GetState();
    }
    highlightedLines_ += count;
    statesStale_ = false;
}

int TEditPrint::LineNumberWidth(TPrintDevice& device) const
{
    if (!LineNumbers || LineNumbersInMargin)
        return 0;
    return device.TextWidth(font_, 0, std::to_string(lines_.Count() + LineOffset) + ": ");
}

const TPrintLayout& TEditPrint::Layout(TPrintDevice& device)
{
    const TLayoutInputs inputs{device.PrinterInfo(), device.GridMetrics(font_), LineNumberWidth(device), Margins,
                               Wrap, lines_.Count()};
    if (statesStale_)
        ScanHighlighterStates();
    if (!layoutStale_ && inputs == inputs_)
        return layout_;
    layout_.Printer = inputs.Printer;
    layout_.Grid = inputs.Grid;
    layout_.Geometry = ComputePageGeometry(Margins, inputs.Printer, inputs.LineNumberWidth);
    layout_.MaxColumns = CountColumns(device, font_, layout_.Geometry.TextRight - layout_.Geometry.TextLeft);
    layout_.MaxLineWidth = device.TextWidth(font_, kGridStyles, std::string(layout_.MaxColumns, 'W'));
    std::vector<std::size_t> positions;
    const auto rowCount = [&](int line) {
        if (!Wrap)
            return 1;
        FindWrapPositions(lines_.Line(line), lines_.Encoding(), layout_.MaxColumns, positions);
        return static_cast<int>(positions.size()) + 1;
    };
    layout_.Pages = Paginate(lines_.Count(), rowCount, layout_.Geometry, layout_.Grid.LineHeight);
    inputs_ = inputs;
    layoutStale_ = false;
    return layout_;
}

void TEditPrint::Print(TPrintCanvas& canvas)
{
    canvas.BeginJob(DocTitle.empty() ? Title : DocTitle);
    struct TJobEnd {
        TPrintCanvas& canvas;
        ~TJobEnd() { canvas.EndJob(); }
    } jobEnd{canvas};
    Layout(canvas);
    const std::vector<int> order = PrintOrder(static_cast<int>(layout_.Pages.size()), Copies);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0)
            canvas.NewSheet();
        PrintPage(canvas, static_cast<std::size_t>(order[i]));
    }
}

void TEditPrint::RowStarts(int line, std::vector<std::size_t>& starts) const
{
    starts.clear();
    if (Wrap)
        FindWrapPositions(lines_.Line(line), lines_.Encoding(), layout_.MaxColumns, starts);
    starts.insert(starts.begin(), 0);
}

std::size_t TEditPrint::RowEnd(int line, const std::vector<std::size_t>& starts, std::size_t row) const
{
    if (row + 1 < starts.size())
        return starts[row + 1];
    const std::string_view text = lines_.Line(line);
    // Without wrap a long line is cut at the last whole column.
    return Wrap ? text.size() : ByteOffsetOfColumn(text, layout_.MaxColumns, lines_.Encoding());
}

void TEditPrint::PrintPage(TPrintCanvas& canvas, std::size_t page)
{
    const TPageGeometry& g = layout_.Geometry;
    canvas.FillRect(g.MarginLeft, g.TextTop, g.TextRight, g.TextBottom, Color);
    const TPrintPageStart start = layout_.Pages[page];
    const TPrintPageStart end = page + 1 < layout_.Pages.size() ? layout_.Pages[page + 1]
                                                                : TPrintPageStart{lines_.Count(), 0};
    std::vector<std::size_t> starts;
    int y = g.TextTop;
    for (int line = start.Line; line < end.Line || (line == end.Line && end.Row > 0); ++line) {
        RowStarts(line, starts);
        const int firstRow = line == start.Line ? start.Row : 0;
        const int endRow = line == end.Line ? end.Row : static_cast<int>(starts.size());
        if (LineNumbers && firstRow == 0)
            PrintLineNumber(canvas, line, y);
        PrintRows(canvas, line, starts, firstRow, endRow, y);
        y += (endRow - firstRow) * layout_.Grid.LineHeight;
    }
}

void TEditPrint::PrintLineNumber(TPrintCanvas& canvas, int line, int y)
{
    const std::string number = std::to_string(line + 1 + LineOffset) + ": ";
    TPrintTextStyle style;
    style.Foreground = RgbColorValue(0);
    const int width = canvas.TextWidth(font_, 0, number);
    canvas.DrawText(layout_.Geometry.TextLeft - width, y, font_, Ascii(number), style);
}

void TEditPrint::PrintRows(TPrintCanvas& canvas, int line, const std::vector<std::size_t>& starts, int firstRow,
                           int endRow, int y)
{
    const std::string_view text = lines_.Line(line);
    // Draws the bytes [from, to) in a style, split at the row starts.
    const auto draw = [&](std::size_t from, std::size_t to, const TPrintTextStyle& style) {
        auto row = static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), from) - starts.begin() - 1);
        for (row = std::max(row, static_cast<std::size_t>(firstRow));
             row < static_cast<std::size_t>(endRow) && starts[row] < to; ++row) {
            const std::size_t a = std::max(from, starts[row]);
            const std::size_t b = std::min(to, RowEnd(line, starts, row));
            if (a >= b)
                continue;
            const auto column = static_cast<int>(CharacterCount(text.substr(starts[row], a - starts[row]), lines_.Encoding()));
            canvas.DrawText(layout_.Geometry.TextLeft + column * style.CharAdvance,
                            y + (static_cast<int>(row) - firstRow) * layout_.Grid.LineHeight, font_,
                            PrintedText(text.substr(a, b - a), lines_.Encoding()), style);
        }
    };
    TPrintTextStyle style;
    style.CharAdvance = layout_.Grid.CharAdvance;
    style.Foreground = font_.Color;
    if (!Highlighting()) {
        draw(0, text.size(), style);
        return;
    }
    if (line == 0)
        highlighter_->ResetState();
    else
        highlighter_->SetState(endStates_[line - 1]);
    WalkLineTokens(*highlighter_, text, line, [&](const TLineToken& token) {
        TPrintTextStyle tokenStyle = style;
        if (const THighlighterAttributes* attribute = token.Attribute) {
            tokenStyle.Styles = attribute->Style();
            if (Colors && attribute->Foreground())
                tokenStyle.Foreground = RgbColorValue(*attribute->Foreground());
            if (Colors)
                tokenStyle.Background = attribute->Background();
        }
        draw(static_cast<std::size_t>(token.Start), static_cast<std::size_t>(token.Start + token.Length), tokenStyle);
    });
}

std::vector<int> PrintOrder(int pageCount, int copies)
{
    std::vector<int> order;
    for (int copy = 0; copy < std::max(1, copies); ++copy)
        for (int page = 0; page < pageCount; ++page)
            order.push_back(page);
    return order;
}
