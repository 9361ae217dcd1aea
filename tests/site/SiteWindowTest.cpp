// The site window offscreen against pyftpdlib on 127.0.0.1 (and sshd once): a site made from a folder,
// its statuses, a publish of all, the selection or one page, a conflict answered each way, a link problem
// opened at its line, and a file on the server opened in a stand-in editor (a listener on the instance
// socket), saved and put back, once over a server copy changed meanwhile; publish on save, the server's
// folders made, renamed and deleted as answered, profiles, the layout kept, closing during a publish, and
// a server gone silent.

#include "desktop/CommandLine.h"
#include "desktop/InstanceProtocol.h"
#include "site/widget/FileTreeModel.h"
#include "site/widget/PublishQueue.h"
#include "site/widget/SiteSetupDialog.h"
#include "site/widget/SiteWindow.h"
#include "site/widget/SiteWindowApp.h"
#include "support/ScopedEnvironment.h"
#include "support/ScriptedPlatform.h"
#include "support/TestFiles.h"
#include "support/net/RealFtpServer.h"
#include "support/net/SftpTestServer.h"
#include "transfer/RemoteSession.h"
#include "upload/dialogs/FTPU.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QItemSelectionModel>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool WaitFor(const std::function<bool()>& done, int milliseconds = 30000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The editor's end of the instance socket: takes every request and answers "ok".
class TStandInEditor {
public:
    explicit TStandInEditor(const std::string& socketPath) : listener_(TInstanceListener::Listen(socketPath))
    {
        thread_ = std::thread([this] { Serve(); });
    }
    ~TStandInEditor()
    {
        stop_ = true;
        thread_.join();
    }
    bool Listening() const { return listener_ != nullptr; }
    std::vector<std::string> Opened()
    {
        const std::lock_guard lock(mutex_);
        return opened_;
    }
    std::vector<int> Lines()
    {
        const std::lock_guard lock(mutex_);
        return lines_;
    }
    // Whether the last request asked for its pages side by side.
    bool SideBySide()
    {
        const std::lock_guard lock(mutex_);
        return sideBySide_;
    }

private:
    void Serve()
    {
        while (!stop_ && listener_) {
            const int fd = listener_->Accept();
            if (fd < 0) {
                ::usleep(5000);
                continue;
            }
            TRequestReader reader;
            TRequestState state = TRequestState::Incomplete;
            for (int wait = 0; wait < 500 && state == TRequestState::Incomplete; ++wait)
                if ((state = reader.ReadFrom(fd)) == TRequestState::Incomplete)
                    ::usleep(5000);
            if (state == TRequestState::Complete) {
                SendOpenReply(fd);
                const std::lock_guard lock(mutex_);
                opened_.insert(opened_.end(), reader.Request().Paths.begin(), reader.Request().Paths.end());
                lines_.insert(lines_.end(), reader.Request().Lines.begin(), reader.Request().Lines.end());
                sideBySide_ = reader.Request().SideBySide;
            }
            ::close(fd);
        }
    }

    std::unique_ptr<TInstanceListener> listener_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> opened_;
    std::vector<int> lines_;
    bool sideBySide_ = false;
};

