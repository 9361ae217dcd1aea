#include "platform/HelpWindow.h"

#include "platform/AppIcons.h"

#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}
}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(new QTextBrowser(this)),
      contentsButton_(MakeButton(tr("&Contents"), this)),
      backButton_(MakeButton(tr("&Back"), this)),
      forwardButton_(MakeButton(tr("&Forward"), this))
{
    setWindowTitle(tr("Tallo HTML Editor Help"));
    setWindowIcon(AppWindowIcon());
    resize(720, 560);

    browser_->setOpenExternalLinks(true);
    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 0);
    buttons->addWidget(contentsButton_);
    buttons->addWidget(backButton_);
    buttons->addWidget(forwardButton_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(browser_);

    connect(contentsButton_, &QToolButton::clicked, this, &HelpWindow::ShowContents);
    connect(backButton_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Tallo HTML Editor Help") : tr("Tallo HTML Editor Help - ") + title);
    });
}

QUrl HelpWindow::ContentsUrl()
{
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

QUrl HelpWindow::TopicUrl(int context)
{
    return QUrl(QStringLiteral("qrc:/help/topic%1.html").arg(context, 2, 10, QLatin1Char('0')));
}

void HelpWindow::ShowContents()
{
    browser_->setSource(ContentsUrl());
}

void HelpWindow::ShowTopic(int context)
{
    if (context < kFirstTopic || context > kLastTopic)
        ShowContents();
    else
        browser_->setSource(TopicUrl(context));
}
