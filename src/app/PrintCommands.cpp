// File, Print; File, Print Setup; and Test, Test: the commands that take the saved page out of the
// editor, to the printer or to the desktop's program for HTML pages.
#include "app/MainU.h"

#include "app/PageFiles.h"
#include "editor/print/EditPrint.h"
#include "editor/widget/PrinterCanvas.h"

#include <QPrinter>
#include <QPrinterInfo>

QPrinter& TForm1::Printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            UseA4At300DpiPdf(*printer_);
    }
    return *printer_;
}

void TForm1::Print1Click()
{
    if (!RequireDocument())
        return;
    TForm2& document = *ActiveDocument();
    ReportErrors([&] {
        SaveDocument(document);
        // The Save As was cancelled: the command stops, as every cancelled command does.
        if (document.FileName.isEmpty())
            return;
        TEditPrint& print = *document.EditPrint1;
        print.Title = document.Caption().toStdString();
        print.LoadFromFile(NativePath(document.FileName));
        print.Colors = true;
        print.LineNumbers = true;
        print.Wrap = true;
        QPrinter& printer = Printer();
        TPrinterCanvas device(printer);
        printer.setFromTo(1, print.PageCount(device));
        printer.setCopyCount(1);
        if (!platform().ExecPrintDialog(this, printer))
            return;
        // Copies are printed here, each a complete run of the pages, never by the spooler.
        print.Copies = printer.copyCount();
        printer.setCopyCount(1);
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(0, 0);
        TPrinterCanvas canvas(printer);
        print.Print(canvas);
    });
}

void TForm1::PrintSetup1Click()
{
    platform().ExecPrinterSetup(this, Printer());
}

void TForm1::est2Click()
{
    if (!RequireDocument())
        return;
    TForm2& document = *ActiveDocument();
    if (!ReportErrors([&] { SaveDocument(document); }))
        return;
    if (document.FileName.isEmpty())
        platform().ShowMessage(QStringLiteral("Please, save file ") + document.Caption() + QStringLiteral("!"));
    else
        platform().ShellOpen(document.FileName);
}
