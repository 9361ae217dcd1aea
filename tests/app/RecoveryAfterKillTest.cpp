// An editor killed with unsaved pages: the next start offers their copies and restores them byte
// for byte, as unsaved pages under their names; discarding leaves nothing behind. A save killed while
// it overwrote its file in place: the next start, or the next open of the file, offers the previous
// version and puts it back byte for byte.
#include "desktop/widget/DesktopSession.h"
#include "desktop/widget/RecoveryCopies.h"
#include "app/ShellFixture.h"
#include "desktop/widget/SingleInstance.h"
#include "base/FileWrites.h"
#include "desktop/RecoveryFolder.h"

#include <QProcess>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

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
            EXPECT_EQ(QByteArray::fromStdString(page->CodeMemo1->Model().Document().Text()), killed[i]);
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

// Starts a save over a file with two names and kills it once the overwrite has begun; true when the
// kill came while the previous version was still kept (the save had not finished).
bool KillOverwriteHalfway(const std::string& copyFolder, const std::string& path, std::size_t size)
{
    QProcess saver;
    saver.start(QStringLiteral(TALLO_OVERWRITE_HELPER),
                {QString::fromStdString(copyFolder), QString::fromStdString(path), QString::number(size)});
    if (!saver.waitForStarted())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY);
    char first = 'o';
    while (saver.state() == QProcess::Running && ::pread(fd, &first, 1, 0) == 1 && first != 'n') {}
    ::kill(static_cast<pid_t>(saver.processId()), SIGKILL);
    saver.waitForFinished();
    ::close(fd);
    for (const auto& entry : std::filesystem::directory_iterator(copyFolder))
        if (entry.path().extension() == ".old")
            return true;
    return false;
}

TEST_F(RecoveryAfterKill, AnOverwriteKilledHalfwayIsOfferedBackAtStartAndAtOpen)
{
    const std::string copyFolder = InterruptedSaveFolderIn(RecoveryFolder().toStdString());
    const std::string previousFolder = InterruptedSaveFolder();
    SetInterruptedSaveFolder(copyFolder);
    std::string old;
    for (int line = 0; old.size() < (24 << 20); ++line)
        old += "old line " + std::to_string(line) + "\r\n";
    const struct {
        const char* name;
        bool atOpen;  // else at start
        int answer;   // 0 put back, 1 keep as it is
    } cases[] = {
        {"the next start puts it back", false, 0},
        {"opening the file keeps it as it is", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString page = PathOf("page.html");
        QFile::remove(page);
        QFile::remove(PathOf("same-page.html"));
        WriteFile(page, QByteArray::fromStdString(old));
        std::filesystem::create_hard_link(page.toStdString(), PathOf("same-page.html").toStdString());
        bool kept = false;
        for (int attempt = 0; attempt < 3 && !kept; ++attempt)
            kept = KillOverwriteHalfway(copyFolder, page.toStdString(), 32 << 20);
        ASSERT_TRUE(kept) << "the save finished before it could be killed";
        const QByteArray left = ReadFile(page);
        desktop.askAnswers.push_back(c.answer);
        if (c.atOpen)
            mainWindow->OpenPage(page);
        else
            NextStart();
        const auto questions = desktop.MessageTexts(MessageKind::Question);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(questions[0].contains(page));
        EXPECT_TRUE(ReadFile(page) == (c.answer == 0 ? QByteArray::fromStdString(old) : left));
        if (c.atOpen)
            EXPECT_TRUE(QByteArray::fromStdString(mainWindow->ActiveDocument()->CodeMemo1->Model().Document().Text()) == left);
        EXPECT_TRUE(std::filesystem::is_empty(copyFolder)) << "the previous version stays behind";
        desktop.ClearRecords();
    }
    SetInterruptedSaveFolder(previousFolder);
}

}  // namespace
