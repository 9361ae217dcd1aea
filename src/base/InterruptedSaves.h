#pragma once
// What an in-place rewrite that was killed leaves behind: the old content, kept whole and flushed in
// the folder for interrupted saves before the file was overwritten. Each copy is one file,
// "save-XXXXXX.old", that gets its name only when complete (a partial one has a temporary name,
// ".partial-XXXXXX"), and that the save holds locked (flock) while it runs:
//
//   Tallo interrupted save 1\n
//   file <bytes>\n<full path of the file>\n
//   identity <device> <inode>\n
//   size <bytes>\n
//   <the file's old content>
//
// A copy whose lock nobody holds belongs to a save that did not finish: the file may hold part of the
// new content and part of the old, and the user is asked whether to put the previous version back.

#include "base/FileDescriptor.h"

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

inline constexpr const char* kInterruptedCopyPrefix = "save-";
inline constexpr const char* kInterruptedCopySuffix = ".old";
inline constexpr const char* kPartialCopyPrefix = ".partial-";

// Everything before the old content.
std::string InterruptedSaveRecord(const std::string& fileName, const struct stat& file);

// One interrupted save, claimed: its copy stays locked for as long as this lives.
struct TInterruptedSave {
    std::string CopyPath;
    std::string FileName;  // the full path, as the file system's bytes
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;           // of the old content
    off_t ContentOffset = 0;  // where the old content starts in the copy
    TFileDescriptor Copy;     // open and locked
};

// The interrupted saves in the folder that need the user's word, claimed. Copies that need none go on
// the way: partial ones, those whose file was replaced by another since, and those whose file already
// holds the previous version. Copies of saves still running, and of files that cannot be reached now
// (a drive not mounted), are left alone.
std::vector<TInterruptedSave> ClaimInterruptedSaves(const std::string& folder);
// Only those of the file at the path (the same file, through any of its names).
std::vector<TInterruptedSave> ClaimInterruptedSavesOf(const std::string& folder, const std::string& path);

// Removes the copies of a file that a save has just written whole: they are out of date.
void RemoveInterruptedSavesOf(const std::string& folder, const struct stat& file);

// Writes the previous version back over the file, byte for byte, and removes the copy; 0, or the
// errno value of the failure (the copy is then kept).
int PutBackPreviousVersion(const TInterruptedSave& save);
// Removes the copy; the file stays as it is.
void DiscardPreviousVersion(const TInterruptedSave& save);
