// Publishing from the site window: a fresh status, the plan for the chosen files, the conflicts
// asked one by one, the queue run on workers, and the summary at the end.

#include "site/widget/SiteWindow.h"

#include "base/UserFolders.h"
#include "platform/Platform.h"
#include "site/RemoteEdits.h"
#include "site/widget/DecodedText.h"
#include "site/widget/EditorLink.h"
#include "site/widget/FileTreeModel.h"
#include "site/widget/ProfileChoice.h"
#include "site/widget/PublishBridge.h"
#include "site/widget/PublishQueue.h"
#include "site/widget/SiteJobs.h"

#include <QLabel>
#include <QTabWidget>
#include <QTreeView>
#include <filesystem>

namespace {

// The buttons of the conflict question; skipping comes first, so that Enter overwrites nothing.
enum TConflictAnswer { kSkip = 0, kOverwrite = 1, kCompare = 2 };

// "Held back: ..." for the files the plan keeps from the server; empty when none.
QString HeldBackText(const TPublishPlan& plan)
{
    const std::size_t conflicts = CountOf(plan, TPublishAction::HoldConflict);
    const std::size_t broken = CountOf(plan, TPublishAction::HoldBrokenPage);
    if (conflicts + broken == 0)
        return {};
    return QStringLiteral("Held back: %1 changed on the server, %2 with broken references.").arg(conflicts).arg(broken);
}

}  // namespace

void TSiteWindow::Publish(TPublishScope scope, TPublishSummary summary, std::set<std::string> paths)
{
    if (!site_)
        return;
    if (paths.empty() && scope == TPublishScope::Selection)
        paths = SelectedSitePaths();
    if (paths.empty() && scope == TPublishScope::Page)
        if (const QModelIndex current = SiteTree->currentIndex(); current.isValid())
            paths.insert(current.data(kPathRole).toString().toStdString());
    if (scope == TPublishScope::Selection && paths.empty()) {
        platform().ShowMessage(QStringLiteral("Select the files to publish."));
        return;
    }
    if (scope == TPublishScope::Page && (paths.size() != 1 || !IsPagePath(*paths.begin()))) {
        platform().ShowMessage(QStringLiteral("Select a page (.html or .htm) to publish."));
        return;
    }
    if (refreshing_ || publisher_) {
        // A save while the window is busy is published once it is free; a command is not queued.
        if (summary == TPublishSummary::StatusBar)
            pendingSaves_.insert(paths.begin(), paths.end());
        return;
    }
    TakeSnapshotThen([this, scope, summary, paths](std::exception_ptr failure) {
        UpdateActions();
        if (failure)
            return ReportFailure(failure);
        PlanAndRun(scope, summary, paths);
    });
}

void TSiteWindow::PlanAndRun(TPublishScope scope, TPublishSummary summary, const std::set<std::string>& paths)
{
    if (!snapshot_.Remote) {
        platform().ShowError(QStringLiteral("The server could not be listed: ") + Decoded(snapshot_.RemoteError));
        return;
    }
    TPlanOptions options;
    if (scope == TPublishScope::Page)
        options.Pages.assign(paths.begin(), paths.end());
    TPublishPlan plan = PlanPublish(snapshot_.Statuses, snapshot_.Links, options);
    if (scope == TPublishScope::Selection)
        plan = KeepOnlyPaths(std::move(plan), paths);
    AskConflicts(plan);
    const bool anything = std::any_of(plan.Items.begin(), plan.Items.end(), [](const TPublishItem& item) {
        return item.Action == TPublishAction::Upload || item.Action == TPublishAction::Remove;
    });
    if (!anything) {
        const QString held = HeldBackText(plan);
        if (summary == TPublishSummary::Box)
            platform().ShowMessage(held.isEmpty() ? QStringLiteral("Nothing to publish: the server has every change.")
                                                  : QStringLiteral("Nothing was sent.\n") + held);
        return;
    }
    RunPublish(std::move(plan), summary);
}

bool TSiteWindow::AskConflicts(TPublishPlan& plan)
{
    bool overwriteAny = false;
    for (TPublishItem& item : plan.Items) {
        if (item.Action != TPublishAction::HoldConflict)
            continue;
        const QString text = QStringLiteral("%1 changed on the server since the last publish.\n\n"
                                            "Overwrite the server's copy with the site's?")
                                 .arg(Decoded(item.Status.Path));
        for (;;) {
            const int answer = platform().Ask(QStringLiteral("Changed on the Server"), text,
                                              {QStringLiteral("&Skip"), QStringLiteral("&Overwrite"), QStringLiteral("&Compare")});
            if (answer == kCompare) {
                ComparePaths(item.Status.Path);
                continue;
            }
            if (answer == kOverwrite) {
                item.Action = item.Status.LocalFile ? TPublishAction::Upload : TPublishAction::Remove;
                overwriteAny = true;
            }
            break;
        }
    }
    return overwriteAny;
}

