// The editor at home on the desktop, on real windows: files named at start or handed over by a
// later start, files dropped on the frame, recovery copies kept and removed, and files changed by
// another program before a save overwrites them.
#include "desktop/widget/CommandLineFiles.h"
#include "desktop/widget/DesktopSession.h"
#include "desktop/widget/FileChangeWatch.h"
#include "desktop/widget/FileDrops.h"
#include "desktop/InstanceProtocol.h"
#include "desktop/widget/RecoveryCopies.h"
#include "desktop/widget/SingleInstance.h"
#include "app/ShellFixture.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextSnapshot.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <future>

namespace {

class DesktopTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        session = std::make_unique<TDesktopSession>(*mainWindow, MakeRecovery(), TSingleInstance::Listen(SocketPath()));
    }

    void TearDown() override
    {
        ShellTest::TearDown();
        session.reset();
    }

    std::unique_ptr<TRecoveryCopies> MakeRecovery() const
    {
        // Long waits: the tests write copies when they choose to.
        return std::make_unique<TRecoveryCopies>(RecoveryFolder(), TRecoveryTimings{60000, 60000});
    }
    std::string RecoveryFolder() const { return PathOf("state/recovery").toStdString(); }
    std::string SocketPath() const { return PathOf("tallo.socket").toStdString(); }

    // The page's copy as the writer left it on disk; empty when there is none.
    std::vector<std::filesystem::path> CopiesOnDisk()
    {
        session->Recovery()->Writer()->WaitUntilIdle();
        std::vector<std::filesystem::path> copies;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(RecoveryFolder())) {
            if (entry.path().extension() == ".copy") copies.push_back(entry.path());
        }
        return copies;
    }

    static void Type(TForm2* page, const QString& text)
    {
        page->CodeMemo1->Model().SetSelectionStart(0);
        page->CodeMemo1->Model().ReplaceSelection(text.toStdU32String());
    }

    static void WriteCopyNow(TForm2* page) { page->findChild<TPageRecovery*>()->WriteNow(); }

    // Another program writes the file anew, as editors do, by renaming a new file over it.
    void ChangeBehindTheEditorsBack(const QString& path, const QByteArray& bytes)
    {
        WriteFile(path + QStringLiteral(".other"), bytes);
        std::filesystem::rename((path + QStringLiteral(".other")).toStdString(), path.toStdString());
    }

    QStringList Captions() const
    {
        QStringList captions;
        for (TForm2* document : mainWindow->Documents()) captions << document->Caption();
        return captions;
    }

    std::unique_ptr<TDesktopSession> session;
};

TEST_F(DesktopTest, FilesNamedAtStartOpenAsPagesAndTheOnesThatCannotGiveTheOpenError)
{
    WriteFile(PathOf("a.html"), "A");
    WriteFile(PathOf("b.htm"), "B\n");
    QDir(folder.path()).mkdir(QStringLiteral("folder.html"));
    session->Start({PathOf("a.html"), PathOf("missing.html"), PathOf("folder.html"), PathOf("b.htm")});
    EXPECT_EQ(Captions(), (QStringList{"b.htm", "a.html"}));
    EXPECT_EQ(mainWindow->ActiveDocument()->FileName, PathOf("b.htm"));
    EXPECT_EQ(Text(mainWindow->ActiveDocument()), QStringLiteral("B\n"));
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
              (std::vector<QString>{"Cannot open file " + PathOf("missing.html"),
                                    "Cannot open file " + PathOf("folder.html")}));
    EXPECT_EQ(mainWindow->PageCounter(), 0);
}

TEST_F(DesktopTest, ALaterStartHandsItsFilesToTheRunningEditor)
{
    WriteFile(PathOf("later.html"), "later");
    session->Start({});
    auto handOver = std::async(std::launch::async, [this] {
        return HandOver(SocketPath(), {{PathOf("later.html").toStdString()}}, 5000);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handOver.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(handOver.get(), THandOver::Done);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->DocumentCount() == 1; }));
    EXPECT_EQ(mainWindow->ActiveDocument()->FileName, PathOf("later.html"));
}

