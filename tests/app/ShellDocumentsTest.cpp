// Pages and files: the Window menu, the page counter, open, save, save as, and closing pages and
// the main window.
#include "ShellFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <csignal>
#include <sys/resource.h>

namespace {

// Files may grow to a few bytes only while one lives: a write of more fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace

TEST_F(ShellTest, WindowMenuListsPagesNewestFirstAndFollowsSaveAsAndClose)
{
    WriteFile(PathOf("a.html"), "<p>a</p>");
    TForm2* first = NewPage();
    TForm2* second = NewPage();
    TForm2* opened = OpenPage(PathOf("a.html"));
    EXPECT_EQ(WindowMenuTexts(), (QStringList{"a.html", "Noname1", "Noname0"}));

    second->BringToFront();
    desktop.saveFileAnswers.push_back(PathOf("b&c.html"));
    mainWindow->SaveAs1Click();
    EXPECT_EQ(WindowMenuTexts(), (QStringList{"a.html", "b&&c.html", "Noname0"}));
    EXPECT_EQ(second->Caption(), QStringLiteral("b&c.html"));

    CloseDocument(opened);
    EXPECT_EQ(WindowMenuTexts(), (QStringList{"b&&c.html", "Noname0"}));

    mainWindow->Window1->actions().last()->trigger();
    EXPECT_EQ(mainWindow->ActiveDocument(), first);
}

TEST_F(ShellTest, PageCounterNamesNewPagesAndOnlyNewAdvancesIt)
{
    WriteFile(PathOf("page.html"), "x");
    TForm2* first = NewPage();
    EXPECT_EQ(first->Caption(), QStringLiteral("Noname0"));
    CloseDocument(first);  // its save dialog is cancelled: closed unsaved
    OpenPage(PathOf("page.html"));
    EXPECT_EQ(NewPage()->Caption(), QStringLiteral("Noname1"));
    EXPECT_EQ(mainWindow->PageCounter(), 2);
}

TEST_F(ShellTest, NewWithOkFillsThePageWithTheSkeleton)
{
    desktop.AnswerModal([](QDialog& dialog) {
        static_cast<TForm24&>(dialog).Edit4->setText(QStringLiteral("Home"));
        return int(QDialog::Accepted);
    });
    mainWindow->New1Click();
    TForm2* page = mainWindow->ActiveDocument();
    EXPECT_EQ(page->CodeMemo1->Model().Document().LineCount(), 14);
    EXPECT_TRUE(Text(page).contains(QStringLiteral("\r\n<title>Home</title>\r\n")));
    EXPECT_TRUE(Text(page).endsWith(QStringLiteral("</body>\r\n</html>")));
    EXPECT_EQ(mainWindow->PanelText(1), QStringLiteral("Line: 1"));
    EXPECT_EQ(mainWindow->PanelText(2), QStringLiteral("Column: 1"));
    EXPECT_EQ(mainWindow->PanelText(3), QStringLiteral("Insert"));
    EXPECT_EQ(WindowMenuTexts(), QStringList{"Noname0"});
}

TEST_F(ShellTest, OpenLoadsTheFileAndFillsThePanels)
{
    const QString path = PathOf("index.html");
    WriteFile(path, "one\ntwo\n");
    TForm2* page = OpenPage(path);
    EXPECT_EQ(page->Caption(), QStringLiteral("index.html"));
    EXPECT_EQ(page->FileName, path);
    EXPECT_EQ(Text(page), QStringLiteral("one\ntwo\n"));
    EXPECT_EQ(mainWindow->PanelText(0), path);
    EXPECT_EQ(mainWindow->PanelText(1), QStringLiteral("Line: 1"));
    ASSERT_EQ(desktop.dialogs.size(), 1u);
    EXPECT_EQ(desktop.dialogs[0].fileOptions.filter,
              QStringLiteral("HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files (*.*)|*.*"));

    OpenPage(path);
    EXPECT_EQ(mainWindow->DocumentCount(), 2) << "the same file opens in a second, independent window";
    EXPECT_EQ(desktop.dialogs[1].fileOptions.initialPath, path) << "the dialog starts where it was last used";
}

TEST_F(ShellTest, AFileNameThatLooksLikeMarkUpIsShownAsItIs)
{
    const QString path = PathOf("<b>bold.html");
    WriteFile(path, "x");
    OpenPage(path);
    const auto* panel = mainWindow->findChild<QLabel*>(QStringLiteral("Panel0"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), path);
    EXPECT_EQ(panel->textFormat(), Qt::PlainText);
    EXPECT_EQ(WindowMenuTexts(), QStringList{"<b>bold.html"});
}

TEST_F(ShellTest, OpenFailureShowsTheMessageAndLeavesNoHalfMadeWindow)
{
    const QString missing = PathOf("missing.html");
    OpenPage(missing);
    Flush();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{"Cannot open file " + missing});
    EXPECT_EQ(mainWindow->DocumentCount(), 0);
    EXPECT_TRUE(mainWindow->MdiArea->subWindowList().isEmpty());
    EXPECT_TRUE(WindowMenuTexts().isEmpty());
    EXPECT_TRUE(mainWindow->PanelText(0).isEmpty());
    EXPECT_TRUE(desktop.DialogTitles(DialogKind::SaveFile).empty()) << "the window goes without a save";
}

