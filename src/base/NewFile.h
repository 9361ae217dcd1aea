#pragma once
// Pieces shared by the safe write's two ways (a new file renamed over the old one, or the old file
// rewritten in place): complete writes and copies, and new files that nobody sees under a name until
// they are complete.

#include "base/FileDescriptor.h"
#include "base/FileWrites.h"

#include <memory>
#include <string>
#include <string_view>

// Gathers the producer's small pieces into large writes.
bool WriteProduced(int fd, const TByteProducer& produce);
// Writes all of `from` from fromOffset on over `to` from toOffset on (sizes are left as they are).
bool CopyContents(int from, int to, off_t fromOffset = 0, off_t toOffset = 0);

// Makes the folder's entries durable, so that a rename or link in it survives a crash.
void SyncFolder(const std::string& folder);

// Removes the files named `prefix` plus six characters that a save killed before it finished left
// in `folder`. A save in progress holds a lock on its file, so only abandoned ones go.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix);

// A new, empty file in a folder that gets a name only when complete: an unnamed file where the file
// system has them, else one named `prefix` plus six random characters, removed again unless it was
// given its final name. Either way it is locked while open (see RemoveStaleTemporaries).
class TNewFile {
public:
    // Null, with errno set, when the folder cannot take a new file.
    static std::unique_ptr<TNewFile> Create(const std::string& folder, const std::string& prefix);
    ~TNewFile();
    TNewFile(const TNewFile&) = delete;
    TNewFile& operator=(const TNewFile&) = delete;

    int Fd() const { return fd_.Get(); }
    // Gives the file the name `path` in the same folder, replacing the file that had it.
    bool ReplaceAt(const std::string& path);
    // Gives the file its final name, `name` plus six characters plus `suffix`, never replacing a file,
    // and keeps it; the full path, empty on failure.
    std::string KeepAs(const std::string& name, const std::string& suffix);

private:
    TNewFile(int fd, std::string folder, std::string prefix, std::string name);
    bool LinkUnder(std::string& name);

    TFileDescriptor fd_;
    std::string folder_;
    std::string prefix_;
    std::string name_;  // empty while the file has no name
};
