// Printing a page: the page count of a large page (highlighter states, wrap and pagination), and a
// 1 MB page printed to a PDF file beside the same text printed through Qt's rich-text document,
// once as File, Print prints it (colours and line numbers; the document gets the same) and once as
// plain text.
//
//   bench_print [count-megabytes=50] [pdf-megabytes=1] [folder=/tmp]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Each figure is the best of
// three runs. KEEP_PDF=1 keeps the two PDF files in the folder for a look.

#include "HtmlPageGenerator.h"
#include "editor/print/DocumentPrintLines.h"
#include "editor/print/EditPrint.h"
#include "editor/text/TextDocument.h"
#include "editor/widget/EditorAppearance.h"
#include "editor/widget/PrinterCanvas.h"
#include "highlight/HtmlHighlighter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr int kRuns = 3;

double BestMilliseconds(const std::function<void()>& run)
{
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

std::string WritePage(const std::string& folder, const char* name, std::size_t megabytes)
{
    const std::string path = folder + "/" + name;
    const std::string page = GenerateHtmlPage(megabytes << 20);
    std::ofstream(path, std::ios::binary).write(page.data(), static_cast<std::streamsize>(page.size()));
    return path;
}

// The engine as File, Print sets it up.
void SetUpAsFilePrint(TEditPrint& print, THtmlHighlighter& highlighter)
{
    TEditorFont font;
    font.PixelHeight = 11;
    print.SetFont(font);
    print.SetHighlighter(&highlighter);
    print.Colors = true;
    print.LineNumbers = true;
    print.Wrap = true;
}

void PdfPrinter(QPrinter& printer, const std::string& path)
{
    UseA4At300DpiPdf(printer);
    printer.setOutputFileName(QString::fromStdString(path));
}

void PageCountOfALargePage(const std::string& folder, std::size_t megabytes)
{
    const std::string path = WritePage(folder, "tallo-print-count.html", megabytes);
    THtmlHighlighter highlighter;
    TEditPrint print;
    SetUpAsFilePrint(print, highlighter);
    QPrinter printer(QPrinter::HighResolution);
    UseA4At300DpiPdf(printer);
    TPrinterCanvas device(printer);
    int pages = 0;
    const double loadMs = BestMilliseconds([&] { print.LoadFromFile(path); });
    const double countMs = BestMilliseconds([&] {
        print.SetHighlighter(&highlighter);  // stale: states, wrap and pagination again
        pages = print.PageCount(device);
    });
    std::printf("page count, %zu MB page (%d lines): %d pages in %.0f ms (goal < 1000 ms); loading the lines %.0f ms\n",
                megabytes, print.Lines().Count(), pages, countMs, loadMs);
    // The same page open in the editor, its lines handed over with tabs expanded.
    TTextDocument document;
    document.LoadFromFile(path);
    const double fromDocumentMs = BestMilliseconds([&] {
        SetPrintLinesFromDocument(print, document);
        pages = print.PageCount(device);
    });
    std::printf("from the open document: %d pages in %.0f ms, lines handed over included\n", pages, fromDocumentMs);
    std::remove(path.c_str());
}

struct TPdfRun {
    double Milliseconds = 0;
    long long Bytes = 0;
};

TPdfRun PrintToPdf(const std::string& pdf, const std::function<void(QPrinter&)>& print)
{
    TPdfRun run;
    run.Milliseconds = BestMilliseconds([&] {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(printer, pdf);
        print(printer);
    });
    run.Bytes = QFileInfo(QString::fromStdString(pdf)).size();
    return run;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The page as rich text with what the engine prints: line numbers, and each token in its
// attribute's weight and colour.
void FillHighlighted(QTextDocument& document, const TEditPrint& print, THtmlHighlighter& highlighter)
{
    QTextCursor cursor(&document);
    QTextCharFormat number;
    highlighter.ResetState();
    for (int line = 0; line < print.Lines().Count(); ++line) {
        if (line > 0)
            cursor.insertBlock();
        cursor.insertText(QString::number(line + 1) + QStringLiteral(": "), number);
        const std::string_view text = print.Lines().Line(line);
        highlighter.StartLine(text, line);
        while (!highlighter.AtLineEnd()) {
            QTextCharFormat format;
            if (const THighlighterAttributes* attribute = highlighter.TokenAttribute()) {
                format.setFontWeight(attribute->Style() & fsBold ? QFont::Bold : QFont::Normal);
                if (attribute->Foreground())
                    format.setForeground(ToQColor(*attribute->Foreground()));
            }
            const std::string_view token = highlighter.TokenView();
            cursor.insertText(QString::fromUtf8(token.data(), static_cast<qsizetype>(token.size())), format);
            highlighter.NextToken();
        }
    }
}

void PdfAgainstRichText(const std::string& folder, std::size_t megabytes)
{
    const std::string path = WritePage(folder, "tallo-print-pdf.html", megabytes);
    const std::string ourPdf = folder + "/tallo-print.pdf";
    const std::string qtPdf = folder + "/tallo-print-qtextdocument.pdf";
    THtmlHighlighter highlighter;
    TEditPrint print;
    SetUpAsFilePrint(print, highlighter);
    const QFont font = PrintFontOf(print.Font());
    const auto ours = [&](QPrinter& printer) {
        print.LoadFromFile(path);
        TPrinterCanvas canvas(printer);
        print.Print(canvas);
    };
    const auto richText = [&](bool highlighted) {
        return [&, highlighted](QPrinter& printer) {
            QTextDocument document;
            document.setDefaultFont(font);
            if (highlighted) {
                print.LoadFromFile(path);
                FillHighlighted(document, print, highlighter);
            } else {
                const std::string bytes = ReadAll(path);
                document.setPlainText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
            }
            document.print(&printer);
        };
    };
    const TPdfRun oursColoured = PrintToPdf(ourPdf, ours);
    const TPdfRun qtColoured = PrintToPdf(qtPdf, richText(true));
    print.Highlight = false;
    print.LineNumbers = false;
    const TPdfRun oursPlain = PrintToPdf(ourPdf, ours);
    const TPdfRun qtPlain = PrintToPdf(qtPdf, richText(false));

    std::printf("%zu MB page to PDF        %10s %12s\n", megabytes, "ms", "bytes");
    const auto row = [](const char* name, const TPdfRun& run) {
        std::printf("  %-22s %10.0f %12lld\n", name, run.Milliseconds, run.Bytes);
    };
    row("tallo, as File, Print", oursColoured);
    row("QTextDocument, same", qtColoured);
    row("tallo, plain text", oursPlain);
    row("QTextDocument, plain", qtPlain);
    const auto compare = [](const char* what, const TPdfRun& ours, const TPdfRun& theirs) {
        std::printf("%s: %.2fx faster (goal >= 2), size ratio %.2f (goal <= 1)\n", what,
                    theirs.Milliseconds / ours.Milliseconds, static_cast<double>(ours.Bytes) / theirs.Bytes);
    };
    compare("File, Print against plain QTextDocument", oursColoured, qtPlain);
    compare("coloured and numbered, both", oursColoured, qtColoured);
    compare("plain text, both", oursPlain, qtPlain);
    if (qEnvironmentVariableIsEmpty("KEEP_PDF"))
        for (const std::string& file : {path, ourPdf, qtPdf})
            std::remove(file.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t countMegabytes = argc > 1 ? std::stoul(argv[1]) : 50;
    const std::size_t pdfMegabytes = argc > 2 ? std::stoul(argv[2]) : 1;
    const std::string folder = argc > 3 ? argv[3] : "/tmp";
    PageCountOfALargePage(folder, countMegabytes);
    PdfAgainstRichText(folder, pdfMegabytes);
    return 0;
}
