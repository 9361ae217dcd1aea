#include "markup/dialogs/CommentU.h"

#include "markup/dialogs/DialogParts.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm22::TForm22(QWidget* parent)
    : TMarkupDialog(kHelpContext, parent),
      Label1(new QLabel(QStringLiteral("Text"), this)),
      Memo1(MakeMemo(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Cancel"), this))
{
    Label1->setBuddy(Memo1);
    auto* body = new QVBoxLayout;
    body->setSpacing(2);
    body->addWidget(Label1);
    body->addWidget(Memo1);
    LayOutDialog(*this, QStringLiteral("Comment"), body, Button1, Button2, {Memo1, Button1, Button2});
    connect(Button1, &QPushButton::clicked, this, &TForm22::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm22::Button2Click);
}

void TForm22::Reset(const QString&)
{
    Memo1->clear();
    Memo1->setFocus();
}

std::u32string TForm22::Text() const
{
    return MemoText(*Memo1);
}

void TForm22::Button1Click()
{
    if (Text().empty()) {
        platform().ShowMessage(QStringLiteral("The Text must not be empty!"));
        return;
    }
    accept();
}

void TForm22::Button2Click() { reject(); }

TMarkup TForm22::Markup() const
{
    return CommentMarkup(Text());
}