TEST_F(ShellTest, SaveAsDialogTitlesNameThePage)
{
    WriteFile(PathOf("index.html"), "x");
    NewPage();
    mainWindow->Save1Click();  // no file yet: Save As, cancelled
    OpenPage(PathOf("index.html"));
    mainWindow->SaveAs1Click();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile),
              (std::vector<QString>{"Save Noname0 to file", "Save index.html to file"}));
    const FileDialogOptions& options = desktop.dialogs.back().fileOptions;
    EXPECT_EQ(options.defaultSuffix, QStringLiteral("html"));
    EXPECT_EQ(options.filter,
              QStringLiteral("HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files(*.*)|*.*"));
    EXPECT_EQ(mainWindow->ActiveDocument()->Caption(), QStringLiteral("index.html"));
}

TEST_F(ShellTest, SaveWritesAnOpenedPageBackWithoutAQuestion)
{
    const QString path = PathOf("lf.html");
    WriteFile(path, "a\nb\n");
    TForm2* page = OpenPage(path);
    page->CodeMemo1->Model().SetSelectionStart(0);
    page->CodeMemo1->Model().ReplaceSelection(U"x");
    mainWindow->Save1Click();
    EXPECT_EQ(ReadFile(path), QByteArray("xa\nb\n"));
    EXPECT_TRUE(desktop.dialogs.size() == 1u) << "only the open dialog";
}

TEST_F(ShellTest, SaveAsMovesThePageToTheNewFile)
{
    TForm2* page = NewPage();
    desktop.saveFileAnswers.push_back(PathOf("new.html"));
    mainWindow->SaveAs1Click();
    EXPECT_EQ(ReadFile(PathOf("new.html")), QByteArray(""));
    EXPECT_EQ(page->Caption(), QStringLiteral("new.html"));
    EXPECT_EQ(page->FileName, PathOf("new.html"));
    EXPECT_EQ(mainWindow->PanelText(0), PathOf("new.html"));
    EXPECT_EQ(page->SubWindow()->windowTitle(), QStringLiteral("new.html"));
}

TEST_F(ShellTest, FailedSaveKeepsTheOldFileAndThePage)
{
    const QString path = PathOf("kept.html");
    WriteFile(path, "old");
    TForm2* page = OpenPage(path);
    page->CodeMemo1->Model().SetText(std::string(64 * 1024, 'x'));
    {
        FileSizeLimit limit(1024);
        mainWindow->Save1Click();
    }
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{"Cannot create file " + path + ". File too large"});
    EXPECT_EQ(ReadFile(path), QByteArray("old"));
    EXPECT_EQ(page->Caption(), QStringLiteral("kept.html"));
    EXPECT_EQ(page->FileName, path);
}

TEST_F(ShellTest, FailedSaveAsLeavesCaptionFileNameEntryAndPanel)
{
    const QString target = PathOf("target.html");
    WriteFile(target, "old");
    TForm2* page = NewPage();
    page->CodeMemo1->Model().SetText(std::string(64 * 1024, 'x'));
    desktop.saveFileAnswers.push_back(target);
    {
        FileSizeLimit limit(1024);
        mainWindow->SaveAs1Click();
    }
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{"Cannot create file " + target + ". File too large"});
    EXPECT_EQ(ReadFile(target), QByteArray("old"));
    EXPECT_EQ(page->Caption(), QStringLiteral("Noname0"));
    EXPECT_TRUE(page->FileName.isEmpty());
    EXPECT_EQ(WindowMenuTexts(), QStringList{"Noname0"});
    EXPECT_TRUE(mainWindow->PanelText(0).isEmpty());
}

TEST_F(ShellTest, UploadSavesThePageFirst)
{
    NewPage();
    mainWindow->Upload1Click();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile), std::vector<QString>{"Save Noname0 to file"});
    EXPECT_TRUE(desktop.modelessWindows.empty());
}