class SiteWindowTest : public testing::Test {
protected:
    SiteWindowTest()
        : server_(RealFtpServer::Start(FtpServerKind::Pyftpdlib)), work_(MakeTempDirectory("tallo-site-window-")),
          runtime_(fs::path(work_) / "runtime"), cache_(fs::path(work_) / "cache"),
          runtimeVariable_("XDG_RUNTIME_DIR", runtime_.c_str()), cacheVariable_("XDG_CACHE_HOME", cache_.c_str())
    {
        fs::create_directories(runtime_);
        ::chmod(runtime_.c_str(), 0700);
        WriteTestFile(ConnectSet(), "web\r\n" + server_->User() + "\r\n" + server_->Password() + "\r\n127.0.0.1\r\nYes\r\n" +
                                    std::to_string(server_->Port()) + "\r\n\r\n");
        WriteTestFile(Site() / "index.html", "<a href=\"about.html\">about</a>\n<img src=\"logo.png\">\n");
        WriteTestFile(Site() / "about.html", "<p>about</p>\n<img src=\"missing.png\">\n");
        WriteTestFile(Site() / "logo.png", std::string(5000, 'L'));
        editor_ = std::make_unique<TStandInEditor>(runtime_ + "/tallo.socket");
        window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), QString());
    }
    ~SiteWindowTest() override
    {
        window_.reset();
        editor_.reset();
        RemoveTree(work_);
    }

    fs::path ConnectSet() const { return fs::path(work_) / "connect.set"; }
    fs::path Site() const { return fs::path(work_) / "site"; }
    fs::path Remote() const { return fs::path(server_->UploadPath()); }
    bool Idle() { return WaitFor([&] { return !window_->Busy(); }); }

    // "New Site" for the site folder with the profile and remote folder "upload".
    void MakeSite()
    {
        platform_.AnswerModal([&](QDialog& dialog) {
            auto& setup = dynamic_cast<TSiteSetupDialog&>(dialog);
            EXPECT_EQ(setup.FolderEdit->text().toStdString(), Site().string());
            setup.ProfileBox->setCurrentText(QStringLiteral("web"));
            setup.RemoteEdit->setText(QStringLiteral("upload"));
            setup.OkButton->click();
            return dialog.result();
        });
        window_->NewSiteForFolder(Site().string());
        ASSERT_TRUE(window_->Site().has_value());
        ASSERT_TRUE(Idle());
    }

    QString StatusOf(const QString& path) const
    {
        const QModelIndex row = Row(window_->SiteTree, path.section('/', -1));
        return row.isValid() ? row.siblingAtColumn(1).data().toString() : QStringLiteral("(not listed)");
    }

    // The first row of that name, in any folder; invalid when there is none.
    QModelIndex Row(QTreeView* tree, const QString& name) const
    {
        QAbstractItemModel* model = tree->model();
        const auto found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? QModelIndex() : found.front();
    }

    void Trigger(const QString& text)
    {
        for (QAction* action : window_->findChildren<QAction*>())
            if (action->text() == text)
                return action->trigger();
        ADD_FAILURE() << "no action " << text.toStdString();
    }

    void PublishAll()
    {
        window_->Publish(TPublishScope::All);
        ASSERT_TRUE(WaitFor([&] { return !platform_.MessageTexts(MessageKind::Plain).empty() && !window_->Busy(); }));
    }

    ScriptedPlatform platform_;
    std::unique_ptr<RealFtpServer> server_;
    std::string work_;
    std::string runtime_;
    std::string cache_;
    ScopedEnvironment runtimeVariable_;
    ScopedEnvironment cacheVariable_;
    std::unique_ptr<TStandInEditor> editor_;
    std::unique_ptr<TSiteWindow> window_;
};

