#pragma once
// A snapshot as the site window takes it on a worker: the site read and its links checked, the server
// listed, and the rows of the trees that were still empty built there too. A site's first one can be
// begun before its window is made, so that the window is built while the site is read.

#include "site/SiteSnapshot.h"
#include "site/widget/FileTreeModel.h"

#include <future>
#include <memory>
#include <optional>

struct TWindowSnapshot {
    TSiteSnapshot Snapshot;
    TBuiltRows Built;
};

struct TSnapshotRequest {
    TSite Site;
    std::optional<TConnectionProfile> Profile;  // nothing when connect.set lacks the site's profile
    std::shared_ptr<TKeptSession> Server;       // the profile's kept session; null without one
    std::shared_ptr<TReferenceCache> LinkCache;  // used by one snapshot at a time
    bool BuildSiteRows = false;
    bool BuildServerRows = false;
};

// Takes the snapshot on the calling thread (a worker); throws as TakeSiteSnapshot does.
TWindowSnapshot TakeWindowSnapshot(const TSnapshotRequest& request);

// A site's first snapshot running on a thread of its own since before the window was made.
struct TStartedOpen {
    std::shared_ptr<TKeptSession> Server;
    std::shared_ptr<TReferenceCache> LinkCache;
    std::shared_future<std::shared_ptr<TWindowSnapshot>> Taken;
};

// Begins request's snapshot, building both trees' rows, on a thread that nobody waits for when the result is
// dropped unused.
TStartedOpen StartWindowSnapshot(TSnapshotRequest request);
