#pragma once
// The "Sound" dialog: the background sound's file and repeat count; refuses an empty file name.

#include "markup/LinkMarkup.h"
#include "markup/dialogs/MarkupDialog.h"

#include <string>

class QLineEdit;
class QPushButton;

class TForm21 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm21(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 39;

    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    std::u32string FileName() const;
    std::u32string RepeatCount() const;

    QLineEdit* Edit1;      // File Name
    QLineEdit* Edit2;      // Repeat Count
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // Cancel

public slots:
    void Button1Click();
    void Button2Click();
};
