#pragma once
// The one safe way this program replaces a file's content: pages, connect.set and the trusted
// servers all go through it. The new content goes to a new file in the same folder (unnamed until
// complete where the file system allows it), is flushed and renamed over the old one, so a failed
// or killed write never destroys the old file. A file that must stay the same file (several hard
// links), one whose folder takes no new file, and one whose attributes a new file cannot carry are
// rewritten in place instead; the old content is then first kept, whole and flushed, in the folder
// for interrupted saves with a record of the file it belongs to, and removed once the new content is
// flushed (see InterruptedSaves.h for what a kill in between leaves). A full disk, a long name or a
// lack of descriptors never leads to writing in place. A file its owner made read-only, or one the
// user may not write, is left alone.

#include <functional>
#include <string>
#include <string_view>

// A producer hands the content over piece by piece, so that a large page is not copied whole first:
// it passes each piece to write and stops with false as soon as write returns false. It is asked a
// second time when the first new file turns out unable to replace the old one.
using TByteSink = std::function<bool(std::string_view)>;
using TByteProducer = std::function<bool(const TByteSink& write)>;

enum class TFileAccess {
    Shared,     // a page: the old file's owner, mode, extended attributes and ACLs; a new one by the umask
    OwnerOnly,  // secrets and trust decisions: mode 0600 whatever was there, no attributes copied, and
                // a symbolic link in the file's place is replaced, never written through (the caller
                // resolves the links it trusts)
};

// Writes all of bytes, going on after interrupted calls; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view bytes);

// 0 on success, else the errno value that explains the refusal (EACCES for a read-only file); the
// old file is then as it was. For a shared file, symbolic links are followed to the file they name.
int SafeWrite(const std::string& path, const TByteProducer& produce, TFileAccess access);
// The same for content held whole, owner-only.
int ReplacePrivateFile(const std::string& path, std::string_view bytes);

// Where in-place rewrites keep the old content: made (0700) when first needed. Set once at start-up,
// before any thread writes; while it is unset, files that can only be rewritten in place are refused.
void SetInterruptedSaveFolder(std::string folder);
std::string InterruptedSaveFolder();
