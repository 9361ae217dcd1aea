#include "platform/PrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QVBoxLayout>

TPrinterSetupDialog::TPrinterSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent),
      PrinterBox(new QComboBox(this)),
      PaperBox(new QComboBox(this)),
      PortraitButton(new QRadioButton(tr("P&ortrait"), this)),
      LandscapeButton(new QRadioButton(tr("L&andscape"), this)),
      printer_(printer)
{
    setWindowTitle(tr("Print Setup"));
    auto* printerGroup = new QGroupBox(tr("Printer"), this);
    auto* printerForm = new QFormLayout(printerGroup);
    printerForm->addRow(tr("&Name:"), PrinterBox);
    auto* paperGroup = new QGroupBox(tr("Paper"), this);
    auto* paperForm = new QFormLayout(paperGroup);
    paperForm->addRow(tr("Si&ze:"), PaperBox);
    auto* orientationGroup = new QGroupBox(tr("Orientation"), this);
    auto* orientationLayout = new QVBoxLayout(orientationGroup);
    orientationLayout->addWidget(PortraitButton);
    orientationLayout->addWidget(LandscapeButton);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lower = new QHBoxLayout;
    lower->addWidget(paperGroup, 1);
    lower->addWidget(orientationGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerGroup);
    layout->addLayout(lower);
    layout->addWidget(buttons);

    FillPrinters();
    FillPapers();
    (printer.pageLayout().orientation() == QPageLayout::Landscape ? LandscapeButton : PortraitButton)->setChecked(true);
    setFixedSize(sizeHint());
}

void TPrinterSetupDialog::FillPrinters()
{
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        PrinterBox->addItem(name, name);
    PrinterBox->addItem(tr("PDF file"), QString());
    const bool toFile = printer_.outputFormat() == QPrinter::PdfFormat;
    const int current = toFile ? PrinterBox->count() - 1 : PrinterBox->findData(printer_.printerName());
    PrinterBox->setCurrentIndex(current < 0 ? 0 : current);
}

void TPrinterSetupDialog::FillPapers()
{
    static constexpr QPageSize::PageSizeId sizes[] = {
        QPageSize::A4, QPageSize::Letter, QPageSize::Legal, QPageSize::A3, QPageSize::A5,
        QPageSize::B5, QPageSize::Executive, QPageSize::Tabloid,
    };
    for (const QPageSize::PageSizeId id : sizes)
        PaperBox->addItem(QPageSize::name(id), static_cast<int>(id));
    const int current = PaperBox->findData(static_cast<int>(printer_.pageLayout().pageSize().id()));
    if (current < 0)
        PaperBox->addItem(printer_.pageLayout().pageSize().name(), static_cast<int>(printer_.pageLayout().pageSize().id()));
    PaperBox->setCurrentIndex(current < 0 ? PaperBox->count() - 1 : current);
}

void TPrinterSetupDialog::Apply()
{
    const QString name = PrinterBox->currentData().toString();
    if (name.isEmpty()) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer_.setOutputFormat(QPrinter::NativeFormat);
        printer_.setPrinterName(name);
    }
    printer_.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(PaperBox->currentData().toInt())));
    printer_.setPageOrientation(LandscapeButton->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
}
