#include "base/InPlaceWrite.h"

#include "base/InterruptedSaves.h"
#include "base/NewFile.h"
#include "base/PathName.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const std::string kStagedPrefix = ".staged-";

// The folder and its missing parents, the new ones private to the user.
bool MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// The full path, so that a later start in another folder finds the file again.
std::string AbsolutePath(const std::string& path)
{
    if (path.starts_with('/'))
        return path;
    char folder[PATH_MAX];
    return ::getcwd(folder, sizeof folder) ? std::string(folder) + "/" + path : path;
}

// The file's present content, with its record, under its final name only once whole and flushed.
// The copy stays open (and locked) until the save is over. Null on failure.
std::unique_ptr<TNewFile> KeepPreviousVersion(int file, const std::string& target, const struct stat& old,
                                              const std::string& folder, std::string& name)
{
    std::unique_ptr<TNewFile> copy = TNewFile::Create(folder, kPartialCopyPrefix);
    if (!copy)
        return nullptr;
    const std::string record = InterruptedSaveRecord(AbsolutePath(target), old);
    if (!WriteAll(copy->Fd(), record) || !CopyContents(file, copy->Fd(), 0, static_cast<off_t>(record.size())) ||
        ::fsync(copy->Fd()) != 0)
        return nullptr;
    name = copy->KeepAs(kInterruptedCopyPrefix, kInterruptedCopySuffix);
    if (name.empty())
        return nullptr;
    SyncFolder(folder);
    return copy;
}

// Overwrites the file with `from`'s content from the offset on and cuts it to that size.
bool Overwrite(int file, int from, off_t offset, off_t size)
{
    return CopyContents(from, file, offset, 0) && ::ftruncate(file, size) == 0 && ::fsync(file) == 0;
}

int Failure()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace

int RewriteInPlace(const std::string& target, const struct stat& old, const TByteProducer& produce,
                   TFileAccess access, const std::string& copyFolder)
{
    if (!MakeFolders(copyFolder))
        return Failure();
    // The new content is made first, so that its size is known and a failing producer harms nothing.
    RemoveStaleTemporaries(copyFolder, kStagedPrefix);
    RemoveStaleTemporaries(copyFolder, kPartialCopyPrefix);
    errno = 0;
    const std::unique_ptr<TNewFile> staged = TNewFile::Create(copyFolder, kStagedPrefix);
    if (!staged || !WriteProduced(staged->Fd(), produce))
        return Failure();
    const off_t size = ::lseek(staged->Fd(), 0, SEEK_END);
    // Never through a link put in the file's place since it was looked at.
    TFileDescriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    struct stat now {};
    if (size < 0 || !file.Valid() || ::fstat(file.Get(), &now) != 0)
        return Failure();
    if (now.st_dev != old.st_dev || now.st_ino != old.st_ino)
        return EAGAIN;
    std::string copyName;
    const std::unique_ptr<TNewFile> copy = KeepPreviousVersion(file.Get(), target, now, copyFolder, copyName);
    if (!copy)
        return Failure();
    // Claiming the space first means a full disk stops the save before the old content is touched.
    if (size > now.st_size && ::fallocate(file.Get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP) {
        const int error = errno;
        ::unlink(copyName.c_str());
        return error;
    }
    if (access == TFileAccess::OwnerOnly)
        (void)::fchmod(file.Get(), S_IRUSR | S_IWUSR);
    if (Overwrite(file.Get(), staged->Fd(), 0, size)) {
        ::unlink(copyName.c_str());
        RemoveInterruptedSavesOf(copyFolder, now);  // those of earlier saves that were never answered
        return 0;
    }
    const int error = Failure();
    // The copy goes only once the old content is back in place; otherwise it is what is left of it.
    const off_t recordSize = static_cast<off_t>(InterruptedSaveRecord(AbsolutePath(target), now).size());
    if (Overwrite(file.Get(), copy->Fd(), recordSize, now.st_size))
        ::unlink(copyName.c_str());
    return error;
}
