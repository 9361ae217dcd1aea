#pragma once
// The "New HTML Page" dialog: the answers from which File, New builds the page skeleton.

#include "platform/ButtonClosedDialog.h"
#include "markup/PageSkeleton.h"
#include "markup/dialogs/ColorChooser.h"

class ColorSwatch;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TForm24 : public TButtonClosedDialog {
    Q_OBJECT
public:
    explicit TForm24(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 2;

    // Every field back to its value before a File, New.
    void Reset();
    // The fields as typed, the text box's lines joined by CR LF.
    PageSkeletonFields SkeletonFields() const;

    QComboBox* ComboBox1;       // Encoding
    QLineEdit* Edit1;           // Author
    QLineEdit* Edit2;           // Description
    QLineEdit* Edit3;           // Keywords
    QLineEdit* Edit4;           // Title
    QLineEdit* Edit5;           // Background Image
    QLineEdit* Edit6;           // Top Margin
    QLineEdit* Edit7;           // Left Margin
    QPlainTextEdit* Memo1;      // Text
    ColorSwatch* Shape1;        // Background Color
    ColorSwatch* Shape2;        // Text Color
    ColorSwatch* Shape3;        // Link Color
    ColorSwatch* Shape4;        // Visited Link Color
    ColorSwatch* Shape5;        // Active Link Color
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;       // OK
    QPushButton* Button7;       // Cancel

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

private:
    ColorChooser colorChooser_;
};
