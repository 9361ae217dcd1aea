#include "markup/dialogs/SoundU.h"

#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm21::TForm21(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      Edit2(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(280);
    QBoxLayout* body = LabelledFields(this, {{"File Name", Edit1}, {"Repeat Count", Edit2}});
    LayOutDialog(*this, QStringLiteral("Sound"), body, Button1, Button2, {Edit1, Edit2, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm21::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm21::Button2Click);
}

void TForm21::Reset(const QString&)
{
    Edit1->clear();
    Edit2->clear();
    Edit1->setFocus();
}

std::u32string TForm21::FileName() const { return U32(Edit1->text()); }
std::u32string TForm21::RepeatCount() const { return U32(Edit2->text()); }

void TForm21::Button1Click()
{
    if (Edit1->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The File Name must not be empty!"));
        return;
    }
    accept();
}

void TForm21::Button2Click() { reject(); }

TMarkup TForm21::Markup() const
{
    return SoundMarkup(FileName(), RepeatCount());
}
