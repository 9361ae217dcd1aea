#include "editor/widget/PrinterCanvas.h"

#include "editor/widget/EditorAppearance.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMarginsF>
#include <QPageSize>
#include <QPrinter>
#include <cmath>

namespace {

// Paper is white whatever the desktop's colours: the window-text role prints black.
QColor PaperColor(const TEditorColor& color)
{
    static const QPalette paper(Qt::black, Qt::white);
    return color.Role == TPlatformColor::WindowText ? QColor(Qt::black) : ResolveColor(color, paper);
}

}  // namespace

QFont PrintFontOf(const TEditorFont& font)
{
    QFont result = MakeEditorFont(font);
    if (font.PixelHeight)
        result.setPointSizeF(*font.PixelHeight * 72.0 / 96.0);
    return result;
}

void UseA4At300DpiPdf(QPrinter& printer)
{
    const TEditPrinterInfo a4 = TEditPrinterInfo::A4At300Dpi();
    const auto points = [](int dots) { return dots * 72.0 / 300; };
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(a4.XDpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(points(a4.LeftOffset), points(a4.TopOffset), points(a4.RightOffset()),
                                     points(a4.BottomOffset())),
                           QPageLayout::Point);
}

TPrinterCanvas::TPrinterCanvas(QPrinter& printer) : printer_(printer) {}

TPrinterCanvas::~TPrinterCanvas()
{
    if (painter_.isActive())
        painter_.end();
}

TEditPrinterInfo TPrinterCanvas::PrinterInfo()
{
    const QRect paper = printer_.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer_.pageRect(QPrinter::DevicePixel).toRect();
    if (page.isEmpty() || printer_.logicalDpiX() <= 0 || printer_.logicalDpiY() <= 0)
        return TEditPrinterInfo::A4At300Dpi();
    return {paper.width(),           paper.height(),         page.width(),           page.height(),
            page.left() - paper.left(), page.top() - paper.top(), printer_.logicalDpiX(), printer_.logicalDpiY()};
}

QFont TPrinterCanvas::PrintFont(const TEditorFont& font, FontStyles styles) const
{
    QFont result = PrintFontOf(font);
    result.setBold(styles & fsBold);
    result.setItalic(styles & fsItalic);
    result.setUnderline(styles & fsUnderline);
    result.setStrikeOut(styles & fsStrikeOut);
    return result;
}

TPrintFontMetrics TPrinterCanvas::GridMetrics(const TEditorFont& font)
{
    const QFontMetrics metrics(PrintFont(font, fsBold | fsItalic | fsUnderline | fsStrikeOut), &printer_);
    return {metrics.height() + metrics.leading(), metrics.averageCharWidth()};
}

int TPrinterCanvas::TextWidth(const TEditorFont& font, FontStyles styles, std::string_view utf8)
{
    return QFontMetrics(PrintFont(font, styles), &printer_)
        .horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void TPrinterCanvas::BeginJob(const std::string& title)
{
    printer_.setDocName(QString::fromStdString(title));
    styled_ = {};
    if (!painter_.begin(&printer_)) {
        const QString target = printer_.outputFileName().isEmpty() ? printer_.printerName() : printer_.outputFileName();
        throw EPrintError("Cannot print to " + target.toStdString());
    }
}

void TPrinterCanvas::NewSheet()
{
    FlushSheet();
    printer_.newPage();
}

void TPrinterCanvas::EndJob()
{
    FlushSheet();
    if (painter_.isActive())
        painter_.end();
}

void TPrinterCanvas::FillRect(int left, int top, int right, int bottom, RgbColor color)
{
    painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), ToQColor(color));
}

const TPrinterCanvas::TStyledFont& TPrinterCanvas::Styled(const TEditorFont& font, FontStyles styles)
{
    std::optional<TStyledFont>& styled = styled_[styles & 0xF];
    if (!styled) {
        const QFont qfont = PrintFont(font, styles);
        const QFontMetricsF metrics(qfont, &printer_);
        QRawFont raw = QRawFont::fromFont(qfont);
        raw.setPixelSize(qfont.pointSizeF() * printer_.logicalDpiY() / 72.0);
        styled = TStyledFont{qfont, raw, metrics.ascent(), metrics.height()};
    }
    return *styled;
}

void TPrinterCanvas::DrawText(int x, int y, const TEditorFont& font, std::u32string_view text,
                              const TPrintTextStyle& style)
{
    const TStyledFont& styled = Styled(font, style.Styles);
    const QString qtext = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
    const QList<quint32> glyphs = styled.Raw.glyphIndexesForString(qtext);
    const bool ownGlyphs = glyphs.size() == static_cast<qsizetype>(text.size()) && !glyphs.contains(0);
    // Natural widths for text off the grid (line numbers).
    QList<QPointF> advances;
    if (style.CharAdvance <= 0 && ownGlyphs)
        advances = styled.Raw.advancesForGlyphIndexes(glyphs);
    const auto cellX = [&](qsizetype i) {
        if (style.CharAdvance > 0)
            return x + static_cast<qreal>(i) * style.CharAdvance;
        qreal at = x;
        for (qsizetype k = 0; k < i && k < advances.size(); ++k)
            at += advances[k].x();
        return at;
    };
    if (style.Background)
        painter_.fillRect(QRectF(x, y, cellX(qtext.size()) - x, styled.Height), ToQColor(*style.Background));
    const QColor color = PaperColor(style.Foreground);
    if (!ownGlyphs) {
        // Characters the face lacks come from other faces, one cell each.
        painter_.setPen(color);
        painter_.setFont(styled.Font);
        for (std::size_t i = 0; i < text.size(); ++i)
            painter_.drawText(QPointF(cellX(static_cast<qsizetype>(i)), y + styled.Ascent), QString::fromUcs4(&text[i], 1));
        return;
    }
    // Underline and strike-out run under the whole text, blanks included, so it is drawn at once.
    const bool lined = style.Styles & (fsUnderline | fsStrikeOut);
    TPendingRun single{style.Styles, color, {}, {}};
    TPendingRun& run = lined ? single : RunFor(style.Styles, color);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        // Blanks print nothing, unless a line runs through them.
        if (text[static_cast<std::size_t>(i)] == U' ' && !lined)
            continue;
        run.Glyphs.append(glyphs[i]);
        run.Positions.append(QPointF(std::round(cellX(i)), std::round(y + styled.Ascent)));
    }
    if (lined)
        DrawRun(single);
}

TPrinterCanvas::TPendingRun& TPrinterCanvas::RunFor(FontStyles styles, const QColor& color)
{
    for (TPendingRun& run : sheet_)
        if (run.Styles == styles && run.Color == color)
            return run;
    sheet_.push_back({styles, color, {}, {}});
    return sheet_.back();
}

void TPrinterCanvas::DrawRun(const TPendingRun& run)
{
    if (run.Glyphs.isEmpty())
        return;
    QGlyphRun glyphRun;
    glyphRun.setRawFont(styled_[run.Styles & 0xF]->Raw);
    glyphRun.setGlyphIndexes(run.Glyphs);
    glyphRun.setPositions(run.Positions);
    glyphRun.setUnderline(run.Styles & fsUnderline);
    glyphRun.setStrikeOut(run.Styles & fsStrikeOut);
    painter_.setPen(run.Color);
    painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
}

void TPrinterCanvas::FlushSheet()
{
    for (const TPendingRun& run : sheet_)
        DrawRun(run);
    sheet_.clear();
}
