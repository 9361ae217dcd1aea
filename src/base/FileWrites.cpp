#include "base/FileWrites.h"

#include "base/InPlaceWrite.h"
#include "base/NewFile.h"
#include "base/PathName.h"
#include "base/ProcessUmask.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

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
    errno = ELOOP;
    return {};
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

TReplaceResult SetAccess(const std::string& target, const struct stat* old, int fd, TFileAccess access)
{
    if (access == TFileAccess::OwnerOnly)
        return ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 ? TReplaceResult::Done : TReplaceResult::Failed;
    if (old)
        return CopyAttributes(target, *old, fd);
    return ::fchmod(fd, 0666 & ~ProcessUmask()) == 0 ? TReplaceResult::Done : TReplaceResult::Failed;
}

// A short name, so that it fits beside the longest file name, and one of this file's own, so that
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

// Writes a new file beside the old one and renames it over it; `error` tells why when it fails.
TReplaceResult ReplaceByRename(const std::string& target, const struct stat* old, const TByteProducer& produce,
                               TFileAccess access, int& error)
{
    const auto fail = [&error](TReplaceResult result) {
        error = errno != 0 ? errno : EIO;
        return result;
    };
    const std::string folder = FolderPart(target);
    const std::string prefix = TemporaryPrefix(target);
    RemoveStaleTemporaries(folder, prefix);
    const std::unique_ptr<TNewFile> temp = TNewFile::Create(folder, prefix);
    // Only a folder that takes no new file is a reason to write in place; a full disk, a full
    // inode table or a lack of descriptors would make the in-place write fail halfway too.
    if (!temp)
        return fail(old && (errno == EACCES || errno == EPERM) ? TReplaceResult::InPlace : TReplaceResult::Failed);
    errno = 0;
    if (!WriteProduced(temp->Fd(), produce))
        return fail(TReplaceResult::Failed);
    if (const TReplaceResult set = SetAccess(target, old, temp->Fd(), access); set != TReplaceResult::Done)
        return fail(set);
    if (::fsync(temp->Fd()) != 0 || !temp->ReplaceAt(target))
        return fail(TReplaceResult::Failed);
    SyncFolder(folder);
    return TReplaceResult::Done;
}

// EACCES for a file the user may not write, or one its owner made read-only (root may write any
// file, but a read-only page or profile list of root's own is still left alone).
int RefusalToWrite(const std::string& target, const struct stat& old)
{
    if (!S_ISREG(old.st_mode))
        return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
    if (old.st_uid == ::geteuid() && (old.st_mode & S_IWUSR) == 0)
        return EACCES;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

std::mutex folderLock;
std::string& Folder()
{
    static std::string folder;
    return folder;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int SafeWrite(const std::string& path, const TByteProducer& produce, TFileAccess access)
{
    if (path.empty())
        return ENOENT;
    const std::string target = access == TFileAccess::OwnerOnly ? path : LinkTarget(path);
    if (target.empty())
        return errno != 0 ? errno : ELOOP;
    struct stat old {};
    bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    // An owner-only file's path names the file itself: a link there is replaced, never written through.
    if (exists && S_ISLNK(old.st_mode))
        exists = false;
    // Replacing the file by a rename would get round a file the user may not write.
    if (exists)
        if (const int refusal = RefusalToWrite(target, old))
            return refusal;
    // A file with several names must stay one file, so it is rewritten where it is.
    int error = 0;
    const TReplaceResult result = exists && old.st_nlink > 1
                                      ? TReplaceResult::InPlace
                                      : ReplaceByRename(target, exists ? &old : nullptr, produce, access, error);
    if (result == TReplaceResult::Done)
        return 0;
    if (result == TReplaceResult::Failed)
        return error;
    const std::string folder = InterruptedSaveFolder();
    if (folder.empty())
        return error != 0 ? error : ENOTSUP;
    return RewriteInPlace(target, old, produce, access, folder);
}

int ReplacePrivateFile(const std::string& path, std::string_view bytes)
{
    return SafeWrite(path, [bytes](const TByteSink& write) { return write(bytes); }, TFileAccess::OwnerOnly);
}

void SetInterruptedSaveFolder(std::string folder)
{
    const std::lock_guard lock(folderLock);
    Folder() = std::move(folder);
}

std::string InterruptedSaveFolder()
{
    const std::lock_guard lock(folderLock);
    return Folder();
}
