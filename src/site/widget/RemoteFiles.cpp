// Files on the server from the site window: fetched and opened in the editor, put back when the editor
// saves them (never over a server copy that changed meanwhile without asking), and the server's folders
// made, renamed and deleted.

#include "site/widget/SiteWindow.h"

#include "base/UserFolders.h"
#include "platform/Platform.h"
#include "site/FileHash.h"
#include "site/widget/DecodedText.h"
#include "site/widget/EditorLink.h"
#include "site/widget/SiteJobs.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QInputDialog>
#include <QTreeView>
#include <ctime>
#include <filesystem>

namespace {

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// A name for a file or folder on the server, asked through the platform; none when cancelled or
// left unchanged. A name that would reach into another folder is refused, saying why.
std::optional<std::string> AskName(QWidget* parent, const QString& caption, const QString& label,
                                   const QString& initial)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    if (platform().ExecModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    const QString name = dialog.textValue();
    if (name.isEmpty() || name == initial)
        return std::nullopt;
    if (name.contains(QLatin1Char('/')) || name == QStringLiteral(".") || name == QStringLiteral("..")) {
        platform().ShowError(QStringLiteral("\"%1\" is no name for a file or folder.").arg(name));
        return std::nullopt;
    }
    return name.toStdString();
}

}  // namespace

void TSiteWindow::OpenRemoteFile(const std::string& remotePath)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    if (!profile)
        return;
    std::string local;
    std::optional<std::string> sitePath;
    if (site_)
        sitePath = SitePathOf(site_->RemoteFolder(*profile), remotePath);
    if (sitePath) {
        local = site_->Folder() + "/" + *sitePath;
        const auto status = std::find_if(snapshot_.Statuses.begin(), snapshot_.Statuses.end(),
                                         [&](const TFileStatus& file) { return file.Path == *sitePath; });
        const bool unpublished = status != snapshot_.Statuses.end() && status->Local == TLocalChange::Changed;
        if ((unpublished || (status != snapshot_.Statuses.end() && status->State == TFileState::New)) &&
            !platform().Confirm(QStringLiteral("Confirm"),
                                QStringLiteral("%1 has changes in the site that are not published.\n"
                                               "Replace them with the server's copy?").arg(Decoded(*sitePath))))
            return;
    } else {
        const std::string cache = UserCacheFolder();
        if (cache.empty()) {
            platform().ShowError(QStringLiteral("No home folder was found to keep the file in."));
            return;
        }
        local = CachePathFor(cache + "/tallo", ServerName(), remotePath);
        if (local.empty())
            return;
    }
    const bool intoSite = sitePath.has_value();
    const std::string cacheRoot = UserCacheFolder() + "/tallo";
    auto fetched = std::make_shared<TFetchedFile>(TFetchedFile{remotePath, local, {}, {}});
    SetStatus(QStringLiteral("Fetching %1...").arg(Decoded(remotePath)));
    jobs_->Start(
        [fetched, intoSite, cacheRoot, server = Server()] {
            if (intoSite)
                std::filesystem::create_directories(std::filesystem::path(fetched->LocalPath).parent_path());
            else
                MakePrivateFolders(cacheRoot, fetched->LocalPath);
            server->Use([&](TRemoteSession& session) {
                session.Download(fetched->RemotePath, fetched->LocalPath);
                fetched->ServerAtFetch = session.Stat(fetched->RemotePath);
            });
            StatLocalFile(fetched->LocalPath, fetched->LocalAtFetch);
        },
        [this, fetched, intoSite](std::exception_ptr failure) {
            if (failure)
                ReportFailure(failure);
            else
                FetchDone(*fetched, intoSite);
            emit WorkDone();
        });
}

void TSiteWindow::FetchDone(TFetchedFile file, bool intoSite)
{
    const QString local = QFile::decodeName(file.LocalPath.c_str());
    if (intoSite)
        RecordSiteFile(file);
    fetched_[file.LocalPath] = file;
    if (!watcher_->files().contains(local))
        watcher_->addPath(local);
    SetStatus(QStringLiteral("Fetched %1; it goes back to the server when the editor saves it.").arg(Decoded(file.RemotePath)));
    OpenInEditorLater({file.LocalPath});
}

