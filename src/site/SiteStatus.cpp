#include "site/SiteStatus.h"

#include "site/FileHash.h"

#include <algorithm>
#include <ctime>

namespace {

// A LIST line gives minutes for recent files and days for older ones, while the record holds the
// seconds the server gave right after the upload: a listed time is compared at its own precision.
bool SameRemoteTime(std::int64_t recorded, std::int64_t listed)
{
    if (recorded == listed)
        return true;
    for (std::int64_t unit : {std::int64_t{60}, std::int64_t{86400}})
        if (listed % unit == 0 && recorded - recorded % unit == listed)
            return true;
    return false;
}

bool RemoteMovedSince(const TRecordEntry& recorded, const TRemoteEntry& remote)
{
    if (recorded.RemoteSize && remote.Size && *recorded.RemoteSize != *remote.Size)
        return true;
    return recorded.RemoteTime && remote.ModifiedUtc && !SameRemoteTime(*recorded.RemoteTime, *remote.ModifiedUtc);
}

// Compares the file with its record, hashing only when size or time say it may have moved.
TLocalChange LocalChangeOf(const std::string& siteFolder, TFileStatus& status, const TRecordEntry& recorded)
{
    const TLocalFile& file = *status.LocalFile;
    if (file.Size != recorded.Size)
        return TLocalChange::Changed;
    if (file.ModifiedNs == recorded.ModifiedNs && !IsRacy(recorded, file.ModifiedNs))
        return TLocalChange::None;
    status.HashedAt = std::time(nullptr);
    status.Hash = FileSha256(siteFolder + "/" + status.Path);
    if (status.Hash != recorded.Hash)
        return TLocalChange::Changed;
    status.RecordStale = file.ModifiedNs != recorded.ModifiedNs;
    return TLocalChange::None;
}

void Classify(const std::string& siteFolder, TFileStatus& status, const TRecordEntry* recorded, const TRemoteTree* remote)
{
    if (recorded == nullptr) {
        status.State = TFileState::New;
        return;
    }
    if (!status.LocalFile)
        status.Local = TLocalChange::Deleted;
    else
        status.Local = LocalChangeOf(siteFolder, status, *recorded);
    if (remote != nullptr && !status.Remote) {
        // Removed on the server meanwhile: sending it again restores it and overwrites nothing.
        status.State = status.LocalFile ? TFileState::New : TFileState::DeletedLocally;
        return;
    }
    if (remote != nullptr && RemoteMovedSince(*recorded, *status.Remote)) {
        status.State = TFileState::Conflict;
        return;
    }
    switch (status.Local) {
    case TLocalChange::None: status.State = TFileState::Unchanged; break;
    case TLocalChange::Changed: status.State = TFileState::Changed; break;
    case TLocalChange::Deleted: status.State = TFileState::DeletedLocally; break;
    }
}

}  // namespace

std::vector<TFileStatus> ComputeSiteStatus(const std::string& siteFolder, const TLocalFiles& local,
                                           const TPublishRecord& record, const TRemoteTree* remote,
                                           const TExcludePatterns& patterns)
{
    std::vector<TFileStatus> statuses;
    statuses.reserve(local.size());
    for (const auto& [path, file] : local) {
        TFileStatus status;
        status.Path = path;
        status.LocalFile = file;
        if (remote != nullptr)
            if (auto found = remote->Files.find(path); found != remote->Files.end())
                status.Remote = found->second;
        Classify(siteFolder, status, record.Find(path), remote);
        statuses.push_back(std::move(status));
    }
    for (const auto& [path, recorded] : record.Entries()) {
        if (local.contains(path) || patterns.ExcludesWithFolders(path, TPathKind::File) ||
            IsNeverPublishedName(path.substr(path.rfind('/') + 1)))
            continue;
        TFileStatus status;
        status.Path = path;
        if (remote != nullptr)
            if (auto found = remote->Files.find(path); found != remote->Files.end())
                status.Remote = found->second;
        Classify(siteFolder, status, &recorded, remote);
        statuses.push_back(std::move(status));
    }
    if (remote != nullptr)
        for (const auto& [path, entry] : remote->Files)
            if (!local.contains(path) && record.Find(path) == nullptr)
                statuses.push_back(TFileStatus{path, TFileState::ServerOnly, TLocalChange::None, {}, entry, {}, 0, false});
    std::sort(statuses.begin(), statuses.end(), [](const TFileStatus& a, const TFileStatus& b) { return a.Path < b.Path; });
    return statuses;
}

const char* FileStateName(TFileState state)
{
    switch (state) {
    case TFileState::Unchanged: return "unchanged";
    case TFileState::New: return "new";
    case TFileState::Changed: return "changed";
    case TFileState::DeletedLocally: return "deleted";
    case TFileState::Conflict: return "conflict";
    case TFileState::ServerOnly: return "server-only";
    }
    return "?";
}
