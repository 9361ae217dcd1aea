#pragma once
// The "Image" dialog: file name, size, alignment, title, alternative text and a border with its
// colour; refuses an empty file name.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/dialogs/ColorChooser.h"
#include "markup/LinkMarkup.h"

class ColorSwatch;
class QComboBox;
class QLineEdit;
class QPushButton;

class TForm11 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 29;

    // Every field empty, no alignment, a black swatch.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TImageFields Fields() const;

    QLineEdit* Edit1;      // File Name
    QLineEdit* Edit2;      // Width
    QLineEdit* Edit3;      // Height
    QComboBox* ComboBox1;  // Alignment
    QLineEdit* Edit4;      // Title
    QLineEdit* Edit5;      // Alt
    QLineEdit* Edit6;      // Border Width
    ColorSwatch* Shape1;   // Border Color
    QPushButton* Button3;  // Select
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    ColorChooser colorChooser_;
};