// The server's rows come sorted by name in each folder, with the server's paths; a status that moves
// tells the view about its own row only.
TEST(SiteTreeRowsTest, ServerRowsSortByNameAndAStatusTellsOnlyItsRow)
{
    TRemoteTree tree;
    tree.Folders = {"", "b", "b/c"};
    for (const char* path : {"z.html", "b/y.png", "a.html", "b/c/x.css", "b/B.txt"})
        tree.Files[path] = TRemoteEntry{fs::path(path).filename().string(), TRemoteKind::File, 7, 0};
    TFileTreeModel server(TFileColumns::SizeAndTime, nullptr);
    server.Reset(ServerRows(tree, "www"));
    const auto names = [&](const QModelIndex& folder) {
        QStringList shown;
        for (int row = 0; row < server.rowCount(folder); ++row)
            shown << server.index(row, 0, folder).data().toString() + "=" + server.index(row, 0, folder).data(TFileTreeModel::kPathRole).toString();
        return shown.join(' ').toStdString();
    };
    EXPECT_EQ(names({}), "a.html=www/a.html b=www/b z.html=www/z.html");
    EXPECT_EQ(names(server.index(1, 0)), "B.txt=www/b/B.txt c=www/b/c y.png=www/b/y.png");
    EXPECT_EQ(server.index(0, 2).data().toString(), "1970-01-01 00:00");

    std::vector<TFileStatus> statuses(3);
    statuses[0].Path = "a.html";
    statuses[1].Path = "b/c.html";
    statuses[2].Path = "d.html";
    TFileTreeModel site(TFileColumns::Status, nullptr);
    site.Reset(SiteRows(statuses, {{"b/c.html", TPageLinks{{}, {TLinkProblem{}}}}}));
    EXPECT_EQ(site.index(0, 1, site.index(1, 0)).data().toString(), "unchanged, broken references");
    QSignalSpy told(&site, &QAbstractItemModel::dataChanged);
    const struct {
        int File;
        TFileState State;
        bool Broken;
        int Told;
        const char* Shown;
    } cases[] = {
        {0, TFileState::Unchanged, false, 0, "unchanged"},
        {0, TFileState::Changed, false, 1, "changed"},
        {2, TFileState::ServerOnly, false, 1, "on the server only"},
        {1, TFileState::Unchanged, false, 1, "unchanged"},
    };
    for (const auto& c : cases) {
        told.clear();
        const int row = site.Rows().Files[c.File];
        site.UpdateStatus(row, c.State, c.Broken);
        EXPECT_EQ(told.size(), c.Told) << c.Shown;
        EXPECT_EQ(site.IndexOf(row, 1).data().toString().toStdString(), c.Shown);
        if (c.Told == 1)
            EXPECT_EQ(told.front().front().value<QModelIndex>(), site.IndexOf(row, 0)) << c.Shown;
    }
}

TEST_F(SiteWindowTest, MadeFromAFolderShowsStatusesPublishesAndHoldsConflictsUntilAnswered)
{
    MakeSite();
    EXPECT_EQ(StatusOf("index.html"), "new");
    EXPECT_EQ(StatusOf("about.html"), "new, broken references");
    EXPECT_TRUE(window_->SummaryLabel->text().startsWith("2 files would go up")) << window_->SummaryLabel->text().toStdString();
    ASSERT_EQ(window_->ProblemList->topLevelItemCount(), 1);
    EXPECT_EQ(window_->ProblemList->topLevelItem(0)->text(0), "about.html");
    EXPECT_EQ(window_->ProblemList->topLevelItem(0)->text(1), "2");
    emit window_->ProblemList->itemActivated(window_->ProblemList->topLevelItem(0), 0);
    ASSERT_TRUE(WaitFor([&] { return !editor_->Opened().empty(); }));
    EXPECT_EQ(editor_->Opened(), std::vector<std::string>{(Site() / "about.html").string()});
    EXPECT_EQ(editor_->Lines(), std::vector<int>{2});

    // The rows stay through the publish's fresh look at the site, so what the user chose stays chosen.
    window_->SiteTree->setCurrentIndex(Row(window_->SiteTree, "index.html"));
    PublishAll();
    EXPECT_EQ(window_->SiteTree->currentIndex(), Row(window_->SiteTree, "index.html"));
    EXPECT_TRUE(window_->SiteTree->selectionModel()->isSelected(Row(window_->SiteTree, "index.html")));
    EXPECT_TRUE(platform_.MessageTexts(MessageKind::Plain).back().startsWith("2 sent, 0 removed, 0 failed."));
    EXPECT_EQ(ReadTestFile(Remote() / "logo.png"), std::string(5000, 'L'));
    EXPECT_FALSE(fs::exists(Remote() / "about.html"));
    EXPECT_EQ(window_->Queue->RowPercent("logo.png"), 100);
    EXPECT_EQ(StatusOf("index.html"), "unchanged");
    // The server's row of a file just sent shows the time the server gave it, as a refresh would.
    EXPECT_FALSE(Row(window_->ServerTree, "logo.png").siblingAtColumn(2).data().toString().isEmpty());

    // A colleague changes index.html on the server while it is changed here too.
    WriteTestFile(Remote() / "index.html", "theirs, longer than before\n");
    WriteTestFile(Site() / "index.html", "ours\n");
    const std::string theirs = "theirs, longer than before\n";
    window_->Refresh();
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(window_->SummaryLabel->text().startsWith("0 files would go up; 1 conflict")) << window_->SummaryLabel->text().toStdString();
    const std::size_t opened = editor_->Opened().size();
    struct Case {
        std::vector<int> Answers;  // 0 skip, 1 overwrite, 2 compare (then asked again)
        std::string ServerAfter;
        QString Summary;
    };
    const QString skipped = "Nothing was sent.\nHeld back: 1 changed on the server, 1 with broken references.";
    for (const Case& answer : {Case{{0}, theirs, skipped}, Case{{2, 0}, theirs, skipped},
                               Case{{1}, "ours\n", "1 sent, 0 removed, 0 failed.\nHeld back: 0 changed on the server, 1 with broken references."}}) {
        SCOPED_TRACE(answer.Answers.front());
        platform_.ClearRecords();
        platform_.askAnswers.assign(answer.Answers.begin(), answer.Answers.end());
        PublishAll();
        ASSERT_EQ(platform_.MessageTexts(MessageKind::Question).size(), answer.Answers.size());
        EXPECT_TRUE(platform_.MessageTexts(MessageKind::Question).front().startsWith("index.html changed on the server"));
        EXPECT_EQ(ReadTestFile(Remote() / "index.html"), answer.ServerAfter);
        EXPECT_EQ(platform_.MessageTexts(MessageKind::Plain).back(), answer.Summary);
    }
    // Compare opened both versions side by side, the server's under a name of its own.
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == opened + 2; }));
    EXPECT_TRUE(editor_->SideBySide());
    EXPECT_EQ(editor_->Opened()[opened], (Site() / "index.html").string());
    EXPECT_TRUE(editor_->Opened().back().ends_with("/index (server).html")) << editor_->Opened().back();
    EXPECT_EQ(ReadTestFile(editor_->Opened().back()), theirs);
    EXPECT_EQ(StatusOf("index.html"), "unchanged");
}

