#include "upload/ProfileFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now, so that a failure to close counts as a failed write.
    bool Close()
    {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a link at the path points to, so that replacing it keeps the user's link; the path
// itself when it is no link or leads nowhere yet.
std::string WriteTarget(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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
    FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
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
    const std::string target = WriteTarget(path_);
    std::string temporary = FolderOf(target) + "/.connect.set.XXXXXX";
    int error = 0;
    errno = 0;
    {
        // mkstemp makes the file owner-only whatever the umask; fchmod states it for any system that does not.
        FileDescriptor file(::mkstemp(temporary.data()));
        if (file.Get() < 0)
            throw EProfileFileError("Cannot create file " + path_ + ". " + std::strerror(errno));
        if (::fchmod(file.Get(), S_IRUSR | S_IWUSR) != 0 || !WriteAll(file.Get(), FormatProfileLines(lines)) ||
            ::fsync(file.Get()) != 0 || !file.Close())
            error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw EProfileFileError("Cannot create file " + path_ + ". " + std::strerror(error));
    }
}
