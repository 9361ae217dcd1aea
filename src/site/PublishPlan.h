#pragma once
// What a publish will do with each file, worked out from the statuses and the link check before anything
// is sent, so that it can be shown (a dry run, the window's list) and answered file by file (a conflict
// the user says to overwrite becomes an Upload) before it runs.

#include "site/LinkCheck.h"
#include "site/SiteStatus.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TPublishAction : std::uint8_t {
    Upload,
    Remove,          // deleted locally, removed on the server
    Forget,          // gone from both sides: only the record forgets it
    RefreshRecord,   // same content, another time: only the record is updated
    HoldConflict,    // changed on the server since the last publish: not overwritten or removed
    HoldBrokenPage,  // a page with a broken reference
    KeepOnServer,    // deleted locally, but removing was not asked for
};

enum class TRemovals : std::uint8_t { Keep, Remove };
enum class TConflicts : std::uint8_t { Hold, Overwrite };
enum class TBrokenPages : std::uint8_t { Hold, Publish };

struct TPlanOptions {
    TRemovals Removals = TRemovals::Keep;
    TConflicts Conflicts = TConflicts::Hold;
    TBrokenPages BrokenPages = TBrokenPages::Hold;
    // Only these pages and the changed files they reference; empty: the whole site.
    std::vector<std::string> Pages;
};

struct TPublishItem {
    TFileStatus Status;
    TPublishAction Action = TPublishAction::Upload;
    std::vector<TLinkProblem> Problems;  // for a held page
};

struct TPublishPlan {
    std::vector<TPublishItem> Items;  // by path; files with nothing to do are left out
};

TPublishPlan PlanPublish(const std::vector<TFileStatus>& statuses, const TLinkReport& links, const TPlanOptions& options);

// How many items of the plan have the action.
std::size_t CountOf(const TPublishPlan& plan, TPublishAction action);

const char* PublishActionName(TPublishAction action);