// Publish Selection sends the chosen files (a folder stands for those below it); Publish This Page the
// page and the changed files it uses, a page among them with a broken reference held back.
TEST_F(SiteWindowTest, PublishingTheSelectionOrOnePageSendsOnlyThose)
{
    WriteTestFile(Site() / "sub" / "a.html", "<p>a</p>\n");
    WriteTestFile(Site() / "sub" / "b.css", "p {}\n");
    MakeSite();
    const struct {
        const char* name;
        QString select;
        TPublishScope scope;
        std::set<std::string> onServer;  // afterwards, the files before included
    } cases[] = {
        {"a folder", "sub", TPublishScope::Selection, {"sub/a.html", "sub/b.css"}},
        {"a page", "index.html", TPublishScope::Page, {"sub/a.html", "sub/b.css", "index.html", "logo.png"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform_.ClearRecords();
        window_->SiteTree->selectionModel()->setCurrentIndex(Row(window_->SiteTree, c.select),
                                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        window_->Publish(c.scope);
        ASSERT_TRUE(WaitFor([&] { return !platform_.MessageTexts(MessageKind::Plain).empty() && !window_->Busy(); }));
        std::set<std::string> onServer;
        for (const auto& entry : fs::recursive_directory_iterator(Remote()))
            if (entry.is_regular_file())
                onServer.insert(fs::relative(entry.path(), Remote()).string());
        EXPECT_EQ(onServer, c.onServer);
    }
}

// Over SFTP the window asks about a server key it has not seen, as the Upload window does: refused, the
// server is not listed; trusted, it is, and the key is not asked about again.
TEST_F(SiteWindowTest, OverSftpAnUnknownServerKeyIsAskedAboutUntilTrusted)
{
    const std::unique_ptr<SftpTestServer> sftp = SftpTestServer::Start();
    const ScopedEnvironment config("XDG_CONFIG_HOME", (work_ + "/config").c_str());
    WriteTestFile(fs::path(sftp->Root()) / "upload" / "theirs.html", "<p>theirs</p>\n");
    WriteTestFile(ConnectSet(), "web\r\n" + sftp->User() + "\r\n" + sftp->Password() + "\r\nsftp://127.0.0.1\r\nYes\r\n" +
                                    std::to_string(sftp->Port()) + "\r\n\r\n");
    window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), QString());
    platform_.askAnswers = {0, 1};  // "&Refuse", then "&Trust and remember"
    MakeSite();
    EXPECT_NE(window_->SummaryLabel->text().indexOf("the server was not listed"), -1) << window_->SummaryLabel->text().toStdString();
    for (int refresh = 0; refresh < 2; ++refresh) {
        window_->Refresh();
        ASSERT_TRUE(Idle());
        EXPECT_EQ(StatusOf("theirs.html"), "on the server only");
    }
    ASSERT_EQ(platform_.MessageTexts(MessageKind::Question).size(), 2u);
    EXPECT_TRUE(platform_.MessageTexts(MessageKind::Question).back().startsWith("This is the first connection to 127.0.0.1"));
}

// Profiles are made and edited with the editor's own New FTP Connection dialog, the password never shown;
// the window offers a new one at once.
TEST_F(SiteWindowTest, ProfilesAreMadeAndEditedWithTheEditorsOwnDialog)
{
    const auto answer = [&](std::function<void(TForm4&)> fill) {
        platform_.AnswerModal([fill](QDialog& dialog) {
            auto& form = dynamic_cast<TForm4&>(dialog);
            EXPECT_EQ(form.Edit3->echoMode(), QLineEdit::Password);
            fill(form);
            form.Button1->click();
            return dialog.result();
        });
    };
    answer([](TForm4& form) {
        form.Edit1->setText(QStringLiteral("second"));
        form.Edit2->setText(QStringLiteral("me"));
        form.Edit3->setText(QStringLiteral("secret"));
        form.Edit4->setText(QStringLiteral("127.0.0.1"));
    });
    Trigger(QStringLiteral("New &Profile..."));
    EXPECT_NE(window_->ProfileBox->findText(QStringLiteral("second")), -1);

    window_->ProfileBox->setCurrentText(QStringLiteral("web"));
    answer([](TForm4& form) {
        EXPECT_EQ(form.Edit1->text(), QStringLiteral("web"));
        form.Edit6->setText(QStringLiteral("upload"));
    });
    Trigger(QStringLiteral("&Edit Profile..."));
    EXPECT_NE(ReadTestFile(ConnectSet()).find("\r\nupload\r\n"), std::string::npos) << ReadTestFile(ConnectSet());
}

// The window's size and its dividers come back at the next start.
TEST_F(SiteWindowTest, SizeAndDividersAreKeptBetweenRuns)
{
    const QString settings = QString::fromStdString(work_ + "/config/tallo-site.conf");
    window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), settings);
    window_->show();
    window_->resize(720, 520);
    window_->SideBySide->setSizes({200, 500});
    ASSERT_TRUE(window_->close());
    const QList<int> kept = window_->SideBySide->sizes();
    window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), settings);
    window_->show();
    EXPECT_EQ(window_->size(), QSize(720, 520));
    EXPECT_EQ(window_->SideBySide->sizes(), kept);
}

