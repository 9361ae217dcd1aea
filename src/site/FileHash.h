#pragma once
// The SHA-256 of a file's bytes, through OpenSSL, as 64 lower-case hex digits.

#include <string>

// Throws EFileError "Cannot open file <path>. <reason>" when the file cannot be read.
std::string FileSha256(const std::string& path);