// A later start naming a line (the site window's link problems): the page opens with the caret at
// the line's start and the line in view; asked again, the open page comes to the front and moves.
TEST_F(DesktopTest, ALaterStartNamingALineShowsThePageThere)
{
    QByteArray text;
    for (int line = 1; line <= 300; ++line) text += "  line " + QByteArray::number(line) + "\n";
    WriteFile(PathOf("long.html"), text);
    WriteFile(PathOf("other.html"), "other");
    session->Start({PathOf("other.html")});
    const std::string path = PathOf("long.html").toStdString();
    for (const int line : {250, 7, 1000}) {
        SCOPED_TRACE(line);
        mainWindow->Documents().back()->BringToFront();  // the page asked for is behind
        auto handOver = std::async(std::launch::async, [&] { return HandOver(SocketPath(), {{path}, {line}}, 5000); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return handOver.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(handOver.get(), THandOver::Done);
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->ActiveDocument()->FileName == PathOf("long.html"); }));
        EXPECT_EQ(mainWindow->DocumentCount(), 2);
        const TCodeMemo& editor = *mainWindow->ActiveDocument()->CodeMemo1;
        const int shown = std::min(line, editor.Model().Document().LineCount());
        EXPECT_EQ(editor.Model().CaretLine(), shown);
        EXPECT_EQ(editor.Model().CaretColumn(), 1);
        EXPECT_LE(editor.TopLine(), shown - 1);
        EXPECT_LT(shown - 1, editor.TopLine() + editor.LinesInView());
    }
}

// Two versions compared (the site window's Compare): the pages share the frame in equal columns, the
// last one in front.
TEST_F(DesktopTest, PagesAskedForSideBySideShareTheFrameInColumns)
{
    WriteFile(PathOf("mine.html"), "mine");
    WriteFile(PathOf("theirs.html"), "theirs");
    session->Start({});
    const TOpenRequest request{{PathOf("mine.html").toStdString(), PathOf("theirs.html").toStdString()}, {}, true};
    auto handOver = std::async(std::launch::async, [&] { return HandOver(SocketPath(), request, 5000); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handOver.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(handOver.get(), THandOver::Done);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->DocumentCount() == 2; }));
    EXPECT_EQ(mainWindow->ActiveDocument()->FileName, PathOf("theirs.html"));
    QRect mine, theirs;
    for (TForm2* page : mainWindow->Documents())
        (page->FileName == PathOf("mine.html") ? mine : theirs) = page->SubWindow()->geometry();
    const QSize room = mainWindow->MdiArea->viewport()->size();
    EXPECT_EQ(mine, QRect(0, 0, room.width() / 2, room.height()));
    EXPECT_EQ(theirs, QRect(room.width() / 2, 0, room.width() / 2, room.height()));
}

TEST_F(DesktopTest, FilesDroppedOnTheFrameOpenAsPagesAndTextDroppedOnAPageIsTyped)
{
    WriteFile(PathOf("dropped.html"), "dropped");
    WriteFile(PathOf("target.html"), "target");
    session->Start({PathOf("target.html")});
    TForm2* target = mainWindow->ActiveDocument();
    QWidget* frame = mainWindow->MdiArea->viewport();
    QWidget* pageText = target->CodeMemo1->viewport();
    const QUrl file = QUrl::fromLocalFile(PathOf("dropped.html"));
    const struct {
        const char* name;
        QWidget* onto;
        QList<QUrl> urls;
        QString text;
        bool accepted;
    } drops[] = {
        {"web address on the frame", frame, {QUrl(QStringLiteral("https://example.com/a.html"))}, {}, false},
        {"file on the frame", frame, {file}, {}, true},
        {"file with its path as text on a page", pageText, {file}, QStringLiteral("path "), true},
    };
    for (const auto& drop : drops) {
        SCOPED_TRACE(drop.name);
        QMimeData data;
        data.setUrls(drop.urls);
        if (!drop.text.isEmpty()) data.setText(drop.text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(drop.onto, &enter);
        EXPECT_EQ(enter.isAccepted(), drop.accepted);
        if (!enter.isAccepted()) continue;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(drop.onto, &dropped);
        Flush();
    }
    QStringList captions = Captions();
    captions.sort();
    EXPECT_EQ(captions, (QStringList{"dropped.html", "target.html"}));
    EXPECT_EQ(Text(target), QStringLiteral("path target"));
}

TEST_F(DesktopTest, TypingKeepsACopyThatASaveOrADiscardingCloseRemoves)
{
    session = std::make_unique<TDesktopSession>(
        *mainWindow, std::make_unique<TRecoveryCopies>(RecoveryFolder(), TRecoveryTimings{20, 1000}), nullptr);
    WriteFile(PathOf("page.html"), "text");
    TForm2* opened = OpenPage(PathOf("page.html"));
    TForm2* fresh = NewPage();
    EXPECT_TRUE(CopiesOnDisk().empty());  // nothing unsaved yet
    Type(opened, QStringLiteral("more "));
    Type(fresh, QStringLiteral("new"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->Recovery()->Writer()->WrittenCount() == 2; }));
    EXPECT_EQ(CopiesOnDisk().size(), 2u);

    mainWindow->Save1Click();  // the new page is in front; its Save As is cancelled
    EXPECT_EQ(CopiesOnDisk().size(), 2u);
    opened->BringToFront();
    mainWindow->Save1Click();
    EXPECT_EQ(ReadFile(PathOf("page.html")), QByteArray("more text"));
    EXPECT_EQ(CopiesOnDisk().size(), 1u);
    CloseDocument(fresh);  // Save As cancelled: the page's text is let go
    EXPECT_TRUE(CopiesOnDisk().empty());
}