// A site opened by a relative folder is known by its absolute one: the editor it hands files to may run
// in another folder.
TEST_F(SiteWindowTest, ASiteOpenedByARelativeFolderIsKnownByItsAbsoluteOne)
{
    MakeSite();
    const std::string before = CurrentFolder();
    ASSERT_EQ(::chdir(work_.c_str()), 0);
    window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), QString());
    const bool opened = window_->OpenSite("./site/");
    ASSERT_EQ(::chdir(before.c_str()), 0);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(window_->Site()->Folder(), Site().string());
    EXPECT_EQ(StatusOf("index.html"), "new");
}

// The program begins a site's first snapshot before it builds the window: the window shows that one
// as its own, rows and all, and goes on with its session.
TEST_F(SiteWindowTest, AFirstSnapshotBegunBeforeTheWindowIsShownAsItsOwn)
{
    MakeSite();
    PublishAll();
    WriteTestFile(Site() / "index.html", "<p>changed</p>\n");
    WriteTestFile(Remote() / "extra.txt", "theirs");
    TStartedOpen started = StartSiteOpen(Site().string(), ConnectSet().string());
    ASSERT_TRUE(started.Taken.valid());
    window_ = std::make_unique<TSiteWindow>(ConnectSet().string(), QString());
    ASSERT_TRUE(window_->OpenSite(Site().string(), std::move(started)));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StatusOf("index.html"), "changed");
    EXPECT_EQ(StatusOf("logo.png"), "unchanged");
    EXPECT_EQ(StatusOf("extra.txt"), "on the server only");
    EXPECT_TRUE(Row(window_->ServerTree, "extra.txt").isValid());
    EXPECT_TRUE(window_->SummaryLabel->text().startsWith("1 file would go up")) << window_->SummaryLabel->text().toStdString();

    ::unlink((Remote() / "extra.txt").c_str());
    window_->Refresh();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StatusOf("extra.txt"), "(not listed)");
}

