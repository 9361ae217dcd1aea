#pragma once
// The "Frame" dialog: a frame's name, file, border, margins and scrolling choice.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/FrameMarkup.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TForm20 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm20(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 38;

    // Every field empty, no scrolling choice.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    TFrameFields Fields() const;

    QLineEdit* Edit1;      // Name
    QLineEdit* Edit2;      // File Name
    QLineEdit* Edit3;      // Border Width
    QLineEdit* Edit4;      // Margin Width
    QLineEdit* Edit5;      // Margin Height
    QComboBox* ComboBox1;  // Scrolling
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
