// The site window's trees: filling them from a snapshot or a listing, and what a double-click does.

#include "site/widget/SiteWindow.h"

#include "platform/Platform.h"
#include "site/widget/DecodedText.h"
#include "site/widget/ProfileChoice.h"
#include "site/widget/SiteJobs.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QFont>
#include <QStatusBar>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

namespace {

// The item of a folder path below root, made with its parents as needed.
QTreeWidgetItem* FolderItem(QTreeWidgetItem* root, std::map<std::string, QTreeWidgetItem*>& folders, const std::string& path)
{
    if (path.empty())
        return root;
    if (auto found = folders.find(path); found != folders.end())
        return found->second;
    const std::size_t slash = path.rfind('/');
    QTreeWidgetItem* parent = FolderItem(root, folders, slash == std::string::npos ? std::string() : path.substr(0, slash));
    auto* item = new QTreeWidgetItem(parent, {Decoded(slash == std::string::npos ? path : path.substr(slash + 1))});
    item->setData(0, TSiteWindow::kPathRole, Decoded(path));
    item->setData(0, TSiteWindow::kFolderRole, true);
    folders.emplace(path, item);
    return item;
}

// Rows are built below a root outside the tree and moved in at once: a tree that is shown announces
// every row added to it one by one.
void MoveRowsInto(QTreeWidget* tree, QTreeWidgetItem& root)
{
    tree->addTopLevelItems(root.takeChildren());
}

void SetTextIfOther(QTreeWidgetItem* item, int column, const QString& text)
{
    if (item->text(column) != text)
        item->setText(column, text);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "yyyy-MM-dd hh:mm" in UTC; the calendar's own formatting costs more than the rest of a row.
QString UtcMinuteText(std::int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (::gmtime_r(&time, &parts) == nullptr)
        return {};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                  parts.tm_hour, parts.tm_min);
    return QString::fromLatin1(text);
}

void SetRemoteColumns(QTreeWidgetItem* item, const TRemoteEntry& entry)
{
    SetTextIfOther(item, 1, entry.Size ? QString::number(*entry.Size) : QString());
    SetTextIfOther(item, 2, entry.ModifiedUtc ? UtcMinuteText(*entry.ModifiedUtc) : QString());
}

// Each folder's rows by name, as the tree's own sort would put them (case-sensitive and stable), done
// before the rows are in the tree, where a sort moves every row.
void SortRows(QTreeWidgetItem* folder)
{
    const auto before = [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return a->text(0) < b->text(0); };
    bool sorted = true;
    for (int i = 1; i < folder->childCount() && sorted; ++i)
        sorted = !before(folder->child(i), folder->child(i - 1));
    if (!sorted) {
        QList<QTreeWidgetItem*> rows = folder->takeChildren();
        std::stable_sort(rows.begin(), rows.end(), before);
        folder->addChildren(rows);
    }
    for (int i = 0; i < folder->childCount(); ++i)
        if (folder->child(i)->childCount() > 0)
            SortRows(folder->child(i));
}

}  // namespace

// The server tree's rows for a listing, below a root of their own: built on the worker that listed
// the server where it can, so that the window only moves them in.
struct TServerRows {
    std::unique_ptr<QTreeWidgetItem> Root = std::make_unique<QTreeWidgetItem>();
    std::map<std::string, QTreeWidgetItem*> Files;  // by path relative to the remote folder

    TServerRows(const TRemoteTree& tree, const std::string& remoteFolder)
    {
        std::map<std::string, QTreeWidgetItem*> folders;
        for (const std::string& folder : tree.Folders)
            if (!folder.empty())
                FolderItem(Root.get(), folders, folder);
        for (const auto& [path, entry] : tree.Files) {
            auto* item = new QTreeWidgetItem(FolderItem(Root.get(), folders, ParentOf(path)), {Decoded(entry.Name)});
            item->setData(0, TSiteWindow::kPathRole, Decoded(RemotePath(remoteFolder, path)));
            SetRemoteColumns(item, entry);
            Files.emplace(path, item);
        }
        for (auto& [path, item] : folders)
            item->setData(0, TSiteWindow::kPathRole, Decoded(RemotePath(remoteFolder, path)));
        SortRows(Root.get());
    }
};