TEST_F(SiteWindowTest, AFileOnTheServerIsOpenedInTheEditorAndPutBackWhenSavedButNeverOverAChangedCopy)
{
    const std::string oldNews = "<p>old news</p>\n<img src=\"missing.png\">\n";
    WriteTestFile(Remote() / "news.html", oldNews);
    WriteTestFile(Remote() / "missing.png", "PNG");  // about.html misses it too
    WriteTestFile(fs::path(server_->UploadPath()).parent_path() / "outside.txt", "not the site's");
    MakeSite();
    ASSERT_EQ(StatusOf("news.html"), "on the server only");
    ASSERT_EQ(StatusOf("about.html"), "new, broken references");
    EXPECT_TRUE(Row(window_->SiteTree, "news.html").data(Qt::FontRole).value<QFont>().italic());

    // The two copies agree now; the page's references are checked, and a fetched file mends the pages
    // that missed it.
    window_->OpenRemoteFile("upload/news.html");
    const std::string local = (Site() / "news.html").string();
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened() == std::vector<std::string>{local}; }));
    EXPECT_EQ(ReadTestFile(local), oldNews);
    EXPECT_EQ(StatusOf("news.html"), "unchanged, broken references");
    window_->OpenRemoteFile("upload/missing.png");
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == 2; }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StatusOf("news.html"), "unchanged");
    EXPECT_EQ(StatusOf("about.html"), "new");

    WriteTestFile(local, "<p>fresh news</p>\n");  // the editor saves
    ASSERT_TRUE(WaitFor([&] { return ReadTestFile(Remote() / "news.html") == "<p>fresh news</p>\n"; }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StatusOf("news.html"), "unchanged");
    EXPECT_EQ(Row(window_->ServerTree, "news.html").siblingAtColumn(1).data().toString(), "18");

    // Somebody else changes the server's copy; the next save asks, and keeping theirs sends nothing.
    WriteTestFile(Remote() / "news.html", "<p>their news, meanwhile</p>\n");
    platform_.askAnswers.push_back(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WriteTestFile(local, "<p>my second news</p>\n");
    ASSERT_TRUE(WaitFor([&] { return !platform_.MessageTexts(MessageKind::Question).empty(); }));
    EXPECT_TRUE(platform_.MessageTexts(MessageKind::Question).front().startsWith("upload/news.html changed on the server"));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(ReadTestFile(Remote() / "news.html"), "<p>their news, meanwhile</p>\n");

    // A file outside the site's folder goes to a private cache.
    window_->OpenRemoteFile("outside.txt");
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == 3; }));
    const std::string cached = editor_->Opened().back();
    EXPECT_TRUE(cached.starts_with(cache_ + "/tallo/remote/")) << cached;
    EXPECT_EQ(ReadTestFile(cached), "not the site's");
    struct stat info {};
    ASSERT_EQ(::stat((cache_ + "/tallo").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// A fetch that ends while the site is being read again: that reading's rows, taken before the file
// came, do not undo what the fetch showed.
TEST_F(SiteWindowTest, AFileFetchedWhileTheSiteIsReadAgainStaysAgreed)
{
    WriteTestFile(Remote() / "news.html", "<p>news</p>\n");
    MakeSite();
    server_->Pause();
    window_->OpenRemoteFile("upload/news.html");  // waits on the kept session
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    window_->Refresh();  // reads the site without news.html, then waits for a session of its own
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server_->Resume();
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == 1; }));
    ASSERT_TRUE(Idle());
    EXPECT_EQ(StatusOf("news.html"), "unchanged");
}

