// File, Print into a real PDF file read back with pdftotext, Print Setup, and Test, Test.
#include "ShellFixture.h"

#include "editor/print/EditPrint.h"
#include "highlight/HtmlHighlighter.h"
#include "editor/widget/PrinterCanvas.h"

#include <QFontInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <utility>

namespace {

// The text of a PDF file, pages separated by form feeds.
QString PdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000)) << "pdftotext (poppler-utils) must be installed";
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList PdfPages(const QString& path)
{
    QStringList pages = PdfText(path).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString PdfTitle(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    process.waitForFinished(60000);
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Title:")))
            return line.mid(6).trimmed();
    return {};
}

QByteArray NumberedLines(const char* pattern, int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += QByteArray(pattern).replace("%", QByteArray::number(i)) + (i < count ? "\r\n" : "");
    return text;
}

class PrintTest : public ShellTest {
protected:
    // Answers the print dialog with a PDF file and a number of copies; keeps the page count shown.
    void AnswerPrintToPdf(const QString& pdf, int copies)
    {
        desktop.printAnswers.push_back([this, pdf, copies](QPrinter& printer) {
            shownPageCount = printer.toPage();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setCopyCount(copies);
            return true;
        });
    }

    int shownPageCount = 0;
};

TEST_F(PrintTest, APageChangedSinceOpeningIsSavedThenPrintedWithLineNumbersOnTheCountedPages)
{
    const QString page = PathOf("index.html");
    WriteFile(page, "<p>old</p>");
    TForm2* document = OpenPage(page);
    const QByteArray text = NumberedLines("<p>line % of the page</p>", 100) + "\r\n" +
                            QByteArray("<p>") + QByteArray("word ").repeated(60) + "end</p>";
    document->CodeMemo1->Model().SetText(text.toStdString());
    const QString pdf = PathOf("index.pdf");
    AnswerPrintToPdf(pdf, 1);
    Command("Print1")->trigger();

    EXPECT_EQ(ReadFile(page), text);
    const QStringList pages = PdfPages(pdf);
    EXPECT_EQ(shownPageCount, 2);
    EXPECT_EQ(pages.size(), shownPageCount);
    const QString all = pages.join(QString());
    for (const char* expected : {"1: <p>line 1 of the page</p>", "100: <p>line 100 of the page</p>", "101: <p>word",
                                 "word end</p>"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(all.count(QStringLiteral("word")), 60);
    EXPECT_FALSE(all.contains(QStringLiteral("old")));
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("index.html"));
    EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).empty());
}

TEST_F(PrintTest, ThePrintFontIsTheEditorsFaceAtElevenScreenPixels)
{
    TForm2* document = NewPage();
    const TEditorFont& font = document->EditPrint1->Font();
    EXPECT_EQ(font.Name, document->CodeMemo1->Model().Settings().Font.Name);
    EXPECT_EQ(font.PixelHeight, std::optional<int>(11));
    const QFont printed = PrintFontOf(font);
    EXPECT_DOUBLE_EQ(printed.pointSizeF(), 8.25);
    EXPECT_TRUE(QFontInfo(printed).fixedPitch());
    EXPECT_EQ(document->EditPrint1->Highlighter(), static_cast<TCustomHighlighter*>(document->HtmlHighlighter1.get()));
}

TEST_F(PrintTest, WithNoPrinterInstalledPrintsGoToAnA4PdfAt300DotsPerInch)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "a printer is installed on this machine";
    QPrinter& printer = mainWindow->Printer();
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    TPrinterCanvas device(printer);
    const TEditPrinterInfo info = device.PrinterInfo();
    const TEditPrinterInfo a4 = TEditPrinterInfo::A4At300Dpi();
    EXPECT_EQ(std::make_pair(info.XDpi, info.YDpi), std::make_pair(300, 300));
    // Qt keeps paper and margins in whole points: the dots come out within half a millimetre.
    for (const auto& [got, want] : {std::pair{info.PhysicalWidth, a4.PhysicalWidth}, {info.PhysicalHeight, a4.PhysicalHeight},
                                    {info.PrintableWidth, a4.PrintableWidth}, {info.PrintableHeight, a4.PrintableHeight},
                                    {info.LeftOffset, a4.LeftOffset}, {info.TopOffset, a4.TopOffset}})
        EXPECT_NEAR(got, want, 5);
}

TEST_F(PrintTest, CopiesPrintEveryPageInOrderAgain)
{
    const QString page = PathOf("copies.html");
    WriteFile(page, NumberedLines("<b>%</b>", 150));
    OpenPage(page);
    const QString pdf = PathOf("copies.pdf");
    AnswerPrintToPdf(pdf, 2);
    mainWindow->Print1Click();

    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 2 * shownPageCount);
    QStringList firstLines;
    for (const QString& sheet : pages)
        firstLines << sheet.trimmed().section(QChar(':'), 0, 0);
    const QStringList once = firstLines.mid(0, shownPageCount);
    EXPECT_EQ(firstLines, once + once);
    EXPECT_EQ(once.first(), QStringLiteral("1"));
}

TEST_F(PrintTest, NothingIsPrintedWhenTheSaveOrThePrintDialogIsCancelled)
{
    // A new page whose Save As is cancelled: the command stops quietly.
    NewPage();
    desktop.ClearRecords();
    mainWindow->Print1Click();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile).size(), 1u);
    EXPECT_TRUE(desktop.DialogTitles(DialogKind::Print).empty());
    EXPECT_TRUE(desktop.messages.empty());

    // A saved page whose print dialog is cancelled.
    const QString page = PathOf("cancel.html");
    WriteFile(page, "<p>x</p>");
    OpenPage(page);
    desktop.ClearRecords();
    desktop.AnswerPrint(false);
    mainWindow->Print1Click();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::Print).size(), 1u);
    EXPECT_TRUE(desktop.messages.empty());

    // A PDF file that cannot be written: the job does not start and the user is told.
    const QString unwritable = PathOf("missing/out.pdf");
    AnswerPrintToPdf(unwritable, 1);
    mainWindow->Print1Click();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{QStringLiteral("Cannot print to ") + unwritable});
}

TEST_F(PrintTest, PrintSetupRunsWithoutAPageAndChoosesThePrinterForLaterPrints)
{
    desktop.printerSetupAnswers.push_back([](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    Command("PrintSetup1")->trigger();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::PrinterSetup).size(), 1u);
    EXPECT_TRUE(desktop.messages.empty());

    const QString page = PathOf("wide.html");
    WriteFile(page, "<p>x</p>");
    OpenPage(page);
    desktop.printAnswers.push_back([](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        return false;
    });
    mainWindow->Print1Click();
}

TEST_F(PrintTest, TestSavesThePageAndOpensTheSavedFileEachTime)
{
    const QString page = PathOf("test.html");
    WriteFile(page, "<p>x</p>");
    TForm2* document = OpenPage(page);
    document->CodeMemo1->Model().SetText("<p>y</p>");
    desktop.ClearRecords();
    Command("est2")->trigger();
    Command("est2")->trigger();
    EXPECT_EQ(desktop.shellOpens, (std::vector<QString>{page, page}));
    EXPECT_EQ(ReadFile(page), QByteArray("<p>y</p>"));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(PrintTest, TestOnANewPageWhoseSaveIsCancelledAsksForASave)
{
    NewPage();
    desktop.ClearRecords();
    mainWindow->est2Click();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{QStringLiteral("Please, save file Noname0!")});
    EXPECT_TRUE(desktop.shellOpens.empty());
}

}  // namespace
