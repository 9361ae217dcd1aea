#include "editor/widget/GutterWidget.h"

#include "editor/widget/EditorAppearance.h"
#include "editor/control/EditorModel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kBorderWidth = 2;
constexpr int kBookmarkSize = 12;

int DigitCountOf(long long value)
{
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}
}  // namespace

TGutterWidget::TGutterWidget(TEditorModel& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    SetGutterFont(MakeEditorFont(Settings().Font));
}

const TGutterSettings& TGutterWidget::Settings() const
{
    return model_.Settings().Gutter;
}

void TGutterWidget::SetGutterFont(const QFont& font)
{
    font_ = font;
    update();
}

void TGutterWidget::SetView(int topLine, int lineHeight, int textAscent)
{
    if (std::max(1, lineHeight) != lineHeight_ || textAscent != textAscent_) {
        topLine_ = topLine;
        lineHeight_ = std::max(1, lineHeight);
        textAscent_ = textAscent;
        painted_.clear();
        update();
        return;
    }
    if (topLine == topLine_) return;
    const int delta = topLine_ - topLine;
    topLine_ = topLine;
    MoveRows(delta);
    UpdateChangedRows();
}

std::vector<TGutterWidget::RowContent> TGutterWidget::RowsShown() const
{
    std::vector<RowContent> rows(static_cast<std::size_t>(height() / lineHeight_ + 1));
    const int count = static_cast<int>(rows.size());
    if (Settings().ShowLineNumbers) {
        const int digits = Settings().LeadingZeros ? DigitsShown() : 0;
        for (int row = 0; row < count && topLine_ + row < model_.Document().LineCount(); ++row)
            rows[static_cast<std::size_t>(row)] = {topLine_ + row, digits, 0};
    }
    for (int index = 0; index < 10; ++index) {
        const auto position = model_.Bookmark(index);
        if (position && position->Line >= topLine_ && position->Line - topLine_ < count)
            rows[static_cast<std::size_t>(position->Line - topLine_)].Bookmarks |= 1 << index;
    }
    return rows;
}

void TGutterWidget::MoveRows(int delta)
{
    // Only rows painted in full carry over; the background and border are the same on every row.
    const int rows = static_cast<int>(painted_.size());
    const int whole = std::min(rows, height() / lineHeight_);
    std::vector<RowContent> next(painted_.size(), RowContent{RowContent::kUnpainted});
    for (int row = 0; row < whole; ++row) {
        const int target = row + delta;
        if (target >= 0 && target < rows) next[static_cast<std::size_t>(target)] = painted_[static_cast<std::size_t>(row)];
    }
    painted_.swap(next);
    if (std::abs(delta) < whole) scroll(0, delta * lineHeight_, rect());
}

void TGutterWidget::UpdateChangedRows()
{
    const std::vector<RowContent> shown = RowsShown();
    if (shown.size() != painted_.size()) {
        update();
        return;
    }
    for (std::size_t row = 0; row < shown.size(); ++row)
        if (shown[row] != painted_[row]) update(0, static_cast<int>(row) * lineHeight_, width(), lineHeight_);
}

int TGutterWidget::DigitsShown() const
{
    const TGutterSettings& gutter = Settings();
    const long long highest = gutter.ZeroStart ? model_.Document().LineCount() - 1
                                               : static_cast<long long>(model_.Document().LineCount()) - 1 + gutter.LineNumberStart;
    return std::max(gutter.DigitCount, DigitCountOf(std::max(0LL, highest)));
}

int TGutterWidget::RequiredWidth() const
{
    const TGutterSettings& gutter = Settings();
    if (!gutter.Visible) return 0;
    if (!gutter.ShowLineNumbers) return gutter.Width;
    const int digitWidth = QFontMetrics(font_).horizontalAdvance(QLatin1Char('0'));
    const int needed = gutter.LeftOffset + DigitsShown() * digitWidth + gutter.RightOffset + kBorderWidth;
    return std::max(gutter.Width, needed);
}

QString TGutterWidget::LineNumberText(int line) const
{
    const TGutterSettings& gutter = Settings();
    const long long number = gutter.ZeroStart ? line : static_cast<long long>(line) + gutter.LineNumberStart;
    QString text = QString::number(number);
    if (gutter.LeadingZeros) text = text.rightJustified(DigitsShown(), QLatin1Char('0'));
    return text;
}

