#include "markup/dialogs/FramesetU.h"

#include "markup/FrameMarkup.h"
#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm19::TForm19(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(260);
    QBoxLayout* body =
        LabelledFields(this, {{"Rows Width", Edit1}, {"Columns Width", Edit2}, {"Border Width", Edit3}});
    LayOutDialog(*this, QStringLiteral("Frame Set"), body, Button1, Button2, {Edit1, Edit2, Edit3, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm19::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm19::Button2Click);
}

void TForm19::Reset(const QString&)
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3})
        edit->clear();
    Edit1->setFocus();
}

TMarkup TForm19::Markup() const
{
    return FrameSetMarkup(U32(Edit1->text()), U32(Edit2->text()), U32(Edit3->text()));
}

void TForm19::Button1Click() { accept(); }
void TForm19::Button2Click() { reject(); }
