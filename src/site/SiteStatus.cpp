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
    // A new time, or a hash that was racy and is not now, is written back at the next publish, so
    // the file is not hashed at every status from then on.
    TRecordEntry hashedNow = recorded;
    hashedNow.HashedAt = status.HashedAt;
    status.RecordStale = file.ModifiedNs != recorded.ModifiedNs || !IsRacy(hashedNow, file.ModifiedNs);
    return TLocalChange::None;
}

// A recorded file's state by its own side alone.
TFileState StateOfLocalChange(TLocalChange change)
{
    switch (change) {
    case TLocalChange::None: return TFileState::Unchanged;
    case TLocalChange::Changed: return TFileState::Changed;
    case TLocalChange::Deleted: return TFileState::DeletedLocally;
    }
    return TFileState::Unchanged;
}

TFileStatus CompareFile(const std::string& siteFolder, std::string path, const TLocalFile* file, const TRecordEntry* recorded)
{
    TFileStatus status;
    status.Path = std::move(path);
    if (file != nullptr)
        status.LocalFile = *file;
    if (recorded == nullptr) {
        status.State = TFileState::New;
        return status;
    }
    status.Local = file == nullptr ? TLocalChange::Deleted : LocalChangeOf(siteFolder, status, *recorded);
    status.State = StateOfLocalChange(status.Local);
    return status;
}

}  // namespace

std::vector<TFileStatus> CompareWithRecord(const std::string& siteFolder, const TLocalFiles& local,
                                           const TPublishRecord& record, const TExcludePatterns& patterns)
{
    // The files and the record are both in path order: one walk through the two, and the statuses
    // come out in that order too.
    std::vector<TFileStatus> statuses;
    statuses.reserve(local.size());
    auto file = local.begin();
    auto recorded = record.Entries().begin();
    while (file != local.end() || recorded != record.Entries().end()) {
        const int order = file == local.end() ? 1 : recorded == record.Entries().end() ? -1 : file->first.compare(recorded->first);
        if (order <= 0) {
            const TRecordEntry* entry = order == 0 ? &(recorded++)->second : nullptr;
            statuses.push_back(CompareFile(siteFolder, file->first, &file->second, entry));
            ++file;
            continue;
        }
        const std::string& path = recorded->first;
        if (!patterns.ExcludesWithFolders(path, TPathKind::File) && !IsNeverPublishedName(path.substr(path.rfind('/') + 1)))
            statuses.push_back(CompareFile(siteFolder, path, nullptr, &recorded->second));
        ++recorded;
    }
    return statuses;
}

void AddServerListing(std::vector<TFileStatus>& statuses, const TPublishRecord& record, const TRemoteTree& remote)
{
    // The statuses, the listing and the record are all in path order: one walk through the three.
    auto listed = remote.Files.begin();
    auto recorded = record.Entries().begin();
    const std::size_t siteFiles = statuses.size();
    statuses.reserve(siteFiles + remote.Files.size());  // the site's statuses stay where they are below
    // The listed files before path (all of them for null) that the site neither has nor recorded.
    const auto addServerOnlyBefore = [&](const std::string* path) {
        for (; listed != remote.Files.end() && (path == nullptr || listed->first < *path); ++listed)
            if (record.Find(listed->first) == nullptr)
                statuses.push_back(TFileStatus{listed->first, TFileState::ServerOnly, TLocalChange::None, {}, listed->second, {}, 0, false});
    };
    for (std::size_t i = 0; i < siteFiles; ++i) {
        TFileStatus& status = statuses[i];
        addServerOnlyBefore(&status.Path);
        if (listed != remote.Files.end() && listed->first == status.Path)
            status.Remote = (listed++)->second;
        while (recorded != record.Entries().end() && recorded->first < status.Path)
            ++recorded;
        if (recorded == record.Entries().end() || recorded->first != status.Path)
            continue;
        if (!status.Remote)  // removed on the server meanwhile: sending it again restores it and overwrites nothing
            status.State = status.LocalFile ? TFileState::New : TFileState::DeletedLocally;
        else if (RemoteMovedSince(recorded->second, *status.Remote))
            status.State = TFileState::Conflict;
    }
    addServerOnlyBefore(nullptr);
    std::inplace_merge(statuses.begin(), statuses.begin() + static_cast<std::ptrdiff_t>(siteFiles), statuses.end(),
                       [](const TFileStatus& a, const TFileStatus& b) { return a.Path < b.Path; });
}

std::vector<TFileStatus> ComputeSiteStatus(const std::string& siteFolder, const TLocalFiles& local,
                                           const TPublishRecord& record, const TRemoteTree* remote,
                                           const TExcludePatterns& patterns)
{
    std::vector<TFileStatus> statuses = CompareWithRecord(siteFolder, local, record, patterns);
    if (remote != nullptr)
        AddServerListing(statuses, record, *remote);
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
