// Printing a page: the page count of a large page (highlighter states, wrap and pagination), and a
// 1 MB page printed to a PDF file beside the same text printed through Qt's rich-text document.
//
//   bench_print [count-megabytes=50] [pdf-megabytes=1] [folder=/tmp]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Each figure is the best of
// three runs. KEEP_PDF=1 keeps the two PDF files in the folder for a look.

#include "HtmlPageGenerator.h"
#include "editor/EditPrint.h"
#include "editor/widget/PrinterCanvas.h"
#include "highlight/HtmlHighlighter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
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
    std::remove(path.c_str());
}

void PdfAgainstRichText(const std::string& folder, std::size_t megabytes)
{
    const std::string path = WritePage(folder, "tallo-print-pdf.html", megabytes);
    const std::string ourPdf = folder + "/tallo-print.pdf";
    const std::string qtPdf = folder + "/tallo-print-qtextdocument.pdf";
    THtmlHighlighter highlighter;
    TEditPrint print;
    SetUpAsFilePrint(print, highlighter);
    const double oursMs = BestMilliseconds([&] {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(printer, ourPdf);
        print.LoadFromFile(path);
        TPrinterCanvas canvas(printer);
        print.Print(canvas);
    });
    const double qtMs = BestMilliseconds([&] {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(printer, qtPdf);
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QTextDocument document;
        document.setDefaultFont(PrintFontOf(print.Font()));
        document.setPlainText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
        document.print(&printer);
    });
    QPrinter printer(QPrinter::HighResolution);
    UseA4At300DpiPdf(printer);
    TPrinterCanvas device(printer);
    std::printf("%zu MB page to PDF: %.0f ms, %d pages, %lld bytes (colours, line numbers, wrap)\n", megabytes,
                oursMs, print.PageCount(device), static_cast<long long>(QFileInfo(QString::fromStdString(ourPdf)).size()));
    std::printf("QTextDocument::print, same text: %.0f ms, %lld bytes (plain)\n", qtMs,
                static_cast<long long>(QFileInfo(QString::fromStdString(qtPdf)).size()));
    std::printf("speed-up %.2fx (goal >= 2), size ratio %.2f (goal <= 1)\n", qtMs / oursMs,
                static_cast<double>(QFileInfo(QString::fromStdString(ourPdf)).size()) /
                    static_cast<double>(QFileInfo(QString::fromStdString(qtPdf)).size()));
    // The same content as the rich-text document: no styles, colours or numbers.
    print.Highlight = false;
    print.LineNumbers = false;
    const double plainMs = BestMilliseconds([&] {
        QPrinter printer(QPrinter::HighResolution);
        PdfPrinter(printer, ourPdf);
        TPrinterCanvas canvas(printer);
        print.Print(canvas);
    });
    std::printf("plain text to PDF: %.0f ms, %lld bytes\n", plainMs,
                static_cast<long long>(QFileInfo(QString::fromStdString(ourPdf)).size()));
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