void TSiteWindow::Refresh()
{
    if (refreshing_ || publisher_)
        return;
    if (!site_) {
        if (browsed_) {
            ServerTree->clear();
            serverRows_.clear();
            ++serverGeneration_;
            auto* root = new QTreeWidgetItem(ServerTree, {QStringLiteral("(log-in folder)")});
            root->setData(0, kPathRole, QStringLiteral("."));
            root->setData(0, kFolderRole, true);
            root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            root->setExpanded(true);
        }
        return;
    }
    SummaryLabel->setText(QStringLiteral("Reading the site and the server..."));
    TakeSnapshotThen([this](std::exception_ptr failure) {
        if (failure) {
            SummaryLabel->setText(QString());
            ReportFailure(failure);
        }
        UpdateActions();
        if (!pendingSaves_.empty())
            Publish(TPublishScope::Selection, TPublishSummary::StatusBar, std::exchange(pendingSaves_, {}));
        emit WorkDone();
    });
}

void TSiteWindow::TakeSnapshotThen(std::function<void(std::exception_ptr failure)> done)
{
    refreshing_ = true;
    UpdateActions();
    auto snapshot = std::make_shared<TSiteSnapshot>();
    auto serverRows = std::make_shared<std::shared_ptr<TServerRows>>();
    const TSite site = *site_;
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    const std::shared_ptr<TKeptSession> server = Server();
    // A refresh mostly keeps the server's files, and their rows are updated in place; a first listing's
    // rows are built while the site is still being read.
    const bool buildRows = serverRows_.empty() && profile;
    const std::string remoteFolder = profile ? site.RemoteFolder(*profile) : std::string();
    jobs_->Start(
        [snapshot, serverRows, buildRows, remoteFolder, site, profile, server, cache = linkCache_] {
            const auto listed = [&](const TRemoteTree& tree) { *serverRows = std::make_shared<TServerRows>(tree, remoteFolder); };
            *snapshot = TakeSiteSnapshot(site, profile ? &*profile : nullptr, server.get(), cache.get(),
                                         buildRows ? std::function<void(const TRemoteTree&)>(listed) : nullptr);
        },
        [this, snapshot, serverRows, done = std::move(done)](std::exception_ptr failure) {
            refreshing_ = false;
            if (!failure)
                ShowSnapshot(std::move(*snapshot), std::move(*serverRows));
            done(failure);
        });
}

void TSiteWindow::ShowSnapshot(TSiteSnapshot snapshot, std::shared_ptr<TServerRows> serverRows)
{
    snapshot_ = std::move(snapshot);
    FillSiteTree();
    FillServerTreeFromSite(std::move(serverRows));
    FillProblems();
    const std::size_t toSend = snapshot_.FilesToSend();
    QString text = toSend == 1 ? QStringLiteral("1 file would go up") : QStringLiteral("%1 files would go up").arg(toSend);
    if (const std::size_t problems = snapshot_.LinkProblemCount())
        text += problems == 1 ? QStringLiteral("; 1 link problem") : QStringLiteral("; %1 link problems").arg(problems);
    if (!snapshot_.Remote)
        text += QStringLiteral("; the server was not listed: ") + Decoded(snapshot_.RemoteError);
    SummaryLabel->setText(text);
}

