#include "app/AboutU.h"

#include "platform/AppIcons.h"
#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

const QString TForm23::kWebAddress = QStringLiteral("https://tallo.example.org/");

TForm23::TForm23(QWidget* parent)
    : QDialog(parent),
      Image1(new QLabel(this)),
      Label1(new QLabel(QStringLiteral("Tallo HTML Editor"), this)),
      Label2(new QLabel(QStringLiteral("Version 1.0"), this)),
      Label3(new QLabel(QStringLiteral("Written by the Tallo developers."), this)),
      Label4(new QLabel(QStringLiteral("Free software for hand-written web pages."), this)),
      Label5(new QLabel(kWebAddress, this)),
      Button1(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("About Tallo HTML Editor"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    Image1->setPixmap(AppWindowIcon().pixmap(64, 64));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    QFont nameFont = Label1->font();
    nameFont.setPixelSize(32);
    nameFont.setBold(true);
    Label1->setFont(nameFont);

    QFont linkFont = Label5->font();
    linkFont.setUnderline(true);
    Label5->setFont(linkFont);
    QPalette linkPalette = Label5->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    Label5->setPalette(linkPalette);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->installEventFilter(this);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    texts->addSpacing(10);
    texts->addWidget(Label3);
    texts->addWidget(Label4);
    texts->addSpacing(10);
    texts->addWidget(Label5, 0, Qt::AlignLeft);

    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(Image1);
    body->addLayout(texts);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(body);
    layout->addSpacing(12);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);

    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

void TForm23::Label5Click()
{
    platform().ShellOpen(kWebAddress);
}

bool TForm23::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label5 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label5Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