void TSiteWindow::RecordSiteFile(const TFetchedFile& file)
{
    // The site's copy and the server's agree now: the record says so, or the next status would call the
    // file changed on both sides. A publish holds the record itself; it is left alone then.
    if (!site_ || publisher_ || !file.ServerAtFetch || !file.LocalPath.starts_with(site_->Folder() + "/"))
        return;
    const std::string path = file.LocalPath.substr(site_->Folder().size() + 1);
    try {
        TPublishRecord record(site_->Folder());
        record.Load();
        record.Store(path, TRecordEntry{file.LocalAtFetch.Size, file.LocalAtFetch.ModifiedNs, FileSha256(file.LocalPath),
                                        static_cast<std::int64_t>(std::time(nullptr)), file.ServerAtFetch->Size,
                                        file.ServerAtFetch->ModifiedUtc});
    } catch (const std::exception& error) {
        platform().ShowError(Decoded(error.what()));
        return;
    }
    // The rows say so too; a snapshot under way may have read the site before the file came.
    if (refreshing_)
        agreedWhileReading_.push_back(file);
    else
        ShowAgreed({file});
}

void TSiteWindow::ShowAgreed(const std::vector<TFetchedFile>& files)
{
    const std::string prefix = site_ ? site_->Folder() + "/" : std::string();
    for (const TFetchedFile& file : files)
        if (site_ && file.ServerAtFetch && file.LocalPath.starts_with(prefix))
            ApplyAgreed(snapshot_, site_->Folder(), file.LocalPath.substr(prefix.size()), file.LocalAtFetch,
                        *file.ServerAtFetch, *linkCache_);
    ShowSnapshot(std::move(snapshot_), TBuiltRows{});
}

void TSiteWindow::WatchedFileChanged(const QString& path)
{
    // An editor that saves by renaming a new file over the old one ends the watch: it is taken up again.
    if (QFile::exists(path) && !watcher_->files().contains(path))
        watcher_->addPath(path);
    const std::string local = QFile::encodeName(path).toStdString();
    if (const auto fetched = fetched_.find(local); fetched != fetched_.end()) {
        if (CompareLocalCopy(fetched->second) == TLocalCopy::Saved)
            PutBack(local, false);
        return;
    }
    if (site_ && openedSiteFiles_.contains(local) && PublishOnSave() && QFile::exists(path))
        Publish(TPublishScope::Selection, TPublishSummary::StatusBar, {local.substr(site_->Folder().size() + 1)});
}

void TSiteWindow::PutBack(const std::string& localPath, bool overwriteChanged)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    if (!profile || putting_.contains(localPath))
        return;
    putting_.insert(localPath);
    struct TPut {
        TFetchedFile File;
        TServerCopy Server = TServerCopy::AsFetched;
        bool Sent = false;
    };
    auto put = std::make_shared<TPut>(TPut{fetched_.at(localPath)});
    jobs_->Start(
        [put, overwriteChanged, server = Server()] {
            server->Use([&](TRemoteSession& session) {
                put->Server = CompareServerCopy(put->File, session.Stat(put->File.RemotePath));
                if (put->Server == TServerCopy::AsFetched || overwriteChanged) {
                    TLocalFile before;
                    StatLocalFile(put->File.LocalPath, before);
                    const TPutResult result = session.Put(put->File.LocalPath, put->File.RemotePath);
                    put->File.ServerAtFetch = result.After ? result.After : session.Stat(put->File.RemotePath);
                    put->File.LocalAtFetch = before;
                    put->Sent = true;
                }
            });
        },
        [this, put, localPath](std::exception_ptr failure) {
            putting_.erase(localPath);
            if (failure) {
                ReportFailure(failure);
            } else if (put->Sent) {
                fetched_[localPath] = put->File;
                RecordSiteFile(put->File);
                SetStatus(QStringLiteral("%1 is back on the server.").arg(Decoded(put->File.RemotePath)));
                // Saved again while it was being sent: that save goes too.
                if (CompareLocalCopy(put->File) == TLocalCopy::Saved)
                    PutBack(localPath, false);
            } else {
                const QString what = put->Server == TServerCopy::Gone ? QStringLiteral("was deleted on the server")
                                                                      : QStringLiteral("changed on the server");
                const int answer = platform().Ask(
                    QStringLiteral("Changed on the Server"),
                    QStringLiteral("%1 %2 since it was fetched.\n\nPut the edited copy over it?")
                        .arg(Decoded(put->File.RemotePath), what),
                    {QStringLiteral("&Keep the server's copy"), QStringLiteral("&Overwrite")});
                if (answer == 1)
                    PutBack(localPath, true);
            }
            emit WorkDone();
        });
}

