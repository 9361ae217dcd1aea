#pragma once
// The "Font" dialog: face from a fixed list of 30 names, size, colour and the text to wrap.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/dialogs/ColorChooser.h"
#include "markup/TextMarkup.h"

class ColorSwatch;
class QComboBox;
class QLineEdit;
class QPushButton;

class TForm7 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 19;
    static const QStringList kFaceNames;

    // No face, no size, a black swatch, the text from the selection.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TFontFields Fields() const;

    QComboBox* ComboBox1;  // Name
    QLineEdit* Edit1;      // Size
    ColorSwatch* Shape1;   // Color
    QPushButton* Button1;  // Select
    QLineEdit* Edit2;      // Text
    QPushButton* Button2;  // OK
    QPushButton* Button3;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    ColorChooser colorChooser_;
};
