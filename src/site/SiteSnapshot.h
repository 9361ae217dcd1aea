#pragma once
// Everything the site window shows about a site at one moment, taken in one go off the user-interface
// thread: the files, the server's listing (when the server could be reached), each file's status, the
// link check, and the plan of a publish of all changes. Also the few questions the window asks of it.

#include "site/LinkCheck.h"
#include "site/PublishPlan.h"
#include "site/RemoteTree.h"
#include "site/Site.h"
#include "site/SitePublisher.h"
#include "site/SiteStatus.h"
#include "transfer/KeptSession.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct TSiteSnapshot {
    TLocalFiles Files;
    std::optional<TRemoteTree> Remote;  // nothing when the server was not listed
    std::string RemoteError;            // why it was not
    std::vector<TFileStatus> Statuses;
    TLinkReport Links;
    TPublishPlan Plan;                  // all changes, conflicts and broken pages held

    // Files a publish of all changes would send.
    std::size_t FilesToSend() const;
    // Files changed on the server since the last publish that ours would overwrite (asked at a publish).
    std::size_t ConflictCount() const;
    std::size_t LinkProblemCount() const;
};

// Lists the server through server (the kept session of the profile's SessionProfile) on a thread of
// its own while the site is read; a server that cannot be reached leaves Remote empty and says why in
// RemoteError rather than failing the whole snapshot. profile: the site's, or null when connect.set
// lacks it (server is null then too). Throws ERecordError and EFileError for the site's own files.
// linkCache: the pages' references from the last snapshot (see CheckSiteLinks); an empty one is first
// filled from the site's cache file, which is written again when the check changed it. listed, when given, is
// called on the listing's thread with the server's files as soon as they are listed.
TSiteSnapshot TakeSiteSnapshot(const TSite& site, const TConnectionProfile* profile, TKeptSession* server,
                               TReferenceCache* linkCache = nullptr,
                               const std::function<void(const TRemoteTree&)>& listed = {});

// The snapshot as it stands after a publish, without reading the site or the server again: files sent
// are unchanged and on the server with their size and the time the record got from the server, files
// removed are gone, and the plan is made anew. Failed and cancelled items keep their status.
void ApplyPublished(TSiteSnapshot& snapshot, const TPublishReport& report, const TPublishRecord& record);

// The snapshot as it stands after one file of the site was fetched from the server or put back to it:
// the two copies agree, local being the site's and remote the server's. The file's references are
// checked, and those of the pages that missed a file, which may be this one (through linkCache).
void ApplyAgreed(TSiteSnapshot& snapshot, const std::string& siteFolder, const std::string& path,
                 const TLocalFile& local, const TRemoteEntry& remote, TReferenceCache& linkCache);

// A plan kept to the given paths (files, or folders standing for every file below them).
TPublishPlan KeepOnlyPaths(TPublishPlan plan, const std::set<std::string>& paths);

// The words the window shows for a file: "changed", "on the server only", "changed, broken references".
std::string StatusWords(const TFileStatus& status, bool brokenReferences);
