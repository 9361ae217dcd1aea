#pragma once
// The print engine's device and canvas on a Qt printer (a CUPS printer or a PDF file): metrics read
// from the printer, the print font measured on it, and text drawn with QPainter on the engine's
// fixed character grid. A printer that reports no page is measured as A4 at 300 dots per inch.

#include "editor/print/PrintDevice.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

class QPrinter;

// The program-wide printer's way to the print engine; one per page count or print job.
class TPrinterCanvas : public TPrintCanvas {
public:
    explicit TPrinterCanvas(QPrinter& printer);
    ~TPrinterCanvas() override;
    TPrinterCanvas(const TPrinterCanvas&) = delete;
    TPrinterCanvas& operator=(const TPrinterCanvas&) = delete;

    TEditPrinterInfo PrinterInfo() override;
    TPrintFontMetrics GridMetrics(const TEditorFont& font) override;
    int TextWidth(const TEditorFont& font, FontStyles styles, std::string_view utf8) override;

    // Throws EPrintError "Cannot print to <printer or file>" when the job cannot start.
    void BeginJob(const std::string& title) override;
    void NewSheet() override;
    void EndJob() override;
    void FillRect(int left, int top, int right, int bottom, RgbColor color) override;
    void DrawText(int x, int y, const TEditorFont& font, std::u32string_view text,
                  const TPrintTextStyle& style) override;

private:
    QFont PrintFont(const TEditorFont& font, FontStyles styles) const;
    // The print font in one combination of styles, made once per job.
    struct TStyledFont {
        QFont Font;
        QRawFont Raw;
        qreal Ascent = 0;
        qreal Height = 0;
    };
    const TStyledFont& Styled(const TEditorFont& font, FontStyles styles);

    // The glyphs of a sheet are collected by style and colour and drawn as one run each when the
    // sheet ends, which keeps the print job small.
    struct TPendingRun {
        FontStyles Styles = 0;
        QColor Color;
        QList<quint32> Glyphs;
        QList<QPointF> Positions;
    };
    TPendingRun& RunFor(FontStyles styles, const QColor& color);
    void DrawRun(const TPendingRun& run);
    void FlushSheet();

    QPrinter& printer_;
    QPainter painter_;
    std::array<std::optional<TStyledFont>, 16> styled_;
    std::vector<TPendingRun> sheet_;
};

class EPrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes the printer a PDF file laid out as the A4 page at 300 dots per inch, the printer of a
// machine that has none installed.
void UseA4At300DpiPdf(QPrinter& printer);

// The print font at a size given in screen pixels, printed at 96 of them to the inch.
QFont PrintFontOf(const TEditorFont& font);
