#include "editor/widget/LinePainter.h"

#include "editor/widget/EditorAppearance.h"
#include "editor/control/EditorModel.h"
#include "editor/text/TextEncoding.h"
#include "highlight/CustomHighlighter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

TLinePainter::TLinePainter(TEditorModel& model) : model_(model) {}

void TLinePainter::SetFont(const QFont& font, int cellWidth)
{
    for (int style = 0; style < static_cast<int>(fonts_.size()); ++style) {
        QFont variant = font;
        variant.setBold(style & fsBold);
        variant.setItalic(style & fsItalic);
        variant.setUnderline(style & fsUnderline);
        variant.setStrikeOut(style & fsStrikeOut);
        // Glyph advances are fractional (7.8 px for a 13 px Courier), the character grid is whole
        // pixels: spacing each glyph out to the cell keeps a run's text on the grid the caret,
        // selection and mouse use, however long the run.
        const qreal advance = QFontMetricsF(variant).horizontalAdvance(QLatin1Char('M'));
        variant.setLetterSpacing(QFont::AbsoluteSpacing, cellWidth - advance);
        fonts_[style] = variant;
    }
}

namespace {
// Thrown by the token visitor to end a walk once the tokens lie beyond the view.
struct PastTheView {};
}  // namespace

std::size_t VisibleByteBound(int endColumn)
{
    // A character takes at least one display column and at most four bytes.
    return static_cast<std::size_t>(std::max(0, endColumn)) * 4 + 4;
}

void TLinePainter::CollectTokens(int line, std::size_t lineSize, ViewStart start, std::size_t byteBound,
                                 const std::function<void(const std::string&)>& onError)
{
    tokens_.clear();
    if (model_.Document().Highlighter()) {
        try {
            model_.Document().Highlight().WalkTokensFrom(line, start.Byte, [this, start, byteBound](const TLineToken& token) {
                if (static_cast<std::size_t>(token.Start) > byteBound) throw PastTheView{};
                if (static_cast<std::size_t>(token.Start + token.Length) > start.Byte) tokens_.push_back(token);
            });
        } catch (const PastTheView&) {
        } catch (const EHighlighterError& error) {
            tokens_.clear();
            onError(error.what());
        }
    }
    // Bytes the highlighter left uncovered (or all of them without one) keep the editor's colours.
    const std::size_t covered = tokens_.empty() ? start.Byte : tokens_.back().Start + tokens_.back().Length;
    const std::size_t end = std::min(lineSize, std::max(covered, byteBound));
    if (covered < end) tokens_.push_back({static_cast<int>(covered), static_cast<int>(end - covered), nullptr, 0});
}

void TLinePainter::BuildRuns(const TTextView& view, std::string_view bytes, ViewStart start, QPainter& painter,
                             int y)
{
    runs_.clear();
    const TDocumentEncoding encoding = model_.Document().Encoding();
    const int tabWidth = std::max(1, model_.Settings().TabWidth);
    const int firstColumn = view.LeftColumn;
    const int endColumn = view.LeftColumn + view.ColumnsInView;
    int column = start.Display;
    std::size_t offset = start.Byte;
    bool reachedEnd = true;

    for (const TLineToken& token : tokens_) {
        const std::size_t tokenEnd = std::min(bytes.size(), static_cast<std::size_t>(token.Start + token.Length));
        if (offset < static_cast<std::size_t>(token.Start)) offset = token.Start;
        if (column >= endColumn) {
            reachedEnd = false;
            break;
        }
        Run run;
        int runColumn = -1;
        while (offset < tokenEnd) {
            const char32_t ch = DecodeCharAt(bytes, offset, encoding);
            const int width = ch == U'\t' ? tabWidth - column % tabWidth : 1;
            for (int cell = column; cell < column + width; ++cell) {
                if (cell < firstColumn || cell >= endColumn) continue;
                if (runColumn < 0) runColumn = cell;
                if (ch == U'\t' || ch < 0x20 || ch == 0x7F) {
                    run.Text += QLatin1Char(' ');
                } else {
                    char32_t one[1] = {ch};
                    run.Text += QString::fromUcs4(one, 1);
                }
                if (ch != U'\t') break;
            }
            column += width;
            if (column >= endColumn) break;
        }
        if (runColumn < 0) continue;

        const THighlighterAttributes* attribute = token.Attribute;
        run.X = view.TextLeft + (runColumn - firstColumn) * view.CharWidth;
        run.FontIndex = attribute ? attribute->Style() & 0x0F : 0;
        run.Foreground = attribute && attribute->Foreground() ? ToQColor(*attribute->Foreground()) : view.Text;
        if (attribute && attribute->Background()) {
            painter.fillRect(run.X, y, static_cast<int>(run.Text.size()) * view.CharWidth, view.LineHeight,
                             ToQColor(*attribute->Background()));
        }
        runs_.push_back(std::move(run));
    }
    if (offset < bytes.size()) reachedEnd = false;
    // A line cut short is taken to be as wide as its byte count: good enough for the scroll range,
    // and a very long line need not be decoded to its end.
    const int width = reachedEnd ? column : std::max<int>(column, std::min<std::size_t>(bytes.size(), 1 << 30));
    widestLine_ = std::max(widestLine_, width);
}

void TLinePainter::Paint(QPainter& painter, const TTextView& view, int line, int y,
                         const std::function<void(const std::string&)>& onError)
{
    const TTextDocument& page = model_.Document();
    const int column = model_.ColumnAtDisplay(line, view.LeftColumn);
    const ViewStart start{page.ByteOffsetOf({line, column}), model_.DisplayColumn({line, column})};
    const std::size_t size = page.LineSize(line);
    CollectTokens(line, size, start, start.Byte + VisibleByteBound(view.ColumnsInView), onError);
    // Read after the tokens, whose walk may move an edit's gap in a long line.
    BuildRuns(view, page.LineWindow(line, start.Byte, size), start, painter, y);

    const int baseline = y + view.Ascent;
    for (const Run& run : runs_) {
        painter.setFont(fonts_[run.FontIndex]);
        painter.setPen(run.Foreground);
        painter.drawText(run.X, baseline, run.Text);
    }

    auto [first, end] = model_.SelectedDisplayColumns(line);
    first = std::max(first, view.LeftColumn);
    end = std::min(end, view.LeftColumn + view.ColumnsInView);
    if (first >= end) return;
    const QRect selection(view.TextLeft + (first - view.LeftColumn) * view.CharWidth, y,
                          (end - first) * view.CharWidth, view.LineHeight);
    painter.save();
    painter.setClipRect(selection);
    painter.fillRect(selection, view.SelectionBackground);
    painter.setPen(view.SelectionText);
    for (const Run& run : runs_) {
        painter.setFont(fonts_[run.FontIndex]);
        painter.drawText(run.X, baseline, run.Text);
    }
    painter.restore();
}
