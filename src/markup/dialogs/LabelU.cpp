#include "markup/dialogs/LabelU.h"

#include "markup/FormMarkup.h"
#include "markup/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm18::TForm18(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(260);
    QBoxLayout* body = LabelledFields(this, {{"Label For", Edit1}, {"Text", Edit2}});
    LayOutDialog(*this, QStringLiteral("Label"), body, Button1, Button2, {Edit1, Edit2, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm18::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm18::Button2Click);
}

void TForm18::Reset(const QString&)
{
    Edit1->clear();
    Edit2->clear();
    Edit1->setFocus();
}

TMarkup TForm18::Markup() const
{
    return LabelMarkup(U32(Edit1->text()), U32(Edit2->text()));
}

void TForm18::Button1Click() { accept(); }
void TForm18::Button2Click() { reject(); }
