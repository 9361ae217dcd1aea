#pragma once
// The "Table" dialog: the table's attributes, its title, the number of rows and columns, and three
// grids for the cells (a one-row head, the body, a one-row foot). The two counts resize the grids
// at once, keeping the cells that stay.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/dialogs/ColorChooser.h"
#include "markup/TableMarkup.h"
#include "markup/dialogs/GridCells.h"

class ColorSwatch;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TSpinEdit;

class TForm13 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 31;

    // Every field, check box and grid back to a fresh one-cell table with head and foot.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TTableFields Fields() const;

    QComboBox* ComboBox1;      // Alignment
    QLineEdit* Edit1;          // Width
    ColorSwatch* Shape1;       // Background Color
    QPushButton* Button1;      // Select (background)
    QLineEdit* Edit2;          // Cell Padding
    QLineEdit* Edit3;          // Cell Spacing
    QLineEdit* Edit4;          // Border Width
    ColorSwatch* Shape2;       // Border Color
    QPushButton* Button2;      // Select (border)
    QLineEdit* Edit5;          // Title
    TSpinEdit* SpinEdit1;      // Rows Count
    TSpinEdit* SpinEdit2;      // Columns Count
    QCheckBox* CheckBox1;      // Head
    QTableWidget* StringGrid1; // head cells
    QTableWidget* StringGrid2; // Values
    QCheckBox* CheckBox2;      // Foot
    QTableWidget* StringGrid3; // foot cells
    QPushButton* Button3;      // OK
    QPushButton* Button4;      // Cancel

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void SpinEdit1Change();
    void SpinEdit2Change();
    void CheckBox1Click();
    void CheckBox2Click();

private:
    ColorChooser colorChooser_;
    // Per grid: head, body, foot.
    THiddenCells hiddenCells_[3];
};
