#include "upload/ProfileFile.h"

#include "base/FileDescriptor.h"
#include "base/FileWrites.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a link at the path points to, so that replacing it keeps the user's link; the path
// itself when it is no link or leads nowhere yet.
std::string WriteTarget(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
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
    const auto fail = [this] { return EProfileFileError("Cannot open file " + path_ + ". " + std::strerror(errno)); };
    TFileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
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
    if (const int error = ReplacePrivateFile(WriteTarget(path_), FormatProfileLines(lines)))
        throw EProfileFileError("Cannot create file " + path_ + ". " + std::strerror(error));
}