TEST_F(SiteWindowTest, ThePagesOpenedFromTheWindowArePublishedOnSaveOnlyWhenSwitchedOn)
{
    MakeSite();
    PublishAll();
    emit window_->SiteTree->activated(Row(window_->SiteTree, "index.html"));
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == 1; }));
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        window_->SetPublishOnSave(on);
        const std::string saved = on ? "saved with publish on save\n" : "saved without\n";
        WriteTestFile(Site() / "index.html", saved);  // the editor saves
        if (on) {
            ASSERT_TRUE(WaitFor([&] { return ReadTestFile(Remote() / "index.html") == saved; }));
            ASSERT_TRUE(Idle());
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            window_->Refresh();
            ASSERT_TRUE(Idle());
            EXPECT_EQ(StatusOf("index.html"), "changed");
            EXPECT_NE(ReadTestFile(Remote() / "index.html"), saved);
        }
    }
}

TEST_F(SiteWindowTest, TheServersFoldersAreMadeRenamedAndDeletedOnlyAsAnswered)
{
    WriteTestFile(Remote() / "news.html", "news");
    MakeSite();
    const auto name = [this](const QString& text) {
        platform_.AnswerModal([text](QDialog& dialog) {
            dynamic_cast<QInputDialog&>(dialog).setTextValue(text);
            return int(QDialog::Accepted);
        });
    };
    const struct {
        const char* name;
        QString select;  // the server row chosen first; empty: none
        QString action;
        std::function<void()> answer;
        std::vector<std::string> present, absent;
        std::size_t errors = 0;
    } cases[] = {
        {"new folder", "", "&New Folder...", [&] { name("made"); }, {"made"}, {}},
        {"new folder cancelled", "", "&New Folder...", [&] { platform_.RejectNextModal(); }, {}, {""}},
        {"a name reaching out", "news.html", "Re&name...", [&] { name("../escaped.html"); }, {"news.html"},
         {"../escaped.html"}, 1},
        {"rename", "news.html", "Re&name...", [&] { name("renamed.html"); }, {"renamed.html"}, {"news.html"}},
        {"delete declined", "renamed.html", "&Delete...", [&] { platform_.confirmAnswers.push_back(false); },
         {"renamed.html"}, {}},
        {"delete", "renamed.html", "&Delete...", [&] { platform_.confirmAnswers.push_back(true); }, {},
         {"renamed.html"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform_.ClearRecords();
        const std::size_t entries = std::distance(fs::directory_iterator(Remote()), fs::directory_iterator());
        // The server's folder is listed again after each operation; the row chosen must be there first.
        ASSERT_TRUE(WaitFor([&] { return c.select.isEmpty() || Row(window_->ServerTree, c.select).isValid(); }));
        window_->ServerTree->setCurrentIndex(c.select.isEmpty() ? QModelIndex() : Row(window_->ServerTree, c.select));
        ASSERT_EQ(window_->ServerTree->currentIndex().isValid(), !c.select.isEmpty());
        c.answer();
        Trigger(c.action);
        ASSERT_TRUE(Idle());
        for (const std::string& path : c.present) EXPECT_TRUE(fs::exists(Remote() / path)) << path;
        for (const std::string& path : c.absent)
            if (path.empty())
                EXPECT_EQ(std::distance(fs::directory_iterator(Remote()), fs::directory_iterator()), entries);
            else
                EXPECT_FALSE(fs::exists(Remote() / path)) << path;
        EXPECT_EQ(platform_.MessageTexts(MessageKind::Error).size(), c.errors);
    }
}

// The server stops mid-publish (paused), so the publish is surely running when the window closes.
TEST_F(SiteWindowTest, OutsideASiteTheServersFoldersAreListedAsTheyAreOpened)
{
    WriteTestFile(Remote() / "news" / "today.html", "<p>today</p>\n");
    window_->BrowseProfile("web");
    ASSERT_TRUE(WaitFor([&] { return Row(window_->ServerTree, "upload").isValid(); }));
    EXPECT_FALSE(Row(window_->ServerTree, "news").isValid());
    // Each folder is listed when it is opened, and its rows appear below it.
    for (const auto& [folder, shown] : {std::pair{"upload", "news"}, std::pair{"news", "today.html"}}) {
        window_->ServerTree->expand(Row(window_->ServerTree, folder));
        ASSERT_TRUE(WaitFor([&] { return Row(window_->ServerTree, shown).isValid(); })) << folder;
    }
    const QModelIndex today = Row(window_->ServerTree, "today.html");
    EXPECT_EQ(today.data(TSiteWindow::kPathRole).toString(), "upload/news/today.html");
    emit window_->ServerTree->activated(today);
    ASSERT_TRUE(WaitFor([&] { return editor_->Opened().size() == 1; }));
    EXPECT_EQ(ReadTestFile(editor_->Opened().front()), "<p>today</p>\n");
}

TEST_F(SiteWindowTest, ClosingDuringAPublishAsksAndCancellingLeavesNoHalfFile)
{
    MakeSite();
    const std::string big(32 << 20, 'B');
    WriteTestFile(Site() / "big.bin", big);
    window_->Refresh();
    ASSERT_TRUE(Idle());
    window_->show();
    window_->Publish(TPublishScope::All);
    ASSERT_TRUE(WaitFor([&] { return window_->Queue->RowPercent("big.bin") >= 0; }));
    server_->Pause();
    platform_.confirmAnswers = {false, true};
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->Busy());
    // The server stays silent until the window has closed: the cancel ends every wait of the publish.
    EXPECT_TRUE(window_->close());
    server_->Resume();
    EXPECT_EQ(platform_.MessageTexts(MessageKind::Confirm).size(), 2u);
    // No file of the site is ever half written under its own name; a cancelled upload may leave only
    // its temporary name, which no listing takes for a file of the site.
    for (const auto& entry : fs::recursive_directory_iterator(Remote())) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() || IsSafeReplaceTemporaryName(name))
            continue;
        const fs::path local = Site() / fs::relative(entry.path(), Remote());
        EXPECT_EQ(fs::file_size(entry.path()), fs::file_size(local)) << entry.path();
    }
}

// A refresh waiting on a server gone silent does not hold the window's close: the close cancels it.
// A server that stops answering holds neither Esc nor the close; its late answer to a reading given up
// changes nothing.
TEST_F(SiteWindowTest, AServerGoneSilentHoldsNeitherEscNorTheClose)
{
    MakeSite();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QAction* refresh = nullptr;
    for (QAction* action : window_->findChildren<QAction*>())
        if (action->text() == QStringLiteral("&Refresh"))
            refresh = action;
    ASSERT_NE(refresh, nullptr);

    server_->Pause();
    window_->Refresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the listing waits for its reply now
    ASSERT_FALSE(refresh->isEnabled());
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_TRUE(window_->SummaryLabel->text().startsWith("Stopped")) << window_->SummaryLabel->text().toStdString();
    server_->Resume();
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(window_->SummaryLabel->text().startsWith("Stopped"));

    server_->Pause();
    window_->Refresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(window_->close());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    server_->Resume();
}

}  // namespace
