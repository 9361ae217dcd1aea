#pragma once
// The connect.set file on disk. It holds passwords in plain text, so it is written owner-only (mode
// 0600, whatever the umask) and whole, through the one safe writer: a failed write leaves the old file
// as it was, and a read-only one is left alone. It lives in whatever folder the program started in,
// which others may be able to write to: a file or a symbolic link that another user owns, and a file
// that others may write to, is neither read nor written (a link the user made to a file of their own is
// followed). It is read again for every command; nothing is cached.

#include "upload/ConnectionProfiles.h"

#include <optional>
#include <stdexcept>
#include <string>

class EProfileFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TProfileFile {
public:
    explicit TProfileFile(std::string path) : path_(std::move(path)) {}

    // "connect.set" in the current folder: where the program keeps it, worked out once at start-up.
    static std::string PathInCurrentFolder();

    const std::string& Path() const { return path_; }
    // Nothing when the file does not exist (no profiles). Throws EProfileFileError
    // "Cannot open file <path>. <reason>" when it exists but cannot be read or is not the user's own.
    std::optional<TProfileLines> Read() const;
    // Throws EProfileFileError "Cannot create file <path>. <reason>"; the old file is then unchanged.
    void Write(const TProfileLines& lines) const;

private:
    std::string path_;
};
