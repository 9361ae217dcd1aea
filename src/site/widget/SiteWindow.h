#pragma once
// The site window: a site's folder and the server's folder side by side, each file with its status;
// publishing all changes, the selection or one page with its changed references, through a queue
// that shows each file's progress; the link check's problems; and files on the server opened in the
// editor and put back when the editor saves them. Without a site it browses the server of a profile.
// Every network wait runs on a worker (TSiteJobs), so the window answers while the server works.

#include "site/RemoteEdits.h"
#include "site/SitePublisher.h"
#include "site/SiteSnapshot.h"
#include "site/widget/WindowSnapshot.h"

#include <QMainWindow>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QSplitter;
class QTabWidget;
class QModelIndex;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class TFileTreeModel;
class TPublishBridge;
class TPublishQueue;
class TSiteJobs;

// Which files a publish takes: all changes, the selected ones, or one page with the changed files it
// references.
enum class TPublishScope : std::uint8_t { All, Selection, Page };
// Whether a publish ends with the summary box (one the user asked for) or only a word in the status
// bar (one started by a save).
enum class TPublishSummary : std::uint8_t { Box, StatusBar };

class TSiteWindow : public QMainWindow {
    Q_OBJECT
public:
    // connectSetPath: the profiles; settingsPath: where the window's size and splitters are kept
    // (empty: nowhere).
    TSiteWindow(std::string connectSetPath, QString settingsPath, QWidget* parent = nullptr);
    ~TSiteWindow() override;

    // Opens the site in the folder and refreshes; false (after saying why) when it is no site.
    // started: the site's first snapshot begun before the window was made (see StartSiteOpen).
    bool OpenSite(const std::string& folder, TStartedOpen started = {});
    void Refresh();
    // Gives up the refresh (or a publish's fresh look) under way: the window is free at once and the
    // rows stay as they were; what the server still owes is dropped when it comes.
    void StopReading();
    // "New Site" with the folder filled in (empty: none).
    void NewSiteForFolder(const std::string& folder);
    // Browses the server of a profile, outside any site.
    void BrowseProfile(const std::string& name);
    // paths: the files (or folders) of a selection, or the page; empty: the window's selection.
    void Publish(TPublishScope scope, TPublishSummary summary = TPublishSummary::Box, std::set<std::string> paths = {});
    void CancelPublish();
    bool Busy() const;

    // Remote operations on a path of the server (as shown in the server tree).
    void OpenRemoteFile(const std::string& remotePath);
    void MakeRemoteFolder(const std::string& path);
    void RenameRemote(const std::string& from, const std::string& to);
    void DeleteRemote(const std::string& path);  // asks first

    const std::optional<TSite>& Site() const { return site_; }
    const TSiteSnapshot& Snapshot() const { return snapshot_; }
    const std::map<std::string, TFetchedFile>& Fetched() const { return fetched_; }
    bool PublishOnSave() const;
    void SetPublishOnSave(bool on);

    QTreeView* SiteTree;    // over a TFileTreeModel
    QTreeView* ServerTree;  // over a TFileTreeModel
    QTreeWidget* ProblemList;
    TPublishQueue* Queue;
    QTabWidget* LowerTabs;
    QComboBox* ProfileBox;
    QLabel* SummaryLabel;
    QSplitter* SideBySide;
    QSplitter* UpperLower;
    QAction* PublishOnSaveAction;

    // The roles of the trees' rows (TFileTreeModel's) and of the link problems.
    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kFolderRole = Qt::UserRole + 1;
    static constexpr int kLineRole = Qt::UserRole + 3;

signals:
    // A refresh, a publish or a remote operation ended (for tests and the benchmark).
    void WorkDone();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildLayout();
    void RestoreLayout();
    void SaveLayout();
    void UpdateActions();
    void LoadProfiles();
    void OpenSiteClick();
    void NewProfileClick();
    void EditProfileClick();
    void ProfileChosen(int index);
    void ShowHelp();

