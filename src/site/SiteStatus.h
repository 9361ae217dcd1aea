#pragma once
// Where each file of a site stands against the record of the last publish and, when the server was
// listed, against the server: what a publish would send, remove or hold back. A file's content is hashed
// only when its size or time moved since the record (or its time is racy), so an unchanged site costs a
// walk of the folder and a read of the record.

#include "site/PublishRecord.h"
#include "site/RemoteTree.h"
#include "site/SiteScan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TFileState : std::uint8_t {
    Unchanged,
    New,             // not in the record (or gone from the server): to be sent
    Changed,         // content differs from the record: to be sent
    DeletedLocally,  // in the record, gone from the site
    Conflict,        // changed on the server since the last publish
    ServerOnly,      // on the server, never published from here
};

// Whether the site's own side moved since the record, for a conflict: only then would a publish overwrite.
enum class TLocalChange : std::uint8_t { None, Changed, Deleted };

struct TFileStatus {
    std::string Path;
    TFileState State = TFileState::Unchanged;
    TLocalChange Local = TLocalChange::None;
    std::optional<TLocalFile> LocalFile;   // as scanned
    std::optional<TRemoteEntry> Remote;    // as listed, when the server was listed
    std::string Hash;                      // the content's SHA-256 where it was computed, else empty
    std::int64_t HashedAt = 0;             // when Hash was taken, seconds since 1970
    // Same content as recorded but another time: the record is refreshed so the file is not hashed again.
    bool RecordStale = false;
};

// remote: the listing, or nothing for a status of the site's own side only (no conflicts, no server-only
// files). siteFolder is needed to hash files. Sorted by path; unchanged files are included. A recorded
// file that the patterns leave out now is no longer the site's: it is neither reported nor removed.
std::vector<TFileStatus> ComputeSiteStatus(const std::string& siteFolder, const TLocalFiles& local,
                                           const TPublishRecord& record, const TRemoteTree* remote,
                                           const TExcludePatterns& patterns);

// The two halves of ComputeSiteStatus, for a caller that compares the site while the server is still
// being listed. The site's files against the record, without the server: sorted by path.
std::vector<TFileStatus> CompareWithRecord(const std::string& siteFolder, const TLocalFiles& local,
                                           const TPublishRecord& record, const TExcludePatterns& patterns);
// Then the listing: conflicts, files removed on the server, and the server's own files, in path order.
void AddServerListing(std::vector<TFileStatus>& statuses, const TPublishRecord& record, const TRemoteTree& remote);

const char* FileStateName(TFileState state);
