#pragma once
// The safe write's second way: rewriting the old file where it is, for a file that must stay the same
// file (several hard links) or whose folder takes no new file. The new content is staged first, then
// the old content is copied, whole and flushed, under its final name in the folder for interrupted
// saves with a record of the file it belongs to; only then is the file overwritten, and the copy goes
// once the new content is flushed. A kill in between leaves the copy for the next start to offer
// back (InterruptedSaves.h). Space is claimed before the first byte is overwritten.

#include "base/FileWrites.h"

#include <string>
#include <sys/stat.h>

// 0, or the errno value that explains the failure; the old content is then in place.
int RewriteInPlace(const std::string& target, const struct stat& old, const TByteProducer& produce,
                   TFileAccess access, const std::string& copyFolder);