void TSiteWindow::ComparePaths(const std::string& path)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    const std::string cache = UserCacheFolder();
    if (!profile || cache.empty())
        return;
    const std::string copy = CachePathFor(cache + "/tallo/compare", ServerName(), ServerCopyName(path));
    const std::string remote = RemotePath(site_->RemoteFolder(*profile), path);
    const std::exception_ptr failure = jobs_->RunAndWait([&, server = Server()] {
        MakePrivateFolders(cache + "/tallo", copy);
        server->Use([&](TRemoteSession& session) { session.Download(remote, copy); });
    });
    if (failure)
        return ReportFailure(failure);
    OpenInEditorLater({site_->Folder() + "/" + path, copy}, 0, true);
}

void TSiteWindow::RunPublish(TPublishPlan plan, TPublishSummary summary)
{
    const std::optional<TConnectionProfile> profile = CurrentProfile();
    if (!profile)
        return;
    auto record = std::make_unique<TPublishRecord>(site_->Folder());
    try {
        record->Load();
    } catch (const std::exception& error) {
        platform().ShowError(Decoded(error.what()));
        return;
    }
    record_ = std::move(record);
    Queue->Begin(plan);
    LowerTabs->setCurrentWidget(Queue);
    bridge_ = std::make_unique<TPublishBridge>(*Queue);
    TPublishBridge* bridge = bridge_.get();
    TSessionOptions options = SessionOptions();
    // The publisher lists each folder once its uploads end: a stat after every upload costs more.
    options.AfterPut = TAfterPut::Nothing;
    publisher_ = std::make_unique<TSitePublisher>(
        site_->Folder(), site_->RemoteFolder(*profile), *record_,
        [bridge, sessionProfile = SessionProfile(*profile), options](TTransferListener& listener) {
            return bridge->MakeCounted(sessionProfile, options, listener);
        },
        *bridge_, site_->Settings().Parallel);
    auto shared = std::make_shared<TPublishPlan>(std::move(plan));
    auto report = std::make_shared<TPublishReport>();
    jobs_->Start(
        [publisher = publisher_.get(), record = record_.get(), shared, report, folders = snapshot_.Remote->Folders] {
            *report = publisher->Run(*shared, nullptr, nullptr, folders);
            record->Compact();
        },
        [this, shared, report, summary](std::exception_ptr failure) { PublishEnded(*shared, *report, summary, failure); });
    UpdateActions();
}

void TSiteWindow::CancelPublish()
{
    if (publisher_) {
        publisher_->Cancel();
        SetStatus(QStringLiteral("Cancelling: the files being sent stay whole on the server..."));
    }
}

void TSiteWindow::PublishEnded(const TPublishPlan& plan, const TPublishReport& report, TPublishSummary summary,
                               std::exception_ptr failure)
{
    Queue->End();
    publisher_.reset();
    bridge_.reset();
    // What was sent is known: the rows change in place, without reading the site and the server again,
    // before the summary is shown over them; the queue stays in view.
    ApplyPublished(snapshot_, report, *record_);
    record_.reset();
    ShowSnapshot(std::move(snapshot_), TBuiltRows{});
    LowerTabs->setCurrentWidget(Queue);
    UpdateActions();
    if (failure)
        ReportFailure(failure);
    std::size_t sent = 0, removed = 0, failed = 0;
    for (const TItemResult& result : report.Results) {
        sent += result.Outcome == TItemOutcome::Done && result.Action == TPublishAction::Upload;
        removed += result.Outcome == TItemOutcome::Done && result.Action == TPublishAction::Remove;
        failed += result.Outcome == TItemOutcome::Failed;
    }
    QString text = QStringLiteral("%1 sent, %2 removed, %3 failed.").arg(sent).arg(removed).arg(failed);
    if (const QString held = HeldBackText(plan); !held.isEmpty())
        text += QStringLiteral("\n") + held;
    if (report.Cancelled)
        text += QStringLiteral("\nCancelled: the files not sent keep their old copies on the server.");
    for (const TItemResult& result : report.Results)
        if (result.Outcome == TItemOutcome::Failed)
            text += QStringLiteral("\n%1: %2").arg(Decoded(result.Path), Decoded(result.Error));
    if (summary == TPublishSummary::Box)
        platform().ShowMessage(text);
    else
        SetStatus(text.section(QLatin1Char('\n'), 0, 0));
    if (!pendingSaves_.empty())
        Publish(TPublishScope::Selection, TPublishSummary::StatusBar, std::exchange(pendingSaves_, {}));
    emit WorkDone();
}
