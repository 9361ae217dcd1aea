#include "editor/widget/PrinterCanvas.h"

#include "editor/EditorAppearance.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QFontMetricsF>
#include <QPrinter>
#include <QMarginsF>
#include <QPageSize>
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
    const QFontMetrics metrics = QFontMetrics(PrintFont(font, fsBold | fsItalic | fsUnderline | fsStrikeOut), &printer_);
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
    printer_.newPage();
}

void TPrinterCanvas::EndJob()
{
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
    const int advance = style.CharAdvance;
    if (style.Background) {
        const qreal width = advance > 0 ? advance * static_cast<qreal>(text.size())
                                        : QFontMetricsF(styled.Font, &printer_).horizontalAdvance(qtext);
        painter_.fillRect(QRectF(x, y, width, styled.Height), ToQColor(*style.Background));
    }
    painter_.setPen(PaperColor(style.Foreground));
    painter_.setFont(styled.Font);
    const QPointF baseline(x, y + styled.Ascent);
    if (advance <= 0) {
        painter_.drawText(baseline, qtext);
        return;
    }
    const QList<quint32> glyphs = styled.Raw.glyphIndexesForString(qtext);
    if (glyphs.size() == static_cast<qsizetype>(text.size()) && !glyphs.contains(0)) {
        // One run with every glyph placed on the grid.
        QList<QPointF> positions;
        positions.reserve(glyphs.size());
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            positions.append(QPointF(static_cast<qreal>(i) * advance, 0));
        QGlyphRun run;
        run.setRawFont(styled.Raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        run.setUnderline(style.Styles & fsUnderline);
        run.setStrikeOut(style.Styles & fsStrikeOut);
        painter_.drawGlyphRun(baseline, run);
        return;
    }
    // Characters the face lacks come from other faces, one cell each.
    for (std::size_t i = 0; i < text.size(); ++i)
        painter_.drawText(baseline + QPointF(static_cast<qreal>(i) * advance, 0), QString::fromUcs4(&text[i], 1));
}
