#include "base/InterruptedSaves.h"

#include "base/NewFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr std::string_view kMagic = "Tallo interrupted save 1\n";
constexpr std::size_t kLongestRecord = 8192;

template <typename Number>
bool TakeNumber(std::string_view& rest, Number& value, char end)
{
    const auto [stop, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || stop == rest.data() + rest.size() || *stop != end)
        return false;
    rest.remove_prefix(static_cast<std::size_t>(stop - rest.data()) + 1);
    return true;
}

bool TakeWord(std::string_view& rest, std::string_view word)
{
    if (!rest.starts_with(word))
        return false;
    rest.remove_prefix(word.size());
    return true;
}

// The record at the start of a copy; none when the copy is not a whole one.
std::optional<TInterruptedSave> ReadRecord(int fd, const struct stat& info)
{
    std::string head(kLongestRecord, '\0');
    const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
    if (got <= 0)
        return std::nullopt;
    head.resize(static_cast<std::size_t>(got));
    std::string_view rest = head;
    TInterruptedSave save;
    std::size_t nameSize = 0;
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    if (!TakeWord(rest, kMagic) || !TakeWord(rest, "file ") || !TakeNumber(rest, nameSize, '\n') ||
        rest.size() <= nameSize || rest[nameSize] != '\n')
        return std::nullopt;
    save.FileName = std::string(rest.substr(0, nameSize));
    rest.remove_prefix(nameSize + 1);
    if (!TakeWord(rest, "identity ") || !TakeNumber(rest, device, ' ') || !TakeNumber(rest, inode, '\n') ||
        !TakeWord(rest, "size ") || !TakeNumber(rest, size, '\n'))
        return std::nullopt;
    save.Device = static_cast<dev_t>(device);
    save.Inode = static_cast<ino_t>(inode);
    save.Size = static_cast<off_t>(size);
    save.ContentOffset = static_cast<off_t>(head.size() - rest.size());
    if (save.ContentOffset + save.Size != info.st_size)
        return std::nullopt;
    return save;
}

bool SameBytes(int first, off_t firstOffset, int second, off_t size)
{
    std::string a(1 << 20, '\0'), b(1 << 20, '\0');
    for (off_t at = 0; at < size;) {
        const std::size_t want = static_cast<std::size_t>(std::min<off_t>(size - at, static_cast<off_t>(a.size())));
        if (::pread(first, a.data(), want, firstOffset + at) != static_cast<ssize_t>(want) ||
            ::pread(second, b.data(), want, at) != static_cast<ssize_t>(want) ||
            std::memcmp(a.data(), b.data(), want) != 0)
            return false;
        at += static_cast<off_t>(want);
    }
    return true;
}

enum class TCopyState {
    Offer,    // the file may hold part of the new content: the user decides
    Done,     // the file holds the previous version, or was replaced whole since: the copy has done its work
    Waiting,  // the file cannot be reached now (a drive not mounted): asked again later
};

TCopyState StateOf(const TInterruptedSave& save)
{
    TFileDescriptor file(::open(save.FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0)
        return TCopyState::Waiting;
    if (info.st_dev != save.Device || info.st_ino != save.Inode)
        return TCopyState::Done;
    const bool same = info.st_size == save.Size && SameBytes(save.Copy.Get(), save.ContentOffset, file.Get(), save.Size);
    return same ? TCopyState::Done : TCopyState::Offer;
}

// The copy's record, when the copy is whole and no running save holds it; it is then claimed.
std::optional<TInterruptedSave> Claim(const std::string& path)
{
    TFileDescriptor copy(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (!copy.Valid() || ::fstat(copy.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return std::nullopt;
    if (::flock(copy.Get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;  // a save that is still running
    std::optional<TInterruptedSave> save = ReadRecord(copy.Get(), info);
    if (!save) {
        ::unlink(path.c_str());  // not a whole copy: nothing to offer
        return std::nullopt;
    }
    save->CopyPath = path;
    save->Copy = std::move(copy);
    return save;
}

std::vector<std::string> CopyNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.starts_with(kInterruptedCopyPrefix) && name.ends_with(kInterruptedCopySuffix))
            names.emplace_back(name);
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string InterruptedSaveRecord(const std::string& fileName, const struct stat& file)
{
    return std::string(kMagic) + "file " + std::to_string(fileName.size()) + "\n" + fileName + "\n" + "identity " +
           std::to_string(static_cast<unsigned long long>(file.st_dev)) + " " +
           std::to_string(static_cast<unsigned long long>(file.st_ino)) + "\n" + "size " +
           std::to_string(static_cast<long long>(file.st_size)) + "\n";
}

std::vector<TInterruptedSave> ClaimInterruptedSaves(const std::string& folder)
{
    std::vector<TInterruptedSave> saves;
    if (folder.empty())
        return saves;
    RemoveStaleTemporaries(folder, kPartialCopyPrefix);
    for (const std::string& name : CopyNames(folder)) {
        std::optional<TInterruptedSave> save = Claim(folder + "/" + name);
        if (!save)
            continue;
        const TCopyState state = StateOf(*save);
        if (state == TCopyState::Offer)
            saves.push_back(std::move(*save));
        else if (state == TCopyState::Done)
            ::unlink(save->CopyPath.c_str());
    }
    return saves;
}

void RemoveInterruptedSavesOf(const std::string& folder, const struct stat& file)
{
    for (const std::string& name : CopyNames(folder))
        if (std::optional<TInterruptedSave> save = Claim(folder + "/" + name))
            if (save->Device == file.st_dev && save->Inode == file.st_ino)
                ::unlink(save->CopyPath.c_str());
}

std::vector<TInterruptedSave> ClaimInterruptedSavesOf(const std::string& folder, const std::string& path)
{
    std::vector<TInterruptedSave> saves;
    struct stat file {};
    if (folder.empty() || ::stat(path.c_str(), &file) != 0)
        return saves;
    for (TInterruptedSave& save : ClaimInterruptedSaves(folder))
        if (save.Device == file.st_dev && save.Inode == file.st_ino)
            saves.push_back(std::move(save));
    return saves;
}

int PutBackPreviousVersion(const TInterruptedSave& save)
{
    // In place, as it was overwritten: the file keeps its names, owner and mode. The copy stays until
    // the previous version is flushed, so a kill now is offered again at the next start.
    TFileDescriptor file(::open(save.FileName.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    struct stat info {};
    if (!file.Valid() || ::fstat(file.Get(), &info) != 0)
        return errno;
    if (info.st_dev != save.Device || info.st_ino != save.Inode)
        return ESTALE;
    if (!CopyContents(save.Copy.Get(), file.Get(), save.ContentOffset, 0) || ::ftruncate(file.Get(), save.Size) != 0 ||
        ::fsync(file.Get()) != 0)
        return errno != 0 ? errno : EIO;
    ::unlink(save.CopyPath.c_str());
    return 0;
}

void DiscardPreviousVersion(const TInterruptedSave& save)
{
    ::unlink(save.CopyPath.c_str());
}
