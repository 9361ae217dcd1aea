#pragma once
// What a page remembers of its file from the moment it last read or wrote it, so that a change made
// by another program (written, replaced, deleted) is noticed before the page overwrites it. The
// file's identity, size and modification time to the nanosecond: a program that writes a new file
// and renames it over the old one changes the identity even when size and time happen to match.

#include <cstdint>
#include <string>

enum class TFileChange { None, Changed, Deleted };

struct TFileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    std::int64_t ModifiedNanoseconds = 0;

    // The file as it is now (through symbolic links); Exists is false when there is none.
    static TFileStamp Of(const std::string& path);
    bool operator==(const TFileStamp&) const = default;
};

// How the file now differs from what was remembered. A file that was missing and still is, or
// that was missing and now exists, counts as changed only in the second case.
TFileChange CompareStamps(const TFileStamp& remembered, const TFileStamp& now);
