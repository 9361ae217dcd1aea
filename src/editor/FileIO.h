#pragma once
// Reading and safely writing whole page files. Failures are EFileError with the user's texts.

#include "base/FileError.h"

#include <functional>
#include <string>
#include <string_view>

// The file's bytes, unconverted. Throws EFileError "Cannot open file <path>".
std::string ReadWholeFile(const std::string& path);

// Writes bytes so that a failed or killed write never destroys the old file: a new file in the same
// folder (unnamed until complete where the file system allows it) takes the old one's owner, mode,
// extended attributes and ACLs, is flushed and renamed over it (through symbolic links, to their
// target). A file with several hard links, one whose folder takes no new file, and one whose
// attributes a new file cannot carry are rewritten in place instead, with a copy of the old content
// kept in the recovery folder until the new one is flushed. A full disk, a long name or a lack of
// descriptors never leads to writing in place.
// Throws EFileError "Cannot create file <path>" and leaves the old file as it was.
void WriteFileSafely(const std::string& path, std::string_view bytes);

// The same for bytes handed over piece by piece, so that a large page is not copied whole first.
// The producer passes each piece to write and stops with false as soon as write returns false. It
// is asked a second time when the first new file turns out unable to replace the old one.
using TByteSink = std::function<bool(std::string_view)>;
using TByteProducer = std::function<bool(const TByteSink& write)>;
void WriteFileSafely(const std::string& path, const TByteProducer& produce);
