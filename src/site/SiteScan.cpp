#include "site/SiteScan.h"

#include "base/FileError.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t ModifiedNs(const struct stat& info)
{
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// Walks one folder (relative path prefix "" for the site itself); returns false when it cannot be opened.
bool ScanFolder(int folderFd, const std::string& prefix, const TExcludePatterns& patterns, TLocalFiles& files)
{
    DIR* folder = ::fdopendir(folderFd);
    if (folder == nullptr) {
        ::close(folderFd);
        return false;
    }
    while (const dirent* item = ::readdir(folder)) {
        const std::string_view name = item->d_name;
        if (name == "." || name == ".." || IsNeverPublishedName(name))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(folder), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const std::string path = prefix + std::string(name);
        if (S_ISDIR(info.st_mode)) {
            if (patterns.Excludes(path, TPathKind::Folder))
                continue;
            const int child = ::openat(::dirfd(folder), item->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            if (child >= 0)
                ScanFolder(child, path + "/", patterns, files);
            continue;
        }
        if (S_ISLNK(info.st_mode) && (::fstatat(::dirfd(folder), item->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)))
            continue;
        if (!S_ISREG(info.st_mode) || patterns.Excludes(path, TPathKind::File))
            continue;
        files[path] = TLocalFile{static_cast<std::uint64_t>(info.st_size), ModifiedNs(info)};
    }
    ::closedir(folder);
    return true;
}

}  // namespace

TLocalFiles ScanSite(const std::string& siteFolder, const TExcludePatterns& patterns)
{
    TLocalFiles files;
    const int folder = ::open(siteFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || !ScanFolder(folder, "", patterns, files))
        throw EFileError("Cannot open folder " + siteFolder + ". " + std::strerror(errno));
    return files;
}

bool StatLocalFile(const std::string& path, TLocalFile& file)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    file = TLocalFile{static_cast<std::uint64_t>(info.st_size), ModifiedNs(info)};
    return true;
}
