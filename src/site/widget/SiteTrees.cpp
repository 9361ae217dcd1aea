// The site window's trees: filling them from a snapshot or a listing, and what a double-click does.

#include "site/widget/SiteWindow.h"

#include "platform/Platform.h"
#include "site/widget/DecodedText.h"
#include "site/widget/FileTreeModel.h"
#include "site/widget/ProfileChoice.h"
#include "site/widget/SiteJobs.h"
#include "site/widget/WindowSnapshot.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

void TSiteWindow::Refresh()
{
    if (refreshing_ || publisher_)
        return;
    if (!site_) {
        if (browsed_) {
            ++serverGeneration_;
            TFileRows rows;
            TFileRow root;
            root.Name = "(log-in folder)";
            root.Path = ".";
            root.Kind = TRowKind::Folder;
            root.Listing = TListState::Unlisted;
            const int shown = rows.Add(0, std::move(root));
            serverModel_->Reset(std::move(rows));
            ServerTree->expand(serverModel_->IndexOf(shown));
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
    const int generation = ++snapshotGeneration_;
    UpdateActions();
    auto taken = std::make_shared<std::shared_ptr<TWindowSnapshot>>();
    std::function<void()> work;
    if (startedOpen_.Taken.valid()) {
        work = [taken, started = std::exchange(startedOpen_, {}).Taken] { *taken = started.get(); };
    } else {
        // A refresh mostly keeps the files, and their rows are updated in place; the rows of a first
        // snapshot are built on the worker.
        const std::optional<TConnectionProfile> profile = CurrentProfile();
        TSnapshotRequest request{*site_, profile, Server(), linkCache_, siteModel_->Rows().Files.empty(),
                                 serverModel_->Rows().Files.empty() && profile};
        work = [taken, request = std::move(request)] { *taken = std::make_shared<TWindowSnapshot>(TakeWindowSnapshot(request)); };
    }
    jobs_->Start(std::move(work), [this, taken, generation, done = std::move(done)](std::exception_ptr failure) {
        if (generation != snapshotGeneration_)
            return;  // given up
        refreshing_ = false;
        // Files agreed meanwhile are in the record, which the next snapshot reads after a failure.
        std::vector<TFetchedFile> agreed = std::exchange(agreedWhileReading_, {});
        if (!failure) {
            ShowSnapshot(std::move((*taken)->Snapshot), std::move((*taken)->Built));
            if (!agreed.empty())
                ShowAgreed(agreed);
        }
        done(failure);
    });
}

void TSiteWindow::StopReading()
{
    if (!refreshing_)
        return;
    ++snapshotGeneration_;
    refreshing_ = false;
    // The snapshot given up may still be using the cache; the next one starts from the site's file.
    linkCache_ = std::make_shared<TReferenceCache>();
    agreedWhileReading_.clear();  // in the record for the next refresh
    SummaryLabel->setText(QStringLiteral("Stopped; Refresh (F5) reads the site and the server again."));
    UpdateActions();
}

void TSiteWindow::ShowSnapshot(TSiteSnapshot snapshot, TBuiltRows built)
{
    snapshot_ = std::move(snapshot);
    FillSiteTree(std::move(built.Site));
    FillServerTreeFromSite(std::move(built.Server));
    FillProblems();
    const std::size_t toSend = snapshot_.FilesToSend();
    QString text = toSend == 1 ? QStringLiteral("1 file would go up") : QStringLiteral("%1 files would go up").arg(toSend);
    if (const std::size_t conflicts = snapshot_.ConflictCount())
        text += conflicts == 1 ? QStringLiteral("; 1 conflict") : QStringLiteral("; %1 conflicts").arg(conflicts);
    if (const std::size_t problems = snapshot_.LinkProblemCount())
        text += problems == 1 ? QStringLiteral("; 1 link problem") : QStringLiteral("; %1 link problems").arg(problems);
    if (!snapshot_.Remote)
        text += QStringLiteral("; the server was not listed: ") + Decoded(snapshot_.RemoteError);
    SummaryLabel->setText(text);
}

void TSiteWindow::FillSiteTree(std::shared_ptr<TFileRows> siteRows)
{
    // A refresh seldom adds or drops a file: then the rows stay and only the statuses that moved are
    // shown anew. The statuses and the rows are both in path order, so they are walked side by side.
    const std::vector<int>& files = siteModel_->Rows().Files;
    const std::vector<TFileRow>& rows = siteModel_->Rows().Rows;
    const bool samePaths = files.size() == snapshot_.Statuses.size() &&
                           std::equal(snapshot_.Statuses.begin(), snapshot_.Statuses.end(), files.begin(),
                                      [&](const TFileStatus& status, int row) { return status.Path == rows[row].Path; });
    if (!samePaths) {
        siteModel_->Reset(siteRows ? std::move(*siteRows) : SiteRows(snapshot_.Statuses, snapshot_.Links));
        SiteTree->expandToDepth(0);
        return;
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        siteModel_->UpdateStatus(files[i], snapshot_.Statuses[i].State, HasBrokenReferences(snapshot_.Links, snapshot_.Statuses[i].Path));
}

void TSiteWindow::FillServerTreeFromSite(std::shared_ptr<TFileRows> serverRows)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    const std::string remoteFolder = profile ? site_->RemoteFolder(*profile) : std::string();
    // Both in path order: walked side by side.
    const std::vector<int>& files = serverModel_->Rows().Files;
    const std::vector<TFileRow>& rows = serverModel_->Rows().Rows;
    const bool samePaths = snapshot_.Remote && snapshot_.Remote->Folders == serverFolders_ && files.size() == snapshot_.Remote->Files.size() &&
                           std::equal(snapshot_.Remote->Files.begin(), snapshot_.Remote->Files.end(), files.begin(),
                                      [&](const auto& file, int row) { return rows[row].Path == RemotePath(remoteFolder, file.first); });
    if (samePaths) {
        auto row = files.begin();
        for (const auto& [path, entry] : snapshot_.Remote->Files)
            serverModel_->UpdateSizeAndTime(*row++, entry.Size, entry.ModifiedUtc);
        return;
    }
    serverFolders_.clear();
    ++serverGeneration_;
    if (snapshot_.Remote) {
        serverFolders_ = snapshot_.Remote->Folders;
        serverModel_->Reset(serverRows ? std::move(*serverRows) : ServerRows(*snapshot_.Remote, remoteFolder));
    } else {
        serverModel_->Reset(TFileRows{});
    }
    ServerTree->expandToDepth(0);
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
    siteModel_->Reset(TFileRows{});
    ProblemList->clear();
    setWindowTitle(QStringLiteral("Tallo Site - ") + Decoded(name));
    SummaryLabel->setText(QStringLiteral("Files opened from here are kept in the cache until they are saved back."));
    UpdateActions();
    Refresh();
}

void TSiteWindow::ListServerFolder(const QModelIndex& index)
{
    const int row = serverModel_->RowOf(index);
    if (site_ || !browsed_ || serverModel_->Rows().Rows[row].Listing != TListState::Unlisted)
        return;
    serverModel_->SetListing(row, TListState::Listing);
    const std::string folder = serverModel_->Rows().Rows[row].Path;
    auto entries = std::make_shared<std::vector<TRemoteEntry>>();
    const int generation = serverGeneration_;
    jobs_->Start(
        [server = Server(), folder, entries] {
            server->Use([&](TRemoteSession& session) { *entries = session.List(folder); });
        },
        [this, row, folder, entries, generation](std::exception_ptr failure) {
            // The tree may have been filled afresh meanwhile, and the row gone with it.
            if (generation != serverGeneration_)
                return;
            if (failure) {
                serverModel_->SetListing(row, TListState::Unlisted);
                ReportFailure(failure);
                return;
            }
            std::vector<TFileRow> children;
            for (const TRemoteEntry& entry : *entries) {
                if (IsSafeReplaceTemporaryName(entry.Name))
                    continue;
                TFileRow child;
                child.Name = entry.Name;
                child.Path = folder == "." ? entry.Name : folder + "/" + entry.Name;
                child.Kind = entry.Kind == TRemoteKind::Folder ? TRowKind::Folder : TRowKind::File;
                child.Listing = child.Kind == TRowKind::Folder ? TListState::Unlisted : TListState::Listed;
                child.Size = entry.Size;
                child.ModifiedUtc = entry.ModifiedUtc;
                children.push_back(std::move(child));
            }
            serverModel_->AddListed(row, std::move(children));
            emit WorkDone();
        });
}

void TSiteWindow::SiteItemActivated(const QModelIndex& index)
{
    if (!site_ || index.data(kFolderRole).toBool())
        return;
    const std::string local = site_->Folder() + "/" + index.data(kPathRole).toString().toStdString();
    if (!QFile::exists(QFile::decodeName(local.c_str())))
        return;
    openedSiteFiles_.insert(local);
    watcher_->addPath(QFile::decodeName(local.c_str()));
    OpenInEditorLater({local});
}

void TSiteWindow::ServerItemActivated(const QModelIndex& index)
{
    if (index.data(kFolderRole).toBool())
        return;
    OpenRemoteFile(index.data(kPathRole).toString().toStdString());
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
    for (const QModelIndex& index : SiteTree->selectionModel()->selectedRows())
        paths.insert(index.data(kPathRole).toString().toStdString());
    return paths;
}

std::string TSiteWindow::CurrentServerPath(bool& isFolder) const
{
    const QModelIndex index = ServerTree->currentIndex();
    isFolder = !index.isValid() || index.data(kFolderRole).toBool();
    return index.isValid() ? index.data(kPathRole).toString().toStdString() : std::string(".");
}
