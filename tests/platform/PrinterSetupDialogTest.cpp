// The printer set-up dialog: it offers the installed printers and a PDF file, and only "OK"
// changes the printer.
#include "platform/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
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
