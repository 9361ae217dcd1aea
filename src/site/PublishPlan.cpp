#include "site/PublishPlan.h"

#include <algorithm>
#include <set>

namespace {

std::optional<TPublishAction> ActionFor(const TFileStatus& status, const TPlanOptions& options)
{
    switch (status.State) {
    case TFileState::Unchanged:
        return status.RecordStale ? std::optional(TPublishAction::RefreshRecord) : std::nullopt;
    case TFileState::New:
    case TFileState::Changed: return TPublishAction::Upload;
    case TFileState::DeletedLocally:
        if (!status.Remote && status.Local == TLocalChange::Deleted)
            return options.Removals == TRemovals::Remove ? std::optional(TPublishAction::Forget) : std::nullopt;
        return options.Removals == TRemovals::Remove ? TPublishAction::Remove : TPublishAction::KeepOnServer;
    case TFileState::Conflict:
        if (status.Local == TLocalChange::None)
            return std::nullopt;  // nothing of ours would overwrite it
        if (status.Local == TLocalChange::Deleted && options.Removals == TRemovals::Keep)
            return TPublishAction::KeepOnServer;
        if (options.Conflicts == TConflicts::Hold)
            return TPublishAction::HoldConflict;
        return status.Local == TLocalChange::Deleted ? TPublishAction::Remove : TPublishAction::Upload;
    case TFileState::ServerOnly: return std::nullopt;
    }
    return std::nullopt;
}

// The named pages and the files they reference; nothing else goes in a publish of pages.
std::set<std::string> Selection(const TLinkReport& links, const std::vector<std::string>& pages)
{
    std::set<std::string> selected(pages.begin(), pages.end());
    for (const std::string& page : pages)
        if (auto found = links.find(page); found != links.end())
            selected.insert(found->second.Targets.begin(), found->second.Targets.end());
    return selected;
}

}  // namespace

TPublishPlan PlanPublish(const std::vector<TFileStatus>& statuses, const TLinkReport& links, const TPlanOptions& options)
{
    const std::set<std::string> selected = Selection(links, options.Pages);
    TPublishPlan plan;
    for (const TFileStatus& status : statuses) {
        if (!options.Pages.empty() && !selected.contains(status.Path))
            continue;
        std::optional<TPublishAction> action = ActionFor(status, options);
        if (!action)
            continue;
        TPublishItem item{status, *action, {}};
        if (auto found = links.find(status.Path); found != links.end() && !found->second.Problems.empty() &&
                                                  *action == TPublishAction::Upload) {
            item.Problems = found->second.Problems;
            if (options.BrokenPages == TBrokenPages::Hold)
                item.Action = TPublishAction::HoldBrokenPage;
        }
        plan.Items.push_back(std::move(item));
    }
    return plan;
}

std::size_t CountOf(const TPublishPlan& plan, TPublishAction action)
{
    return static_cast<std::size_t>(
        std::count_if(plan.Items.begin(), plan.Items.end(), [action](const TPublishItem& item) { return item.Action == action; }));
}

const char* PublishActionName(TPublishAction action)
{
    switch (action) {
    case TPublishAction::Upload: return "upload";
    case TPublishAction::Remove: return "remove";
    case TPublishAction::Forget: return "forget";
    case TPublishAction::RefreshRecord: return "refresh";
    case TPublishAction::HoldConflict: return "held: changed on the server";
    case TPublishAction::HoldBrokenPage: return "held: broken reference";
    case TPublishAction::KeepOnServer: return "kept on the server";
    }
    return "?";
}