void TSiteWindow::FillSiteTree()
{
    // A refresh seldom adds or drops a file: then the rows stay and only their statuses change. The
    // statuses and the rows are both in path order, so they are walked side by side.
    const bool samePaths = siteRows_.size() == snapshot_.Statuses.size() &&
                           std::equal(snapshot_.Statuses.begin(), snapshot_.Statuses.end(), siteRows_.begin(),
                                      [](const TFileStatus& status, const auto& row) { return status.Path == row.first; });
    SiteTree->setUpdatesEnabled(false);
    if (!samePaths) {
        SiteTree->clear();
        siteRows_.clear();
    }
    QTreeWidgetItem root;
    std::map<std::string, QTreeWidgetItem*> folders;
    std::map<std::string, QString> words;  // a handful of different texts for thousands of rows
    auto shown = siteRows_.begin();
    for (const TFileStatus& status : snapshot_.Statuses) {
        const auto links = snapshot_.Links.find(status.Path);
        const bool broken = links != snapshot_.Links.end() && !links->second.Problems.empty();
        const std::string statusWords = StatusWords(status, broken);
        auto word = words.find(statusWords);
        if (word == words.end())
            word = words.emplace(statusWords, Decoded(statusWords)).first;
        QTreeWidgetItem*& item = samePaths ? (shown++)->second : siteRows_[status.Path];
        if (item == nullptr) {
            const std::size_t slash = status.Path.rfind('/');
            item = new QTreeWidgetItem(FolderItem(&root, folders, ParentOf(status.Path)),
                                       {Decoded(slash == std::string::npos ? status.Path : status.Path.substr(slash + 1)), word->second});
            item->setData(0, kPathRole, Decoded(status.Path));
        } else {
            SetTextIfOther(item, 1, word->second);
        }
        const bool italic = status.State == TFileState::ServerOnly || status.State == TFileState::DeletedLocally;
        if ((italic || item->data(0, Qt::FontRole).isValid()) && item->font(0).italic() != italic) {
            QFont font = item->font(0);
            font.setItalic(italic);
            item->setFont(0, font);
        }
    }
    if (!samePaths) {
        MoveRowsInto(SiteTree, root);
        SiteTree->expandToDepth(0);
    }
    SiteTree->setUpdatesEnabled(true);
}

void TSiteWindow::FillServerTreeFromSite(std::shared_ptr<TServerRows> serverRows)
{
    // Both in path order: walked side by side.
    const bool samePaths = snapshot_.Remote && snapshot_.Remote->Folders == serverFolders_ && serverRows_.size() == snapshot_.Remote->Files.size() &&
                           std::equal(snapshot_.Remote->Files.begin(), snapshot_.Remote->Files.end(), serverRows_.begin(),
                                      [](const auto& file, const auto& row) { return file.first == row.first; });
    if (samePaths) {
        auto row = serverRows_.begin();
        for (const auto& [path, entry] : snapshot_.Remote->Files)
            SetRemoteColumns((row++)->second, entry);
        return;
    }
    ServerTree->setUpdatesEnabled(false);
    ServerTree->clear();
    serverRows_.clear();
    serverFolders_.clear();
    ++serverGeneration_;
    if (snapshot_.Remote) {
        serverFolders_ = snapshot_.Remote->Folders;
        if (!serverRows) {
            const std::optional<TConnectionProfile> profile = CurrentProfile();
            serverRows = std::make_shared<TServerRows>(*snapshot_.Remote, profile ? site_->RemoteFolder(*profile) : std::string());
        }
        serverRows_ = std::move(serverRows->Files);
        MoveRowsInto(ServerTree, *serverRows->Root);
    }
    ServerTree->expandToDepth(0);
    ServerTree->setUpdatesEnabled(true);
}

void TSiteWindow::FillProblems()
{
    ProblemList->clear();
    for (const auto& [page, links] : snapshot_.Links)
        for (const TLinkProblem& problem : links.Problems) {
            // The file and line have columns of their own; the text after them says what is wrong.
            const std::string text = LinkProblemText(problem);
            const std::size_t what = text.find(": ");
            auto* item = new QTreeWidgetItem(ProblemList, {Decoded(page), QString::number(problem.Line),
                                                           Decoded(what == std::string::npos ? text : text.substr(what + 2))});
            item->setData(0, kPathRole, Decoded(page));
            item->setData(0, kLineRole, problem.Line);
        }
    if (ProblemList->topLevelItemCount() > 0 && !publisher_)
        LowerTabs->setCurrentWidget(ProblemList);
}

