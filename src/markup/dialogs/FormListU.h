#pragma once
// The selection list dialog ("List"): the list's name, size, multiple choice and alignment, and a
// grid of options, one row each, "Text" and "Value" as its column headings. The grid's heading row
// counts towards its limit of 10000 rows, so it holds at most 9999 option rows.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/FormMarkup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TForm16 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm16(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 34;
    static constexpr int kMaxGridRows = 10000;  // the heading row included

    // Empty fields, no alignment, one empty option row.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TSelectListFields Fields() const;

    QLineEdit* Edit1;           // Name
    QLineEdit* Edit2;           // Size
    QCheckBox* CheckBox1;       // Multiple Selections
    QComboBox* ComboBox1;       // Alignment
    QTableWidget* StringGrid1;  // Items: the option rows under the headings
    QPushButton* Button1;       // Add Line
    QPushButton* Button3;       // OK
    QPushButton* Button4;       // Cancel

public slots:
    void FormShow();
    void Button1Click();
    void Button3Click();
    void Button4Click();

protected:
    void showEvent(QShowEvent* event) override;
};
