#include "base/NewFile.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string RandomSuffix()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string suffix(6, ' ');
    for (char& letter : suffix)
        letter = kLetters[pick(generator)];
    return suffix;
}

constexpr int kNameAttempts = 100;

// Opens a new file under a fresh name made of the prefix and random characters; `name` is set only
// when the file was made.
int CreateNamed(const std::string& folder, const std::string& prefix, std::string& name)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = prefix + RandomSuffix();
        const int fd = ::open((folder + "/" + candidate).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            name = candidate;
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool WriteProduced(int fd, const TByteProducer& produce)
{
    std::string buffer;
    buffer.reserve(1 << 20);
    const bool produced = produce([&](std::string_view piece) {
        if (buffer.size() + piece.size() > buffer.capacity()) {
            if (!WriteAll(fd, buffer)) return false;
            buffer.clear();
            if (piece.size() >= buffer.capacity()) return WriteAll(fd, piece);
        }
        buffer.append(piece);
        return true;
    });
    return produced && WriteAll(fd, buffer);
}

bool CopyContents(int from, int to, off_t fromOffset, off_t toOffset)
{
    std::vector<char> buffer(1 << 20);
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(from, buffer.data(), buffer.size(), fromOffset + offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done), toOffset + offset + done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0)
                return false;
            done += put;
        }
        offset += got;
    }
}

void SyncFolder(const std::string& folder)
{
    // Some file systems cannot flush a folder; the rename itself has happened, so that is no failure.
    TFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid())
        (void)::fsync(fd.Get());
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
            stale.emplace_back(name);
    }
    ::closedir(listing);
    for (const std::string& name : stale) {
        const std::string path = folder + "/" + name;
        TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
    }
}

std::unique_ptr<TNewFile> TNewFile::Create(const std::string& folder, const std::string& prefix)
{
    std::string name;
    int fd = ::open(folder.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    // Unnamed files are missing on some file systems (and /proc is needed to name one later).
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT))
        fd = CreateNamed(folder, prefix, name);
    else if (fd >= 0 && ::access("/proc/self/fd", X_OK) != 0) {
        ::close(fd);
        fd = CreateNamed(folder, prefix, name);
    }
    if (fd < 0)
        return nullptr;
    (void)::flock(fd, LOCK_EX);
    return std::unique_ptr<TNewFile>(new TNewFile(fd, folder, prefix, std::move(name)));
}

TNewFile::TNewFile(int fd, std::string folder, std::string prefix, std::string name)
    : fd_(fd), folder_(std::move(folder)), prefix_(std::move(prefix)), name_(std::move(name))
{
}

TNewFile::~TNewFile()
{
    if (!name_.empty())
        ::unlink((folder_ + "/" + name_).c_str());
}

bool TNewFile::LinkUnder(std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string candidate = prefix_ + RandomSuffix();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, (folder_ + "/" + candidate).c_str(), AT_SYMLINK_FOLLOW) == 0) {
            name = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool TNewFile::ReplaceAt(const std::string& path)
{
    // An unnamed file cannot be linked over an existing one: it gets a name of its own for the
    // moment it takes to rename it.
    if (name_.empty() && !LinkUnder(name_))
        return false;
    if (::rename((folder_ + "/" + name_).c_str(), path.c_str()) != 0)
        return false;
    name_.clear();
    return true;
}

std::string TNewFile::KeepAs(const std::string& name, const std::string& suffix)
{
    const std::string from = name_.empty() ? "/proc/self/fd/" + std::to_string(fd_.Get()) : folder_ + "/" + name_;
    const int follow = name_.empty() ? AT_SYMLINK_FOLLOW : 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string kept = folder_ + "/" + name + RandomSuffix() + suffix;
        if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, kept.c_str(), follow) == 0) {
            if (!name_.empty())
                ::unlink(from.c_str());
            name_.clear();
            return kept;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}
