#include "markup/dialogs/TextareaU.h"

#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TForm17::TForm17(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      Memo1(MakeMemo(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    QBoxLayout* body =
        LabelledFields(this, {{"Name", Edit1}, {"Rows Count", Edit2}, {"Columns Count", Edit3}, {"Text", Memo1}});
    LayOutDialog(*this, QStringLiteral("Text Area"), body, Button1, Button2,
                 {Edit1, Edit2, Edit3, Memo1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm17::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm17::Button2Click);
}

void TForm17::Reset(const QString&)
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3})
        edit->clear();
    Memo1->clear();
    Edit1->setFocus();
}

TTextAreaFields TForm17::Fields() const
{
    return {U32(Edit1->text()), U32(Edit2->text()), U32(Edit3->text()), MemoText(*Memo1)};
}

void TForm17::Button1Click() { accept(); }
void TForm17::Button2Click() { reject(); }

TMarkup TForm17::Markup() const
{
    return TextAreaMarkup(Fields());
}
