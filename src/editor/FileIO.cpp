#include "editor/FileIO.h"

#include "base/PathName.h"
#include "editor/FileIOInPlace.h"
#include "editor/FileIOSupport.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <new>
#include <vector>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Follows symbolic links (also dangling ones) to the file that a save must replace; empty for a
// loop or a link that cannot be read, which must fail rather than be replaced by a file.
std::string LinkTarget(const std::string& path)
{
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0)
            return errno == ENOENT ? current : std::string();
        if (!S_ISLNK(info.st_mode))
            return current;
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (length < 0)
            return {};
        std::string target(buffer, static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : FolderPart(current) + "/" + target;
    }
    return {};
}

mode_t DefaultNewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::vector<std::string> AttributeNames(const std::function<ssize_t(char*, std::size_t)>& list)
{
    std::vector<char> names;
    for (ssize_t size = list(nullptr, 0); size > 0; size = list(nullptr, 0)) {
        names.resize(static_cast<std::size_t>(size));
        size = list(names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<std::size_t>(size));
            break;
        }
        if (errno != ERANGE)
            return {};
    }
    std::vector<std::string> result;
    for (std::size_t at = 0; at < names.size(); at += result.back().size() + 1)
        result.emplace_back(names.data() + at);
    return result;
}

// Gives the new file the old one's extended attributes (POSIX ACLs among them) and no others.
bool CopyExtendedAttributes(const std::string& from, int to)
{
    errno = 0;
    const auto names = AttributeNames([&](char* list, std::size_t size) { return ::llistxattr(from.c_str(), list, size); });
    if (errno != 0 && errno != ENOTSUP)
        return false;
    const auto own = AttributeNames([&](char* list, std::size_t size) { return ::flistxattr(to, list, size); });
    for (const std::string& name : own)
        if (std::find(names.begin(), names.end(), name) == names.end())
            (void)::fremovexattr(to, name.c_str());
    for (const std::string& name : names) {
        std::vector<char> value(65536);
        const ssize_t size = ::lgetxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (size < 0 || ::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) != 0)
            return false;
    }
    return true;
}

enum class TReplaceResult { Done, Failed, InPlace };

// Owner first, for a change of owner clears the setuid and setgid bits that the mode then sets.
// Anything the new file cannot carry makes the save rewrite the old file in place instead.
TReplaceResult CopyAttributes(const std::string& target, const struct stat& old, int fd)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return TReplaceResult::InPlace;
    if (!CopyExtendedAttributes(target, fd))
        return TReplaceResult::InPlace;
    struct stat now {};
    if (::fchmod(fd, old.st_mode & 07777) != 0 || ::fstat(fd, &now) != 0)
        return TReplaceResult::Failed;
    const bool kept = now.st_uid == old.st_uid && now.st_gid == old.st_gid && now.st_mode == old.st_mode;
    return kept ? TReplaceResult::Done : TReplaceResult::InPlace;
}

// A short name, so that it fits beside the longest file name, and one of this page's own, so that
// what a killed save left is found and removed by the next.
std::string TemporaryPrefix(const std::string& target)
{
    std::uint32_t hash = 2166136261u;
    for (const unsigned char byte : FileNamePart(target))
        hash = (hash ^ byte) * 16777619u;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, ".tallo-%08x-", hash);
    return prefix;
}

// Writes a new file beside the old one and renames it over it.
TReplaceResult ReplaceByRename(const std::string& target, const struct stat* old, const TByteProducer& produce)
{
    const std::string folder = FolderPart(target);
    const std::string prefix = TemporaryPrefix(target);
    RemoveStaleTemporaries(folder, prefix);
    const std::unique_ptr<TNewFile> temp = TNewFile::Create(folder, prefix);
    // Only a folder that takes no new file is a reason to write in place; a full disk, a full
    // inode table or a lack of descriptors would make the in-place write fail halfway too.
    if (!temp)
        return old && (errno == EACCES || errno == EPERM) ? TReplaceResult::InPlace : TReplaceResult::Failed;
    if (!WriteProduced(temp->Fd(), produce))
        return TReplaceResult::Failed;
    if (old) {
        if (const TReplaceResult kept = CopyAttributes(target, *old, temp->Fd()); kept != TReplaceResult::Done)
            return kept;
    } else if (::fchmod(temp->Fd(), DefaultNewFileMode()) != 0) {
        return TReplaceResult::Failed;
    }
    if (::fsync(temp->Fd()) != 0 || !temp->ReplaceAt(target))
        return TReplaceResult::Failed;
    SyncFolder(folder);
    return TReplaceResult::Done;
}

// A block of many megabytes is backed by large pages where the system allows it: filling it
// then takes a few hundred page faults instead of one per 4 KB, which is much of a load's time.
void AskForHugePages(char* data, std::size_t size)
{
    constexpr std::uintptr_t kHugePage = 2 << 20;
    if (size < 4 * kHugePage) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::string ReadOpenFile(int fd, const struct stat& info, const std::function<EFileError()>& fail)
{
    std::string bytes;
    // A file is read into a block of its size, with room behind that an edited long line (a
    // minified page) can grow into without a copy; room never written costs address space only.
    // One that reports no size (/proc) grows as it comes, and so does a file that grows while it is read.
    const std::size_t size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 65536;
    bytes.reserve(size + size / 16);
    AskForHugePages(bytes.data(), bytes.capacity());
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
    if (target.empty()) throw fail();

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) throw fail();
    if (exists && !S_ISREG(old.st_mode)) throw fail();
    // Replacing the file by a rename would get round a file the user may not write.
    if (exists && ::access(target.c_str(), W_OK) != 0) throw fail();

    // A file with several names must stay one file, so it is rewritten where it is.
    TReplaceResult result = exists && old.st_nlink > 1 ? TReplaceResult::InPlace
                                                       : ReplaceByRename(target, exists ? &old : nullptr, produce);
    if (result == TReplaceResult::InPlace)
        result = RewriteInPlace(target, produce) ? TReplaceResult::Done : TReplaceResult::Failed;
    if (result != TReplaceResult::Done) throw fail();
}
