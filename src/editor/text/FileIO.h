#pragma once
// Reading and safely writing whole page files. Failures are EFileError with the user's texts.

#include "base/FileError.h"
#include "base/FileWrites.h"

#include <string>
#include <string_view>

// The file's bytes, unconverted. Throws EFileError "Cannot open file <path>".
std::string ReadWholeFile(const std::string& path);

// Writes a page through the one safe writer (base/FileWrites.h): the old file keeps its owner, mode,
// extended attributes and ACLs and is never lost to a failed or killed write. Throws EFileError
// "Cannot create file <path>. <the system's reason>" and leaves the old file as it was.
void WriteFileSafely(const std::string& path, std::string_view bytes);
void WriteFileSafely(const std::string& path, const TByteProducer& produce);