void TSiteWindow::BrowseProfile(const std::string& name)
{
    browsed_ = ProfileNamed(connectSetPath_, name);
    if (!browsed_)
        return;
    site_.reset();
    snapshot_ = TSiteSnapshot{};
    SiteTree->clear();
    siteRows_.clear();
    ProblemList->clear();
    setWindowTitle(QStringLiteral("Tallo Site - ") + Decoded(name));
    SummaryLabel->setText(QStringLiteral("Files opened from here are kept in the cache until they are saved back."));
    UpdateActions();
    Refresh();
}

void TSiteWindow::ListServerFolder(QTreeWidgetItem* item)
{
    if (site_ || !browsed_ || item->data(0, kListedRole).toBool())
        return;
    item->setData(0, kListedRole, true);
    const std::string folder = item->data(0, kPathRole).toString().toStdString();
    auto entries = std::make_shared<std::vector<TRemoteEntry>>();
    const int generation = serverGeneration_;
    jobs_->Start(
        [server = Server(), folder, entries] {
            server->Use([&](TRemoteSession& session) { *entries = session.List(folder); });
        },
        [this, item, folder, entries, generation](std::exception_ptr failure) {
            // The tree may have been filled afresh meanwhile, and the item gone with it.
            if (generation != serverGeneration_)
                return;
            if (failure) {
                item->setData(0, kListedRole, false);
                ReportFailure(failure);
                return;
            }
            for (const TRemoteEntry& entry : *entries) {
                if (IsSafeReplaceTemporaryName(entry.Name))
                    continue;
                auto* child = new QTreeWidgetItem(item, {Decoded(entry.Name)});
                child->setData(0, kPathRole, Decoded(folder == "." ? entry.Name : folder + "/" + entry.Name));
                const bool isFolder = entry.Kind == TRemoteKind::Folder;
                child->setData(0, kFolderRole, isFolder);
                if (isFolder)
                    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
                SetRemoteColumns(child, entry);
            }
            item->sortChildren(0, Qt::AscendingOrder);
            emit WorkDone();
        });
}

void TSiteWindow::SiteItemActivated(QTreeWidgetItem* item)
{
    if (!site_ || item->data(0, kFolderRole).toBool())
        return;
    const std::string local = site_->Folder() + "/" + item->data(0, kPathRole).toString().toStdString();
    if (!QFile::exists(QFile::decodeName(local.c_str())))
        return;
    openedSiteFiles_.insert(local);
    watcher_->addPath(QFile::decodeName(local.c_str()));
    OpenInEditorLater({local});
}

void TSiteWindow::ServerItemActivated(QTreeWidgetItem* item)
{
    if (item->data(0, kFolderRole).toBool())
        return;
    OpenRemoteFile(item->data(0, kPathRole).toString().toStdString());
}

void TSiteWindow::ProblemActivated(QTreeWidgetItem* item)
{
    if (site_)
        OpenInEditorLater({site_->Folder() + "/" + item->data(0, kPathRole).toString().toStdString()},
                          item->data(0, kLineRole).toInt());
}

std::set<std::string> TSiteWindow::SelectedSitePaths() const
{
    std::set<std::string> paths;
    for (const QTreeWidgetItem* item : SiteTree->selectedItems())
        paths.insert(item->data(0, kPathRole).toString().toStdString());
    return paths;
}

std::string TSiteWindow::CurrentServerPath(bool& isFolder) const
{
    const QTreeWidgetItem* item = ServerTree->currentItem();
    isFolder = item == nullptr || item->data(0, kFolderRole).toBool();
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string(".");
}
