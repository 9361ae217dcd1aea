#include "editor/FileIO.h"

#include <cerrno>
#include <climits>
#include <functional>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() { if (fd_ >= 0) ::close(fd_); }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closing can report a failed write on some file systems, so it is checked.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}


// Gathers small pieces into large writes.
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

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Follows symbolic links (also dangling ones) to the file that a save must replace.
std::string LinkTarget(const std::string& path)
{
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (length < 0) return current;
        std::string target(buffer, static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : FolderOf(current) + "/" + target;
    }
    return current;
}

mode_t DefaultNewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteInPlace(const std::string& target, const TByteProducer& produce)
{
    TFileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return fd.Valid() && WriteProduced(fd.Get(), produce) && fd.Close();
}

enum class TReplaceResult { Done, Failed, RenameImpossible };

TReplaceResult WriteTempAndRename(const std::string& target, const struct stat* old, const TByteProducer& produce)
{
    const std::string folder = FolderOf(target);
    const std::string name = target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
    std::string temp = folder + "/." + name + ".tallo-XXXXXX";
    TFileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.Valid()) return TReplaceResult::RenameImpossible;

    bool ok = WriteProduced(fd.Get(), produce);
    if (ok && old) {
        ok = ::fchmod(fd.Get(), old->st_mode & 07777) == 0;
        // Keeps the owner when we may (as root); otherwise the file becomes ours, as any new file.
        if (ok && (old->st_uid != ::geteuid() || old->st_gid != ::getegid()))
            (void)!::fchown(fd.Get(), old->st_uid, old->st_gid);
    } else if (ok) {
        ok = ::fchmod(fd.Get(), DefaultNewFileMode()) == 0;
    }
    ok = ok && ::fsync(fd.Get()) == 0;
    ok = fd.Close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return TReplaceResult::Failed;
    }
    return TReplaceResult::Done;
}

std::string ReadOpenFile(int fd, const struct stat& info, const std::function<EFileError()>& fail)
{
    std::string bytes;
    // A file is read into a block of its size, with room behind that an edited long line (a
    // minified page) can grow into without a copy; room never written costs address space only.
    // One that reports no size (/proc) grows as it comes, and so does a file that grows while it is read.
    const std::size_t size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 65536;
    bytes.reserve(size + size / 16);
    bytes.resize(size);
    std::size_t used = 0;
    while (true) {
        char spare[4096];
        const bool full = used == bytes.size();
        char* into = full ? spare : bytes.data() + used;
        const std::size_t room = full ? sizeof spare : bytes.size() - used;
        const ssize_t got = ::read(fd, into, room);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw fail();
        }
        if (got == 0) break;
        if (full) {
            bytes.append(spare, static_cast<std::size_t>(got));
            bytes.resize(bytes.size() * 2);  // room for more of a stream
        }
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    const auto fail = [&] { return EFileError("Cannot open file " + path); };
    // Non-blocking, so that opening a pipe nobody writes to cannot hang; no effect on files.
    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) throw fail();
    struct stat info {};
    // Only regular files are pages: a device or a pipe may never end (/dev/zero) or never answer.
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) throw fail();
    try {
        return ReadOpenFile(fd.Get(), info, fail);
    } catch (const std::bad_alloc&) {
        throw fail();  // larger than the memory the program can have
    }
}

void WriteFileSafely(const std::string& path, std::string_view bytes)
{
    WriteFileSafely(path, [bytes](const TByteSink& write) { return write(bytes); });
}

void WriteFileSafely(const std::string& path, const TByteProducer& produce)
{
    const auto fail = [&] { return EFileError("Cannot create file " + path); };
    if (path.empty()) throw fail();
    const std::string target = LinkTarget(path);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) throw fail();
    // Replacing the file by a rename would get round a file the user may not write.
    if (exists && ::access(target.c_str(), W_OK) != 0) throw fail();

    // A file with several names must stay one file, so it is rewritten where it is.
    if (exists && old.st_nlink > 1) {
        if (!WriteInPlace(target, produce)) throw fail();
        return;
    }
    switch (WriteTempAndRename(target, exists ? &old : nullptr, produce)) {
    case TReplaceResult::Done: return;
    case TReplaceResult::Failed: throw fail();
    case TReplaceResult::RenameImpossible:
        if (!WriteInPlace(target, produce)) throw fail();
        return;
    }
}
