#pragma once
// The desktop's printer set-up dialog: the printer later prints go to (an installed printer, or a
// PDF file named when printing), its paper size and its orientation. "OK" applies the choice to the
// printer it was opened on; "Cancel" and the close box leave that printer as it was.

#include <QDialog>

class QComboBox;
class QPrinter;
class QRadioButton;

class TPrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    TPrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    // Writes the choice into the printer; "OK" calls it.
    void Apply();

    QComboBox* PrinterBox;  // installed printers, then the PDF file entry (empty data)
    QComboBox* PaperBox;
    QRadioButton* PortraitButton;
    QRadioButton* LandscapeButton;

private:
    void FillPrinters();
    void FillPapers();

    QPrinter& printer_;
};
