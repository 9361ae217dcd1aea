#include "markup/dialogs/LinkU.h"

#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

QStringList TargetItems()
{
    QStringList items;
    for (const char* item : kLinkTargetItems) items << QString::fromUtf8(item);
    return items;
}

}  // namespace

TForm6::TForm6(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Edit1(MakeLineEdit(this)),
      ComboBox1(MakeChoiceList(TargetItems(), this)),
      Edit2(MakeLineEdit(this)),
      Edit3(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Edit1->setMinimumWidth(280);
    QBoxLayout* body =
        LabelledFields(this, {{"URL", Edit1}, {"Target", ComboBox1}, {"Title", Edit2}, {"Text", Edit3}});
    LayOutDialog(*this, QStringLiteral("Link"), body, Button1, Button2,
                 {Edit1, ComboBox1, Edit2, Edit3, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
}

void TForm6::Reset(const QString& selectedText)
{
    Edit3->setText(selectedText);
    Edit1->clear();
    Edit2->clear();
    ComboBox1->setCurrentIndex(static_cast<int>(TLinkTarget::DefaultWindow));
    Edit1->setFocus();
}

TLinkFields TForm6::Fields() const
{
    const int target = std::max(ComboBox1->currentIndex(), 0);
    return {U32(Edit1->text()), static_cast<TLinkTarget>(target), U32(Edit2->text()), U32(Edit3->text())};
}

void TForm6::Button1Click()
{
    if (Edit1->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("The URL must not be empty!"));
        return;
    }
    accept();
}

void TForm6::Button2Click() { reject(); }

TMarkup TForm6::Markup() const
{
    return LinkMarkup(Fields());
}