TEST_F(DesktopTest, ACleanEndLeavesNothingToOffer)
{
    TForm2* page = NewPage();
    Type(page, QStringLiteral("unsaved"));
    WriteCopyNow(page);
    EXPECT_EQ(CopiesOnDisk().size(), 1u);
    mainWindow.reset();  // the program ends; the page goes unsaved, as the user chose
    session.reset();
    TRecoveryCopies next(RecoveryFolder());
    mainWindow = CreateApplicationWindows();
    next.OfferLeftovers(*mainWindow);
    EXPECT_TRUE(desktop.MessageTexts(MessageKind::Question).empty());
    // Only the new run's own folder is there.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(RecoveryFolder()), {}), 1);
}

enum class Answer { Overwrite = 0, Reload = 1, None = -1 };

TEST_F(DesktopTest, ASaveAsksBeforeItOverwritesAnotherProgramsChange)
{
    const struct {
        const char* name;
        Answer answer;
        QByteArray fileAfter;
        QString pageAfter;
    } cases[] = {
        {"overwrite", Answer::Overwrite, "mine old", "mine old"},
        {"reload", Answer::Reload, "theirs", "theirs"},
        {"no answer", Answer::None, "theirs", "mine old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(PathOf("page.html"), "old");
        TForm2* page = OpenPage(PathOf("page.html"));
        Type(page, QStringLiteral("mine "));
        ChangeBehindTheEditorsBack(PathOf("page.html"), "theirs");
        desktop.ClearRecords();
        desktop.askAnswers.push_back(static_cast<int>(c.answer));
        mainWindow->Save1Click();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Question),
                  std::vector<QString>{"The file " + PathOf("page.html") +
                                       " was changed by another program. Overwrite it with the text of this "
                                       "page, or reload it?"});
        EXPECT_EQ(ReadFile(PathOf("page.html")), c.fileAfter);
        EXPECT_EQ(Text(page), c.pageAfter);
        page->ConfirmOverwrite = nullptr;  // closing writes the page back; that is not under test here
        CloseDocument(page);
    }
    // Saving again after the page wrote or read the file asks nothing.
    WriteFile(PathOf("page.html"), "old");
    TForm2* page = OpenPage(PathOf("page.html"));
    desktop.ClearRecords();
    mainWindow->Save1Click();
    mainWindow->Save1Click();
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(DesktopTest, ActivatingAPageTellsOfItsFileChangedOrDeleted)
{
    WriteFile(PathOf("changed.html"), "old");
    WriteFile(PathOf("deleted.html"), "old");
    TForm2* changed = OpenPage(PathOf("changed.html"));
    TForm2* deleted = OpenPage(PathOf("deleted.html"));
    ChangeBehindTheEditorsBack(PathOf("changed.html"), "new");
    std::filesystem::remove(PathOf("deleted.html").toStdString());
    desktop.ClearRecords();
    desktop.askAnswers = {0};  // reload
    changed->BringToFront();
    Flush();
    EXPECT_EQ(Text(changed), QStringLiteral("new"));
    deleted->BringToFront();
    Flush();
    EXPECT_EQ(Text(deleted), QStringLiteral("old"));
    changed->BringToFront();  // told once: nothing more to say
    Flush();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].kind, MessageKind::Question);
    EXPECT_EQ(desktop.messages[1].text, "The file " + PathOf("deleted.html") +
                                            " was deleted by another program. The page keeps its text; "
                                            "saving it writes the file again.");
    deleted->BringToFront();
    mainWindow->Save1Click();  // writes the deleted file again without a question
    EXPECT_EQ(ReadFile(PathOf("deleted.html")), QByteArray("old"));
    EXPECT_EQ(desktop.messages.size(), 2u);
}

