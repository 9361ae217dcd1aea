// An editor killed with unsaved pages: the next start offers their copies and restores them byte
// for byte, as unsaved pages under their names; discarding leaves nothing behind.
#include "app/DesktopSession.h"
#include "app/RecoveryCopies.h"
#include "app/ShellFixture.h"
#include "app/SingleInstance.h"

#include <QProcess>
#include <csignal>
#include <filesystem>

namespace {

class RecoveryAfterKill : public ShellTest {
protected:
    // Runs the helper editor until its copies are written, then kills it; returns its pages' texts.
    QList<QByteArray> KilledEditorsPages()
    {
        WriteFile(PathOf("site.html"), "line one\nline two\n");
        QProcess editor;
        editor.start(QStringLiteral(TALLO_RECOVERY_HELPER), {RecoveryFolder(), PathOf("site.html")});
        QList<QByteArray> pages;
        while (editor.waitForReadyRead(20000)) {
            while (editor.canReadLine()) {
                const QByteArray line = editor.readLine().trimmed();
                if (line == "ready") {
                    ::kill(static_cast<pid_t>(editor.processId()), SIGKILL);
                    editor.waitForFinished();
                    return pages;
                }
                pages << QByteArray::fromHex(line);
            }
        }
        ADD_FAILURE() << "the helper editor did not get ready: " << editor.readAllStandardError().toStdString();
        return {};
    }

    QString RecoveryFolder() const { return PathOf("recovery"); }

    // The next start: its session offers what the killed editor left.
    std::unique_ptr<TDesktopSession> NextStart()
    {
        auto session = std::make_unique<TDesktopSession>(
            *mainWindow, std::make_unique<TRecoveryCopies>(RecoveryFolder().toStdString()), nullptr);
        session->Start({});
        return session;
    }
};

TEST_F(RecoveryAfterKill, TheNextStartRestoresTheUnsavedPagesByteForByte)
{
    const QList<QByteArray> killed = KilledEditorsPages();
    ASSERT_EQ(killed.size(), 2);
    {
        desktop.askAnswers.push_back(0);  // restore
        const std::unique_ptr<TDesktopSession> next = NextStart();
        ASSERT_EQ(desktop.MessageTexts(MessageKind::Question).size(), 1u);
        const QString offer = desktop.MessageTexts(MessageKind::Question)[0];
        EXPECT_TRUE(offer.contains(QStringLiteral("Noname0")));
        EXPECT_TRUE(offer.contains(PathOf("site.html")));

        ASSERT_EQ(mainWindow->DocumentCount(), 2);
        for (int i = 0; i < 2; ++i) {
            TForm2* page = mainWindow->Documents()[i];
            EXPECT_EQ(QByteArray::fromStdString(page->CodeMemo1->Text()), killed[i]);
            EXPECT_TRUE(page->findChild<TPageRecovery*>()->Unsaved());
        }
        TForm2* site = mainWindow->Documents()[1];
        EXPECT_EQ(site->Caption(), QStringLiteral("site.html"));
        EXPECT_EQ(site->FileName, PathOf("site.html"));
        EXPECT_EQ(ReadFile(PathOf("site.html")), QByteArray("line one\nline two\n"));  // still unsaved
        site->BringToFront();
        mainWindow->Save1Click();
        EXPECT_EQ(ReadFile(PathOf("site.html")), killed[1]);

        // The old run's folder goes once the restored pages have copies of their own.
        next->Recovery()->Writer()->WaitUntilIdle();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(RecoveryFolder().toStdString()), {}), 1);
        mainWindow.reset();
    }
    EXPECT_TRUE(std::filesystem::is_empty(RecoveryFolder().toStdString()));
}

TEST_F(RecoveryAfterKill, DiscardingLeavesNothingToOfferAgain)
{
    ASSERT_EQ(KilledEditorsPages().size(), 2);
    desktop.askAnswers.push_back(1);  // discard
    NextStart();
    NextStart();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Question).size(), 1u);
    EXPECT_EQ(mainWindow->DocumentCount(), 0);
}

}  // namespace