void TGutterWidget::PaintBackground(QPainter& painter)
{
    const TGutterSettings& gutter = Settings();
    const QColor face = ResolveColor(gutter.Color, palette());
    if (!gutter.Gradient || gutter.GradientSteps < 2) {
        painter.fillRect(rect(), face);
        return;
    }
    // Bands from the window colour on the left to the gutter colour on the right.
    const QColor from = palette().color(QPalette::Base);
    const int steps = gutter.GradientSteps;
    for (int step = 0; step < steps; ++step) {
        const int left = width() * step / steps, right = width() * (step + 1) / steps;
        const double t = static_cast<double>(step) / (steps - 1);
        const QColor band(from.red() + (face.red() - from.red()) * t, from.green() + (face.green() - from.green()) * t,
                          from.blue() + (face.blue() - from.blue()) * t);
        painter.fillRect(left, 0, right - left, height(), band);
    }
}

void TGutterWidget::PaintBorder(QPainter& painter)
{
    const TGutterSettings& gutter = Settings();
    const QColor border = ResolveColor(gutter.BorderColor, palette());
    switch (gutter.BorderStyle) {
    case gbsNone: break;
    case gbsMiddle:
        // An etched line: shadow, then the border colour as its light edge.
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(width() - kBorderWidth, 0, width() - kBorderWidth, height());
        painter.setPen(border);
        painter.drawLine(width() - 1, 0, width() - 1, height());
        break;
    case gbsRight:
        painter.setPen(border);
        painter.drawLine(width() - 1, 0, width() - 1, height());
        break;
    }
}

void TGutterWidget::PaintBookmark(QPainter& painter, int index, int y)
{
    const int size = std::min(kBookmarkSize, lineHeight_);
    const QRect box(2, y + (lineHeight_ - size) / 2, size, size);
    painter.setPen(QColor(0x00, 0x40, 0x80));
    painter.setBrush(QColor(0x40, 0x80, 0xE0));
    painter.drawRoundedRect(box.adjusted(0, 0, -1, -1), 2, 2);
    painter.setPen(Qt::white);
    QFont digitFont = font_;
    digitFont.setBold(true);
    digitFont.setPixelSize(std::max(6, size - 2));
    painter.setFont(digitFont);
    painter.drawText(box, Qt::AlignCenter, QString::number(index));
    painter.setBrush(Qt::NoBrush);
}

void TGutterWidget::PaintRow(QPainter& painter, int row, const RowContent& content)
{
    const int y = row * lineHeight_;
    if (content.Line >= 0) {
        const TGutterSettings& gutter = Settings();
        painter.setFont(font_);
        painter.setPen(ResolveColor(gutter.Font.Color, palette()));
        const QString text = LineNumberText(content.Line);
        const int right = width() - gutter.RightOffset - kBorderWidth;
        painter.drawText(right - QFontMetrics(font_).horizontalAdvance(text), y + textAscent_, text);
    }
    // The lowest-numbered bookmark of a line is shown.
    for (int index = 9; index >= 0; --index)
        if (content.Bookmarks & (1 << index)) PaintBookmark(painter, index, y);
}

void TGutterWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    PaintBackground(painter);
    const std::vector<RowContent> shown = RowsShown();
    if (painted_.size() != shown.size()) painted_.assign(shown.size(), RowContent{RowContent::kUnpainted});
    const QRegion& region = event->region();
    for (std::size_t row = 0; row < shown.size(); ++row) {
        const QRect rowRect = QRect(0, static_cast<int>(row) * lineHeight_, width(), lineHeight_) & rect();
        if (!region.intersects(rowRect)) continue;
        PaintRow(painter, static_cast<int>(row), shown[row]);
        // A row painted in part shows its content only if the rest of it showed the same before.
        if (QRegion(rowRect).subtracted(region).isEmpty()) painted_[row] = shown[row];
        else if (painted_[row] != shown[row]) painted_[row] = RowContent{RowContent::kUnpainted};
    }
    PaintBorder(painter);
}

void TGutterWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const int line = topLine_ + static_cast<int>(event->position().y()) / lineHeight_;
    if (OnLinePressed) OnLinePressed(std::clamp(line, 0, model_.Document().LineCount() - 1));
}

void TGutterWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnReleased) OnReleased();
}