    // Reads the site and the server on a worker, shows what it found, then calls done (on this thread).
    void TakeSnapshotThen(std::function<void(std::exception_ptr failure)> done);
    // built: the trees' rows for snapshot where a worker built them already.
    void ShowSnapshot(TSiteSnapshot snapshot, TBuiltRows built);
    void FillSiteTree(std::shared_ptr<TFileRows> siteRows);
    void FillServerTreeFromSite(std::shared_ptr<TFileRows> serverRows);
    void FillProblems();
    void ListServerFolder(const QModelIndex& index);
    void SiteItemActivated(const QModelIndex& index);
    void ServerItemActivated(const QModelIndex& index);
    void ProblemActivated(QTreeWidgetItem* item);
    std::set<std::string> SelectedSitePaths() const;
    std::string CurrentServerPath(bool& isFolder) const;
    void NewFolderClick();
    void RenameClick();
    void DeleteClick();

    bool AskConflicts(TPublishPlan& plan);
    void ComparePaths(const std::string& path);
    void PlanAndRun(TPublishScope scope, TPublishSummary summary, const std::set<std::string>& paths);
    void RunPublish(TPublishPlan plan, TPublishSummary summary);
    void PublishEnded(const TPublishPlan& plan, const TPublishReport& report, TPublishSummary summary,
                      std::exception_ptr failure);

    void FetchDone(TFetchedFile file, bool intoSite);
    void WatchedFileChanged(const QString& path);
    void PutBack(const std::string& localPath, bool overwriteChanged);
    void RecordSiteFile(const TFetchedFile& file);
    // The rows of site files whose two copies agree now (fetched or put back).
    void ShowAgreed(const std::vector<TFetchedFile>& files);
    // line: where the caret goes in the one page given (from 1); 0: none. sideBySide: the pages in
    // columns (two versions compared).
    void OpenInEditorLater(std::vector<std::string> paths, int line = 0, bool sideBySide = false);
    void RemoteOperation(std::function<void(TRemoteSession&)> operation, const QString& doneText);

    TSessionOptions SessionOptions() const;
    std::optional<TConnectionProfile> CurrentProfile() const;
    // The session kept for the current profile's listings and operations; null without a profile.
    std::shared_ptr<TKeptSession> Server();
    std::string ServerName() const;
    void ReportFailure(std::exception_ptr failure);
    void SetStatus(const QString& text);

    std::string connectSetPath_;
    QString settingsPath_;
    TSiteJobs* jobs_;
    QFileSystemWatcher* watcher_;
    std::optional<TSite> site_;
    std::optional<TConnectionProfile> browsed_;  // the profile browsed outside any site
    TSiteSnapshot snapshot_;
    // Kept across refreshes so that only pages that moved are read again; used by one job at a time.
    std::shared_ptr<TReferenceCache> linkCache_ = std::make_shared<TReferenceCache>();
    TFileTreeModel* siteModel_;
    TFileTreeModel* serverModel_;
    std::set<std::string> serverFolders_;  // those the server tree shows
    std::map<std::string, TFetchedFile> fetched_;   // by local path
    std::set<std::string> openedSiteFiles_;         // site files opened from the window (publish on save)
    std::set<std::string> putting_;                 // local paths being put back
    std::vector<TFetchedFile> agreedWhileReading_;  // shown once the snapshot under way is
    std::unique_ptr<TPublishRecord> record_;
    std::unique_ptr<TPublishBridge> bridge_;
    std::unique_ptr<TSitePublisher> publisher_;
    std::shared_ptr<TKeptSession> server_;  // shared with the jobs that use it
    TStartedOpen startedOpen_;  // for the first snapshot of a site only
    bool refreshing_ = false;
    int snapshotGeneration_ = 0;  // counts snapshots begun, so that one given up finds itself stale
    int serverGeneration_ = 0;  // counts fillings of the server tree, so a late listing finds its row gone
    std::set<std::string> pendingSaves_;  // site files saved while the window was busy
    QAction* openSiteAction_ = nullptr;
    QAction* newSiteAction_ = nullptr;
    QAction* refreshAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* publishAllAction_ = nullptr;
    QAction* publishSelectionAction_ = nullptr;
    QAction* publishPageAction_ = nullptr;
    QAction* cancelAction_ = nullptr;
};
