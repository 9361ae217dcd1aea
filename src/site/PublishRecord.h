#pragma once
// The record of the last publish: for every file that went up, its local size, modification time and
// SHA-256 as sent, and the remote size and time the server gave after the upload. It lives beside the
// settings as a snapshot (".tallo-site.record") and a journal (".tallo-site.journal"): each upload that
// ends appends one line to the journal, so a publish killed in the middle keeps what it finished, and the
// end of a publish folds the journal into a new snapshot (written whole, then renamed). A torn last line
// of the journal (a kill while writing it) is ignored.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>

class ERecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TRecordEntry {
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;  // local modification time, nanoseconds since 1970
    std::string Hash;             // SHA-256, 64 lower-case hex digits
    std::int64_t HashedAt = 0;    // seconds since 1970 when the hash was taken
    std::optional<std::uint64_t> RemoteSize;
    std::optional<std::int64_t> RemoteTime;  // seconds since 1970 in UTC
};

using TRecordEntries = std::map<std::string, TRecordEntry>;  // by path relative to the site

class TPublishRecord {
public:
    explicit TPublishRecord(std::string siteFolder);
    ~TPublishRecord();
    TPublishRecord(const TPublishRecord&) = delete;
    TPublishRecord& operator=(const TPublishRecord&) = delete;

    // Reads the snapshot and replays the journal. Throws ERecordError when a file exists but cannot be read.
    void Load();
    const TRecordEntries& Entries() const { return entries_; }
    const TRecordEntry* Find(const std::string& path) const;

    // Journal writes: one line each, appended at once; safe from several threads.
    void Store(const std::string& path, const TRecordEntry& entry);
    void Forget(const std::string& path);
    // Writes a new snapshot of all entries and empties the journal.
    void Compact();

    std::string SnapshotPath() const;
    std::string JournalPath() const;

private:
    void Append(const std::string& line);
    void ApplyLine(std::string_view line);

    std::string folder_;
    TRecordEntries entries_;
    std::mutex mutex_;
    int journal_ = -1;
};

// A file modified in the same second as (or after) its hash was taken may have changed again without its
// time moving: it is hashed again rather than trusted (git's "racy" rule).
bool IsRacy(const TRecordEntry& entry, std::int64_t modifiedNs);