TEST_F(ShellTest, ClosingAPageSavesItAsItsRuleSays)
{
    struct Case {
        const char* what;
        const char* fileName;  // opened from this file; nullptr for a new page
        std::optional<QString> saveAnswer;
        bool asksForAFile;
        QByteArray expectedFile;  // the opened file, or the chosen one, after the close
    };
    const QString chosen = PathOf("chosen.html");
    const Case cases[] = {
        {"opened page written back silently", "opened.html", std::nullopt, false, "typed-old"},
        {"new page saved to the chosen file", nullptr, chosen, true, "typed-"},
        {"new page, dialog cancelled", nullptr, std::nullopt, true, ""},
        {"a file named exactly Noname is not saved", "Noname", std::nullopt, false, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(chosen);
        desktop.ClearRecords();
        TForm2* page;
        if (c.fileName) {
            WriteFile(PathOf(c.fileName), "old");
            page = OpenPage(PathOf(c.fileName));
        } else {
            page = NewPage();
        }
        page->CodeMemo1->Model().SetSelectionStart(0);
        page->CodeMemo1->Model().ReplaceSelection(U"typed-");
        if (c.saveAnswer)
            desktop.saveFileAnswers.push_back(*c.saveAnswer);
        const QString caption = page->Caption();
        CloseDocument(page);
        EXPECT_EQ(mainWindow->DocumentCount(), 0);
        EXPECT_TRUE(WindowMenuTexts().isEmpty());
        EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile),
                  c.asksForAFile ? std::vector<QString>{"Save " + caption + " to file"} : std::vector<QString>{});
        EXPECT_EQ(ReadFile(c.fileName ? PathOf(c.fileName) : chosen), c.expectedFile);
    }
}

TEST_F(ShellTest, ClosingAPageThatCannotBeWrittenKeepsItOpen)
{
    TForm2* page = NewPage();
    // A folder in place of the chosen file cannot be written as a file.
    QDir(folder.path()).mkdir(QStringLiteral("taken.html"));
    desktop.saveFileAnswers.push_back(PathOf("taken.html"));
    CloseDocument(page);
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
              std::vector<QString>{"Cannot create file " + PathOf("taken.html") + ". Is a directory"});
    EXPECT_EQ(mainWindow->DocumentCount(), 1);
    EXPECT_EQ(page->Caption(), QStringLiteral("Noname0"));
    EXPECT_TRUE(page->FileName.isEmpty());
    EXPECT_EQ(WindowMenuTexts(), QStringList{"Noname0"});
}

TEST_F(ShellTest, ClosingTheActivePageShowsTheNextOnesFileInPanelZero)
{
    WriteFile(PathOf("one.html"), "1");
    WriteFile(PathOf("two.html"), "2");
    OpenPage(PathOf("one.html"));
    TForm2* second = OpenPage(PathOf("two.html"));
    EXPECT_EQ(mainWindow->PanelText(0), PathOf("two.html"));
    CloseDocument(second);
    EXPECT_EQ(mainWindow->PanelText(0), PathOf("one.html"));
}

TEST_F(ShellTest, ExitSavesEveryPageActiveFirstAndCancellingStillEnds)
{
    TForm2* first = NewPage();
    NewPage();
    first->WindowMenuItem->trigger();
    bool closed = false;
    QObject::connect(mainWindow.get(), &TForm1::Closed, [&closed] { closed = true; });
    mainWindow->Exit1Click();
    EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile),
              (std::vector<QString>{"Save Noname0 to file", "Save Noname1 to file"}));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(mainWindow->isVisible());
}

TEST_F(ShellTest, ExitWritesEveryPageToItsFile)
{
    WriteFile(PathOf("kept.html"), "kept");
    TForm2* opened = OpenPage(PathOf("kept.html"));
    opened->CodeMemo1->Model().SetSelectionStart(0);
    opened->CodeMemo1->Model().ReplaceSelection(U"+");
    NewPage();
    desktop.saveFileAnswers.push_back(PathOf("fresh.html"));
    mainWindow->close();
    EXPECT_EQ(ReadFile(PathOf("kept.html")), QByteArray("+kept"));
    EXPECT_TRUE(QFile::exists(PathOf("fresh.html")));
    EXPECT_FALSE(mainWindow->isVisible());
}

TEST_F(ShellTest, ExitStopsAtAPageThatCannotBeWritten)
{
    TForm2* later = NewPage();
    TForm2* failing = NewPage();  // active, so saved first
    QDir(folder.path()).mkdir(QStringLiteral("taken.html"));
    desktop.saveFileAnswers.push_back(PathOf("taken.html"));
    bool closed = false;
    QObject::connect(mainWindow.get(), &TForm1::Closed, [&closed] { closed = true; });
    mainWindow->close();
    EXPECT_FALSE(closed);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(desktop.DialogTitles(DialogKind::SaveFile), std::vector<QString>{"Save Noname1 to file"});
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error),
              std::vector<QString>{"Cannot create file " + PathOf("taken.html") + ". Is a directory"});
    EXPECT_EQ(mainWindow->DocumentCount(), 2);
    EXPECT_EQ(failing->Caption(), QStringLiteral("Noname1"));
    EXPECT_EQ(later->Caption(), QStringLiteral("Noname0"));
}
