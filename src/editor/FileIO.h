#pragma once
// Reading and safely writing whole page files. Failures are EFileError with the user's texts.

#include "base/FileError.h"

#include <functional>
#include <string>
#include <string_view>

// The file's bytes, unconverted. Throws EFileError "Cannot open file <path>".
std::string ReadWholeFile(const std::string& path);

// Writes bytes so that a failed write never destroys the old file: a temporary file in the same
// folder renamed over the old one (keeping its permissions; through a symbolic link to its target),
// or, where a rename is impossible (folder not writable, several hard links), in place.
// Throws EFileError "Cannot create file <path>" and leaves the old file as it was.
void WriteFileSafely(const std::string& path, std::string_view bytes);

// The same for bytes handed over piece by piece, so that a large page is not copied whole first.
// The producer passes each piece to write and stops with false as soon as write returns false.
using TByteSink = std::function<bool(std::string_view)>;
using TByteProducer = std::function<bool(const TByteSink& write)>;
void WriteFileSafely(const std::string& path, const TByteProducer& produce);
