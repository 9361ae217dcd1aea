#include "editor/FileIOInPlace.h"

#include "base/PathName.h"
#include "base/UserFolders.h"
#include "editor/FileIOSupport.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kStagedPrefix = ".staged-";

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

// A copy of the file's present content under a name that tells whose it is; empty on failure.
std::string KeepRecoveryCopy(int file, const std::string& target, const std::string& folder)
{
    constexpr std::size_t kNameLength = 100;
    const std::unique_ptr<TNewFile> copy = TNewFile::Create(folder, FileNamePart(target).substr(0, kNameLength) + ".");
    if (!copy || !CopyContents(file, copy->Fd()) || ::fsync(copy->Fd()) != 0)
        return {};
    std::string name = copy->Keep();
    SyncFolder(folder);
    return name;
}

// Overwrites the file with the staged content and cuts it to that size.
bool Overwrite(int file, int staged, off_t size)
{
    return CopyContents(staged, file) && ::ftruncate(file, size) == 0 && ::fsync(file) == 0;
}

}  // namespace

std::string RecoveryFolder()
{
    std::string folder = UserStateFolder();
    if (folder.empty())
        return {};
    folder += "/tallo/recovery";
    return MakeFolders(folder) ? folder : std::string();
}

bool RewriteInPlace(const std::string& target, const TByteProducer& produce)
{
    const std::string folder = RecoveryFolder();
    if (folder.empty())
        return false;
    // The new content is made first, so that its size is known and a failing producer harms nothing.
    RemoveStaleTemporaries(folder, kStagedPrefix);
    const std::unique_ptr<TNewFile> staged = TNewFile::Create(folder, kStagedPrefix);
    if (!staged || !WriteProduced(staged->Fd(), produce))
        return false;
    const off_t size = ::lseek(staged->Fd(), 0, SEEK_END);
    TFileDescriptor file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    struct stat old {};
    if (size < 0 || !file.Valid() || ::fstat(file.Get(), &old) != 0)
        return false;
    const std::string recovery = KeepRecoveryCopy(file.Get(), target, folder);
    if (recovery.empty())
        return false;
    // Claiming the space first means a full disk stops the save before the old content is touched.
    if (size > old.st_size && ::fallocate(file.Get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP) {
        ::unlink(recovery.c_str());
        return false;
    }
    if (Overwrite(file.Get(), staged->Fd(), size)) {
        ::unlink(recovery.c_str());
        return true;
    }
    // The copy goes only once the old content is back in place; otherwise it is what is left of it.
    TFileDescriptor copy(::open(recovery.c_str(), O_RDONLY | O_CLOEXEC));
    if (copy.Valid() && Overwrite(file.Get(), copy.Get(), old.st_size))
        ::unlink(recovery.c_str());
    return false;
}
