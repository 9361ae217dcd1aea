#include "markup/dialogs/TextU.h"

#include "markup/dialogs/DialogParts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm9::TForm9(QWidget* parent)
    : TMarkupDialog(TextStyleInfo(TTextStyle::Bold).HelpContext, parent),
      Label1(new QLabel(QStringLiteral("Text"), this)),
      Edit1(MakeLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Label1->setBuddy(Edit1);
    Edit1->setMinimumWidth(280);
    auto* body = new QVBoxLayout;
    body->setSpacing(2);
    body->addWidget(Label1);
    body->addWidget(Edit1);
    LayOutDialog(*this, QStringLiteral("Text"), body, Button1, Button2, {Edit1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
}

void TForm9::SetStyle(TTextStyle style)
{
    style_ = style;
    const TTextStyleInfo& info = TextStyleInfo(style);
    setWindowTitle(QString::fromUtf8(info.Caption));
    SetHelpContext(info.HelpContext);
}

void TForm9::Reset(const QString& selectedText)
{
    Edit1->setText(selectedText);
    Edit1->setFocus();
}

std::u32string TForm9::Text() const
{
    return U32(Edit1->text());
}

void TForm9::Button1Click() { accept(); }
void TForm9::Button2Click() { reject(); }

TMarkup TForm9::Markup() const
{
    return TextStyleMarkup(style_, Text());
}