// A file name that is not UTF-8 reaches open() and the save as the bytes it has on disk, from each
// way a path comes in; only the caption shows it with replacement characters.
TEST_F(DesktopTest, AFileNameThatIsNotUtf8IsOpenedAndSavedUnderItsOwnBytes)
{
    const std::string name = "page\xff\xfe.html";
    const std::string path = QFile::encodeName(folder.path()).toStdString() + "/" + name;
    session->Start({});
    const struct {
        const char* name;
        std::function<void()> open;
    } sources[] = {
        {"command line", [&] {
             TStartFiles start;
             ASSERT_FALSE(ReadCommandLine({"--new-window", path}, SocketPath(), start).has_value());
             session->OpenFiles(start.Files);
         }},
        {"drop", [&] {
             QMimeData data;
             data.setData(QStringLiteral("text/uri-list"),
                          "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n");
             session->OpenFiles(DroppedFiles(data));
         }},
        {"later start", [&] {
             auto handOver = std::async(std::launch::async, [&] { return HandOver(SocketPath(), {{path}}, 5000); });
             ASSERT_TRUE(QTest::qWaitFor([&] { return handOver.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
             EXPECT_EQ(handOver.get(), THandOver::Done);
         }},
    };
    for (const auto& source : sources) {
        SCOPED_TRACE(source.name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << "old";
        source.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->DocumentCount() == 1; }));
        TForm2* page = mainWindow->ActiveDocument();
        EXPECT_EQ(page->Caption(), QStringLiteral("page\uFFFD\uFFFD.html"));
        EXPECT_EQ(mainWindow->PanelText(0), QStringLiteral("%1/page\uFFFD\uFFFD.html").arg(folder.path()));
        Type(page, QStringLiteral("new "));
        mainWindow->Save1Click();
        std::ifstream saved(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "new old");
        int pages = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path().toStdString()))
            pages += entry.path().filename().string().starts_with("page");
        EXPECT_EQ(pages, 1) << "no second file under a changed name";
        EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).empty());
        CloseDocument(page);
    }
}

TEST_F(DesktopTest, ARecoveryCopyBeyondThePageLimitsIsRefusedAsOpeningIsAndKept)
{
    {
        const auto snapshot = [](const std::string& bytes) {
            TTextBuffer buffer;
            buffer.LoadBytes(bytes);
            return buffer.Snapshot();
        };
        auto died = TRecoverySession::Start(RecoveryFolder());
        died->WriteCopy(0, "Noname0", "", snapshot("short"));
        died->WriteCopy(1, "long.html", "/site/long.html", snapshot("short\n0123456789"));
        died->WriteCopy(2, "Noname1", "", snapshot("0123456789"));
    }  // gone without cleaning up, as a killed run
    struct Limits {
        Limits() { SetTextLimits({5, 100}); }
        ~Limits() { SetTextLimits(DefaultTextLimits()); }
    } limits;
    desktop.askAnswers = {0};  // restore
    session->Start({});
    EXPECT_EQ(Captions(), QStringList{"Noname0"});
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
              (std::vector<QString>{"Cannot open file /site/long.html. A line is longer than 5 characters.",
                                    "Cannot open file Noname1. A line is longer than 5 characters."}));
    // The refused text is not lost: the next start offers the copies again.
    EXPECT_EQ(TLeftoverCopies::Claim(RecoveryFolder())->Copies().size(), 3u);
}

TEST_F(DesktopTest, TheChangedFileQuestionWaitsForAnOpenDialogToClose)
{
    WriteFile(PathOf("page.html"), "old");
    TForm2* page = OpenPage(PathOf("page.html"));
    Flush();
    ChangeBehindTheEditorsBack(PathOf("page.html"), "new");
    desktop.ClearRecords();
    desktop.askAnswers = {0};  // reload
    QDialog dialog(mainWindow.get());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    page->findChild<TFileChangeWatch*>()->Check();  // as coming back from another program does
    QTest::qWait(600);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(Text(page), QStringLiteral("old"));
    dialog.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !desktop.messages.empty(); }));
    EXPECT_EQ(desktop.messages[0].kind, MessageKind::Question);
    EXPECT_EQ(Text(page), QStringLiteral("new"));
}

}  // namespace
