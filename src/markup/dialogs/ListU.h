#pragma once
// The "List" dialog: a small editor of list entries (add, delete, move up and down) for an
// ordered, unordered or definition list. The entries live in TListEntries; the list control
// shows their texts and is rebuilt after every change. Only a delete, or a move that moved the
// entry, leaves no entry chosen; after any other change the chosen entry stays chosen.

#include "markup/dialogs/MarkupDialog.h"
#include "markup/ListMarkup.h"

#include <array>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class TForm12 : public TMarkupDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);

    static constexpr int kHelpContext = 30;

    // An empty ordered list, empty fields, "Description" disabled.
    void Reset(const QString& selectedText = {}) override;
    TMarkup Markup() const override;
    const TListEntries& Entries() const { return entries_; }
    // The chosen type (the option that is on).
    TListType Type() const;

    QGroupBox* RadioGroup1;  // Type
    std::array<QRadioButton*, 3> RadioButtons;  // "Ordered", "Unordered", "Definition"
    QLineEdit* Edit1;        // Text
    QLineEdit* Edit2;        // Description
    QPushButton* Button1;    // Add
    QListWidget* ListBox1;   // List
    QPushButton* Button2;    // Delete
    QPushButton* Button3;    // Move Up
    QPushButton* Button4;    // Move Down
    QPushButton* Button5;    // OK
    QPushButton* Button6;    // Cancel

public slots:
    void RadioGroup1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

private:
    // The chosen entry's position; shows the message and gives -1 when none is chosen.
    int ChosenEntry() const;
    enum class TChoice { Keep, Clear };
    void ShowEntries(TChoice choice);

    QButtonGroup* typeButtons_;
    TListEntries entries_;
};
