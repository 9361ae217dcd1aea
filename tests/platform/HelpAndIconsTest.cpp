// The help pages compiled into the program and the icon set of menus and tool bars.
#include "platform/AppIcons.h"
#include "platform/HelpWindow.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString ReadResource(const QUrl& url)
{
    QFile file(QStringLiteral(":") + url.path());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

std::vector<QUrl> AllHelpPages()
{
    std::vector<QUrl> pages{HelpWindow::ContentsUrl()};
    for (int context = HelpWindow::kFirstTopic; context <= HelpWindow::kLastTopic; ++context)
        pages.push_back(HelpWindow::TopicUrl(context));
    return pages;
}

TEST(Help, EveryContextHasAPageWithATitleAndRealText)
{
    HelpWindow window;
    for (int context = HelpWindow::kFirstTopic; context <= HelpWindow::kLastTopic; ++context) {
        SCOPED_TRACE(context);
        window.ShowTopic(context);
        EXPECT_EQ(window.Browser()->source(), HelpWindow::TopicUrl(context));
        EXPECT_FALSE(window.Browser()->documentTitle().isEmpty());
        EXPECT_GT(window.Browser()->toPlainText().size(), 250) << "a topic explains its command";
    }
}

TEST(Help, ContentsListsEveryTopic)
{
    const QString contents = ReadResource(HelpWindow::ContentsUrl());
    ASSERT_FALSE(contents.isEmpty());
    for (int context = HelpWindow::kFirstTopic; context <= HelpWindow::kLastTopic; ++context)
        EXPECT_TRUE(contents.contains(HelpWindow::TopicUrl(context).fileName())) << context;
}

TEST(Help, LinksBetweenPagesLeadToExistingPages)
{
    static const QRegularExpression href(QStringLiteral("href=\"([^\"#:]+)(#[^\"]*)?\""));
    for (const QUrl& page : AllHelpPages()) {
        const QString html = ReadResource(page);
        ASSERT_FALSE(html.isEmpty()) << page.toString().toStdString();
        for (auto match = href.globalMatch(html); match.hasNext();) {
            const QUrl target = page.resolved(QUrl(match.next().captured(1)));
            EXPECT_TRUE(QFile::exists(QStringLiteral(":") + target.path()))
                << page.toString().toStdString() << " -> " << target.toString().toStdString();
        }
    }
}

TEST(Help, BackForwardAndContentsButtons)
{
    HelpWindow window;
    window.ShowContents();
    EXPECT_FALSE(window.BackButton()->isEnabled());
    window.ShowTopic(4);
    window.ShowTopic(16);
    ASSERT_TRUE(window.BackButton()->isEnabled());
    window.BackButton()->click();
    EXPECT_EQ(window.Browser()->source(), HelpWindow::TopicUrl(4));
    ASSERT_TRUE(window.ForwardButton()->isEnabled());
    window.ForwardButton()->click();
    EXPECT_EQ(window.Browser()->source(), HelpWindow::TopicUrl(16));
    window.ContentsButton()->click();
    EXPECT_EQ(window.Browser()->source(), HelpWindow::ContentsUrl());
}

TEST(Help, OutOfRangeContextShowsTheContents)
{
    HelpWindow window;
    for (int context : {1, 42, -3}) {
        window.ShowTopic(7);
        window.ShowTopic(context);
        EXPECT_EQ(window.Browser()->source(), HelpWindow::ContentsUrl()) << context;
    }
}

TEST(Help, QtPlatformOpensContentsOrTopicInOneWindow)
{
    QtPlatform qt;
    qt.ShowHelp(0);
    auto helpWindows = [] {
        std::vector<HelpWindow*> found;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* help = qobject_cast<HelpWindow*>(widget); help && help->isVisible())
                found.push_back(help);
        return found;
    };
    ASSERT_EQ(helpWindows().size(), 1u);
    EXPECT_EQ(helpWindows()[0]->Browser()->source(), HelpWindow::ContentsUrl());
    qt.ShowHelp(33);
    ASSERT_EQ(helpWindows().size(), 1u);
    EXPECT_EQ(helpWindows()[0]->Browser()->source(), HelpWindow::TopicUrl(33));
}

TEST(AppIcons, ThirtyFiveDistinctDrawnIcons)
{
    std::vector<QImage> images;
    for (int index = 0; index < kAppIconCount; ++index) {
        const QIcon icon = AppIcon(index);
        ASSERT_FALSE(icon.isNull()) << index;
        const QImage image = icon.pixmap(24, 24).toImage();
        ASSERT_FALSE(image.isNull()) << index << ": is the SVG icon engine installed?";
        int painted = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                painted += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(painted, 40) << index;
        for (std::size_t other = 0; other < images.size(); ++other)
            EXPECT_NE(image, images[other]) << index << " looks like " << other;
        images.push_back(image);
    }
    EXPECT_TRUE(AppIcon(-1).isNull());
    EXPECT_TRUE(AppIcon(kAppIconCount).isNull());
    EXPECT_FALSE(AppWindowIcon().pixmap(48, 48).isNull());
}

}  // namespace