void TSiteWindow::OpenInEditorLater(std::vector<std::string> paths, int line, bool sideBySide)
{
    auto started = std::make_shared<TEditorStart>(TEditorStart::Failed);
    jobs_->Start(
        [paths = std::move(paths), line, sideBySide, started] {
            if (sideBySide)
                *started = OpenSideBySideInEditor(paths);
            else
                *started = line > 0 && paths.size() == 1 ? OpenInEditorAtLine(paths.front(), line) : OpenInEditor(paths);
        },
                 [started](std::exception_ptr) {
                     if (*started == TEditorStart::Failed)
                         platform().ShowError(QStringLiteral("The editor could not be started: ") +
                                              Decoded(EditorProgram()));
                 });
}

void TSiteWindow::RemoteOperation(std::function<void(TRemoteSession&)> operation, const QString& doneText)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    if (!profile)
        return;
    jobs_->Start(
        [operation = std::move(operation), server = Server()] { server->Use(operation); },
        [this, doneText](std::exception_ptr failure) {
            if (failure) {
                ReportFailure(failure);
                emit WorkDone();
                return;
            }
            SetStatus(doneText);
            Refresh();
            if (!site_)
                emit WorkDone();  // a site's refresh says so itself when it ends
        });
}

void TSiteWindow::MakeRemoteFolder(const std::string& path)
{
    RemoteOperation([path](TRemoteSession& session) { session.MakeFolder(path); },
                    QStringLiteral("Made the folder %1.").arg(Decoded(path)));
}

void TSiteWindow::RenameRemote(const std::string& from, const std::string& to)
{
    RemoteOperation([from, to](TRemoteSession& session) { session.Rename(from, to); },
                    QStringLiteral("Renamed %1 to %2.").arg(Decoded(from), Decoded(to)));
}

void TSiteWindow::DeleteRemote(const std::string& path)
{
    if (!platform().Confirm(QStringLiteral("Confirm"),
                            QStringLiteral("Delete %1 on the server?").arg(Decoded(path))))
        return;
    RemoteOperation([path](TRemoteSession& session) { session.Remove(path); },
                    QStringLiteral("Deleted %1.").arg(Decoded(path)));
}

void TSiteWindow::NewFolderClick()
{
    bool isFolder = false;
    std::string at = CurrentServerPath(isFolder);
    if (!ServerTree->currentIndex().isValid() && site_)
        if (const std::optional<TConnectionProfile> profile = CurrentProfile())
            at = RemotePath(site_->RemoteFolder(*profile), "");
    if (!isFolder)
        at = ParentOf(at);
    if (const auto name = AskName(this, QStringLiteral("New Folder"), QStringLiteral("&Name:"), QString()))
        MakeRemoteFolder(at == "." ? *name : at + "/" + *name);
}

void TSiteWindow::RenameClick()
{
    bool isFolder = false;
    const QModelIndex current = ServerTree->currentIndex();
    if (!current.isValid())
        return;
    const std::string from = CurrentServerPath(isFolder);
    const auto name = AskName(this, QStringLiteral("Rename"), QStringLiteral("&New name:"), current.siblingAtColumn(0).data().toString());
    if (!name)
        return;
    const std::string parent = ParentOf(from);
    RenameRemote(from, parent == "." ? *name : parent + "/" + *name);
}

void TSiteWindow::DeleteClick()
{
    bool isFolder = false;
    if (ServerTree->currentIndex().isValid())
        DeleteRemote(CurrentServerPath(isFolder));
}
