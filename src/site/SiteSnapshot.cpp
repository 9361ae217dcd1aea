#include "site/SiteSnapshot.h"

#include "site/LinkCacheFile.h"

#include <algorithm>
#include <future>
#include <map>

namespace {

// The file in the server's tree, with the folders above it.
void AddToTree(TRemoteTree& tree, const std::string& path, TRemoteEntry entry)
{
    tree.Files[path] = std::move(entry);
    for (std::size_t cut = path.find('/'); cut != std::string::npos; cut = path.find('/', cut + 1))
        tree.Folders.insert(path.substr(0, cut));
}

}  // namespace

std::size_t TSiteSnapshot::FilesToSend() const { return CountOf(Plan, TPublishAction::Upload); }

std::size_t TSiteSnapshot::ConflictCount() const { return CountOf(Plan, TPublishAction::HoldConflict); }

std::size_t TSiteSnapshot::LinkProblemCount() const
{
    std::size_t count = 0;
    for (const auto& [page, links] : Links)
        count += links.Problems.size();
    return count;
}

TSiteSnapshot TakeSiteSnapshot(const TSite& site, const TConnectionProfile* profile, TKeptSession* server,
                               TReferenceCache* linkCache, const std::function<void(const TRemoteTree&)>& listed)
{
    TSiteSnapshot snapshot;
    // The server's answers are most of the wait: the site is read and its links checked meanwhile. The
    // listing writes only Remote and RemoteError; a throw below waits for it in the future's destructor.
    std::promise<void> treeListed;
    std::future<void> treeReady = treeListed.get_future();
    std::future<void> listing;
    if (profile == nullptr || server == nullptr) {
        snapshot.RemoteError = "the site's profile \"" + site.Settings().Profile + "\" is not in connect.set";
        treeListed.set_value();
    } else {
        listing = std::async(std::launch::async, [&] {
            try {
                server->Use([&](TRemoteSession& session) {
                    snapshot.Remote = ListRemoteTree(session, site.RemoteFolder(*profile), site.Patterns());
                });
            } catch (const ETransferError& error) {
                snapshot.RemoteError = error.what();
            } catch (...) {
                treeListed.set_exception(std::current_exception());
                return;
            }
            treeListed.set_value();
            // Only reads the listing, while the statuses below are made from it.
            if (snapshot.Remote && listed)
                listed(*snapshot.Remote);
        });
    }
    TPublishRecord record(site.Folder());
    record.Load();
    snapshot.Files = site.Scan();
    TReferenceCache ownCache;
    snapshot.Links = CheckSiteLinksKept(site.Folder(), snapshot.Files, {}, linkCache != nullptr ? *linkCache : ownCache);
    snapshot.Statuses = CompareWithRecord(site.Folder(), snapshot.Files, record, site.Patterns());
    treeReady.get();
    if (snapshot.Remote)
        AddServerListing(snapshot.Statuses, record, *snapshot.Remote);
    snapshot.Plan = PlanPublish(snapshot.Statuses, snapshot.Links, TPlanOptions{});
    if (listing.valid())
        listing.get();
    return snapshot;
}

void ApplyPublished(TSiteSnapshot& snapshot, const TPublishReport& report, const TPublishRecord& record)
{
    std::map<std::string, TPublishAction> done;
    for (const TItemResult& result : report.Results)
        if (result.Outcome == TItemOutcome::Done)
            done.emplace(result.Path, result.Action);
    std::erase_if(snapshot.Statuses, [&](TFileStatus& status) {
        const auto found = done.find(status.Path);
        if (found == done.end())
            return false;
        if (found->second == TPublishAction::Remove) {
            if (snapshot.Remote)
                snapshot.Remote->Files.erase(status.Path);
            return !status.LocalFile.has_value();
        }
        if (found->second != TPublishAction::Upload || !status.LocalFile)
            return false;
        status.State = TFileState::Unchanged;
        status.Local = TLocalChange::None;
        if (snapshot.Remote) {
            const std::size_t slash = status.Path.rfind('/');
            const TRecordEntry* recorded = record.Find(status.Path);
            TRemoteEntry entry{slash == std::string::npos ? status.Path : status.Path.substr(slash + 1), TRemoteKind::File,
                               status.LocalFile->Size, recorded != nullptr ? recorded->RemoteTime : std::nullopt};
            status.Remote = entry;
            AddToTree(*snapshot.Remote, status.Path, std::move(entry));
        }
        return false;
    });
    snapshot.Plan = PlanPublish(snapshot.Statuses, snapshot.Links, TPlanOptions{});
}

void ApplyAgreed(TSiteSnapshot& snapshot, const std::string& siteFolder, const std::string& path,
                 const TLocalFile& local, const TRemoteEntry& remote, TReferenceCache& linkCache)
{
    auto status = std::lower_bound(snapshot.Statuses.begin(), snapshot.Statuses.end(), path,
                                   [](const TFileStatus& file, const std::string& wanted) { return file.Path < wanted; });
    if (status == snapshot.Statuses.end() || status->Path != path)
        status = snapshot.Statuses.insert(status, TFileStatus{path});
    *status = TFileStatus{path, TFileState::Unchanged, TLocalChange::None, local, remote, {}, 0, false};
    snapshot.Files[path] = local;
    if (snapshot.Remote)
        AddToTree(*snapshot.Remote, path, remote);
    std::vector<std::string> pages;
    if (IsPagePath(path))
        pages.push_back(path);
    for (const auto& [page, links] : snapshot.Links)
        if (!links.Problems.empty() && page != path)
            pages.push_back(page);
    if (!pages.empty()) {
        TLinkReport checked = CheckSiteLinksKept(siteFolder, snapshot.Files, pages, linkCache);
        for (const std::string& page : pages)
            if (auto found = checked.find(page); found != checked.end())
                snapshot.Links[page] = std::move(found->second);
    }
    snapshot.Plan = PlanPublish(snapshot.Statuses, snapshot.Links, TPlanOptions{});
}

TPublishPlan KeepOnlyPaths(TPublishPlan plan, const std::set<std::string>& paths)
{
    const auto chosen = [&](const std::string& path) {
        for (std::string folder = path;;) {
            if (paths.contains(folder))
                return true;
            const std::size_t slash = folder.rfind('/');
            if (slash == std::string::npos)
                return false;
            folder.resize(slash);
        }
    };
    std::erase_if(plan.Items, [&](const TPublishItem& item) { return !chosen(item.Status.Path); });
    return plan;
}

std::string StatusWords(const TFileStatus& status, bool brokenReferences)
{
    std::string words;
    switch (status.State) {
    case TFileState::Unchanged: words = "unchanged"; break;
    case TFileState::New: words = "new"; break;
    case TFileState::Changed: words = "changed"; break;
    case TFileState::DeletedLocally: words = "deleted here"; break;
    case TFileState::Conflict: words = "conflict"; break;
    case TFileState::ServerOnly: words = "on the server only"; break;
    }
    return brokenReferences ? words + ", broken references" : words;
}
