// The printer set-up dialog: it offers the installed printers and a PDF file, and only "OK"
// changes the printer. The print dialog as the Qt platform shows it.
#include "platform/PrinterSetupDialog.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QPushButton* Button(TPrinterSetupDialog& dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

TEST(PrinterSetupDialog, OkAppliesPrinterPaperAndOrientationAndCancelKeepsThem)
{
    struct Case {
        QDialogButtonBox::StandardButton button;
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
    } const cases[] = {
        {QDialogButtonBox::Ok, QPageSize::Letter, QPageLayout::Landscape},
        {QDialogButtonBox::Cancel, QPageSize::A4, QPageLayout::Portrait},
    };
    for (const Case& c : cases) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        TPrinterSetupDialog dialog(printer);
        ASSERT_EQ(dialog.PrinterBox->count(), QPrinterInfo::availablePrinterNames().size() + 1);
        dialog.PrinterBox->setCurrentIndex(dialog.PrinterBox->count() - 1);
        EXPECT_EQ(dialog.PrinterBox->currentText(), QStringLiteral("PDF file"));
        EXPECT_EQ(dialog.PaperBox->currentText(), QPageSize::name(QPageSize::A4));
        dialog.PaperBox->setCurrentIndex(dialog.PaperBox->findData(static_cast<int>(QPageSize::Letter)));
        dialog.LandscapeButton->setChecked(true);
        Button(dialog, c.button)->click();
        EXPECT_EQ(printer.pageLayout().pageSize().id(), c.paper);
        EXPECT_EQ(printer.pageLayout().orientation(), c.orientation);
        EXPECT_EQ(printer.outputFormat() == QPrinter::PdfFormat, c.button == QDialogButtonBox::Ok ||
                                                                      QPrinterInfo::availablePrinterNames().isEmpty());
    }
}

}  // namespace

namespace {

// The print dialog: page count in its title, all pages always, copies and a PDF file on offer.
TEST(QtPrintDialog, ShowsThePageCountAndOffersNoPageRange)
{
    struct Case {
        int pages;
        QString title;
    } const cases[] = {{1, QStringLiteral("Print (1 page)")}, {7, QStringLiteral("Print (7 pages)")}};
    QtPlatform qt;
    for (const Case& c : cases) {
        QPrinter printer;
        printer.setFromTo(1, c.pages);
        QString seenTitle;
        QAbstractPrintDialog::PrintDialogOptions seenOptions;
        QStringList rangeChoices;  // choices other than all pages that can be picked
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seenTitle = dialog->windowTitle();
            seenOptions = dialog->options();
            for (const char* name : {"printRange", "pagesRadioButton", "printSelection", "printCurrentPage"})
                if (auto* choice = dialog->findChild<QRadioButton*>(QLatin1String(name));
                    choice && choice->isEnabled() && !choice->isHidden())
                    rangeChoices << choice->text();
            dialog->reject();
        });
        EXPECT_FALSE(qt.ExecPrintDialog(nullptr, printer));
        EXPECT_EQ(seenTitle, c.title);
        EXPECT_EQ(seenOptions, QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
        EXPECT_TRUE(rangeChoices.isEmpty()) << rangeChoices.join(QStringLiteral(", ")).toStdString();
    }
}

}  // namespace
