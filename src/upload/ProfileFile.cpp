#include "upload/ProfileFile.h"

#include "base/FileDescriptor.h"
#include "base/FileWrites.h"
#include "base/PathName.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a file that is not the user's own must not be taken for the profile list: another user could
// have put it there (connect.set lives in whatever folder the program started in, /tmp included).
constexpr const char* kStrangersLink = "It is a symbolic link that belongs to another user";
constexpr const char* kStrangersFile = "It belongs to another user";
constexpr const char* kWritableByOthers = "Other users may write to it";

// The file the path leads to through links the user made; a link of anyone else's is refused, so
// nothing is read from or written through it.
std::string OwnTarget(const std::string& path, const std::function<EProfileFileError(const char*)>& fail)
{
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        if (info.st_uid != ::geteuid())
            throw fail(kStrangersLink);
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0)
            throw fail(std::strerror(errno));
        const std::string next(target, static_cast<std::size_t>(length));
        current = next.starts_with('/') ? next : FolderPart(current) + "/" + next;
    }
    throw fail(std::strerror(ELOOP));
}

// The user's own file, which nobody else may change; else why not.
const char* Refusal(const struct stat& info)
{
    if (info.st_uid != ::geteuid())
        return kStrangersFile;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 ? kWritableByOthers : nullptr;
}

}  // namespace

std::string TProfileFile::PathInCurrentFolder()
{
    char folder[PATH_MAX];
    if (::getcwd(folder, sizeof folder) == nullptr)
        return "connect.set";
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + "connect.set";
}

std::optional<TProfileLines> TProfileFile::Read() const
{
    const auto failWith = [this](const char* reason) { return EProfileFileError("Cannot open file " + path_ + ". " + reason); };
    const auto fail = [&] { return failWith(std::strerror(errno)); };
    // The last name is opened without following a link that may have been put there meanwhile.
    TFileDescriptor file(::open(OwnTarget(path_, failWith).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.Valid()) {
        if (errno == ENOENT)
            return std::nullopt;
        throw fail();
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0)
        throw fail();
    if (!S_ISREG(info.st_mode)) {
        errno = EISDIR;
        if (!S_ISDIR(info.st_mode))
            errno = EINVAL;
        throw fail();
    }
    if (const char* refusal = Refusal(info))
        throw failWith(refusal);
    std::string bytes;
    char block[65536];
    for (;;) {
        ssize_t got = ::read(file.Get(), block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw fail();
        if (got == 0)
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    return ParseProfileLines(bytes);
}

void TProfileFile::Write(const TProfileLines& lines) const
{
    const auto failWith = [this](const char* reason) { return EProfileFileError("Cannot create file " + path_ + ". " + reason); };
    const std::string target = OwnTarget(path_, failWith);
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        if (const char* refusal = Refusal(info))
            throw failWith(refusal);
    if (const int error = ReplacePrivateFile(target, FormatProfileLines(lines)))
        throw failWith(std::strerror(error));
}
