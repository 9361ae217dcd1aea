#include "desktop/RecoveryFolder.h"

#include "base/UserFolders.h"
#include "editor/text/FileIO.h"
#include "editor/text/TextSnapshot.h"

#include <algorithm>
#include <utility>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kMagic = "Tallo recovery copy 1\n";
constexpr std::string_view kRunPrefix = "run-";
constexpr std::string_view kNewRunPrefix = ".new-";
constexpr std::string_view kCopySuffix = ".copy";
constexpr const char* kLockName = "/lock";

std::string FieldHead(std::string_view name, std::size_t size)
{
    return std::string(name) + " " + std::to_string(size) + "\n";
}

// Everything before the page's bytes.
std::string RecoveryHeader(const std::string& caption, const std::string& fileName, std::size_t textSize)
{
    return std::string(kMagic) + FieldHead("caption", caption.size()) + caption + "\n" +
           FieldHead("file", fileName.size()) + fileName + "\n" + FieldHead("text", textSize);
}

// Reads "<name> <size>\n<size bytes>" from the front of rest.
std::optional<std::string_view> TakeField(std::string_view& rest, std::string_view name)
{
    if (!rest.starts_with(name) || rest.size() <= name.size() || rest[name.size()] != ' ') return std::nullopt;
    rest.remove_prefix(name.size() + 1);
    const auto newline = rest.find('\n');
    if (newline == std::string_view::npos) return std::nullopt;
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + newline, size);
    if (error != std::errc() || end != rest.data() + newline) return std::nullopt;
    rest.remove_prefix(newline + 1);
    if (size > rest.size()) return std::nullopt;
    const std::string_view value = rest.substr(0, size);
    rest.remove_prefix(size);
    return value;
}

bool TakeNewline(std::string_view& rest)
{
    if (!rest.starts_with('\n')) return false;
    rest.remove_prefix(1);
    return true;
}

// A folder of ours that only we may enter; made when missing. False when it cannot be.
bool EnsurePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

bool EnsureFolderPath(const std::string& path)
{
    // Parents that exist are left as they are; only the folders made here are private.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string parent = path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return EnsurePrivateFolder(path);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

void RemoveFolder(const std::string& folder)
{
    for (const std::string& name : FolderEntries(folder)) ::unlink((folder + "/" + name).c_str());
    ::rmdir(folder.c_str());
}

// The page number of "<n>.copy", or none.
std::optional<int> CopyNumber(std::string_view name)
{
    if (!name.ends_with(kCopySuffix)) return std::nullopt;
    name.remove_suffix(kCopySuffix.size());
    int page = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), page);
    if (error != std::errc() || end != name.data() + name.size()) return std::nullopt;
    return page;
}

std::vector<TRecoveryCopy> ReadCopies(const std::string& folder)
{
    std::vector<std::pair<int, std::string>> numbered;
    for (const std::string& name : FolderEntries(folder)) {
        if (const auto page = CopyNumber(name)) numbered.emplace_back(*page, name);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<TRecoveryCopy> copies;
    for (const auto& [page, name] : numbered) {
        try {
            if (auto copy = DecodeRecoveryCopy(ReadWholeFile(folder + "/" + name))) copies.push_back(std::move(*copy));
        } catch (const EFileError&) {
            // A copy that cannot be read has nothing to offer.
        }
    }
    return copies;
}

}  // namespace

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy)
{
    return RecoveryHeader(copy.Caption, copy.FileName, copy.Bytes.size()) + copy.Bytes;
}

std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes)
{
    if (!bytes.starts_with(kMagic)) return std::nullopt;
    std::string_view rest = bytes.substr(kMagic.size());
    const auto caption = TakeField(rest, "caption");
    if (!caption || !TakeNewline(rest)) return std::nullopt;
    const auto fileName = TakeField(rest, "file");
    if (!fileName || !TakeNewline(rest)) return std::nullopt;
    const auto text = TakeField(rest, "text");
    if (!text || !rest.empty()) return std::nullopt;
    return TRecoveryCopy{std::string(*caption), std::string(*fileName), std::string(*text)};
}

std::string DefaultRecoveryFolder()
{
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : state + "/tallo/recovery";
}

std::string InterruptedSaveFolderIn(const std::string& recoveryFolder)
{
    return recoveryFolder.empty() ? std::string() : recoveryFolder + "/saves";
}

// --- TFolderLock ---------------------------------------------------------------------------------

std::optional<TFolderLock> TFolderLock::Take(const std::string& lockPath, TCreate create)
{
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create == TCreate::Yes ? O_CREAT : 0);
    const int fd = ::open(lockPath.c_str(), flags, 0600);
    if (fd < 0) return std::nullopt;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return TFolderLock(fd);
}

TFolderLock::TFolderLock(TFolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TFolderLock& TFolderLock::operator=(TFolderLock&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

TFolderLock::~TFolderLock()
{
    if (fd_ >= 0) ::close(fd_);
}

// --- TRecoverySession ----------------------------------------------------------------------------

std::unique_ptr<TRecoverySession> TRecoverySession::Start(const std::string& recoveryFolder)
{
    if (recoveryFolder.empty() || !EnsureFolderPath(recoveryFolder)) return nullptr;
    // Made under a name the scan for leftovers ignores, and renamed once locked, so that no other
    // start can take a run that is just beginning for one that ended.
    std::string fresh = recoveryFolder + "/" + std::string(kNewRunPrefix) + "XXXXXX";
    if (!::mkdtemp(fresh.data())) return nullptr;
    auto lock = TFolderLock::Take(fresh + kLockName, TFolderLock::TCreate::Yes);
    const std::string folder =
        recoveryFolder + "/" + std::string(kRunPrefix) + fresh.substr(fresh.size() - 6);
    if (!lock || ::rename(fresh.c_str(), folder.c_str()) != 0) {
        RemoveFolder(fresh);
        return nullptr;
    }
    return std::unique_ptr<TRecoverySession>(new TRecoverySession(folder, std::move(*lock)));
}

TRecoverySession::~TRecoverySession() = default;

std::string TRecoverySession::CopyPath(int page) const
{
    return folder_ + "/" + std::to_string(page) + std::string(kCopySuffix);
}

void TRecoverySession::WriteCopy(int page, const std::string& caption, const std::string& fileName,
                                 const TTextSnapshot& text) const
{
    const std::string path = CopyPath(page);
    // Made private first: the safe save keeps the mode of the file it replaces.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    const std::string header = RecoveryHeader(caption, fileName, text.SavedSize());
    WriteFileSafely(path, [&](const TByteSink& write) { return write(header) && text.WriteSaved(write); });
}

void TRecoverySession::RemoveCopy(int page) const
{
    ::unlink(CopyPath(page).c_str());
}

void TRecoverySession::Finish()
{
    RemoveFolder(folder_);
}

// --- TLeftoverCopies -----------------------------------------------------------------------------

std::unique_ptr<TLeftoverCopies> TLeftoverCopies::Claim(const std::string& recoveryFolder)
{
    auto leftovers = std::make_unique<TLeftoverCopies>();
    if (recoveryFolder.empty()) return leftovers;
    std::vector<std::pair<timespec, Claimed>> runs;
    for (const std::string& name : FolderEntries(recoveryFolder)) {
        const bool run = name.starts_with(kRunPrefix);
        if (!run && !name.starts_with(kNewRunPrefix)) continue;
        const std::string folder = recoveryFolder + "/" + name;
        struct stat info {};
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
        auto lock = TFolderLock::Take(folder + kLockName, TFolderLock::TCreate::No);
        if (!lock) continue;  // a run that is still going
        if (!run) {
            RemoveFolder(folder);  // a start that died before it began
            continue;
        }
        struct stat lockInfo {};
        ::stat((folder + kLockName).c_str(), &lockInfo);
        runs.push_back({lockInfo.st_mtim, Claimed{folder, std::move(*lock)}});
    }
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) {
        return a.first.tv_sec != b.first.tv_sec ? a.first.tv_sec < b.first.tv_sec : a.first.tv_nsec < b.first.tv_nsec;
    });
    for (auto& [started, claimed] : runs) {
        for (TRecoveryCopy& copy : ReadCopies(claimed.Folder)) leftovers->copies_.push_back(std::move(copy));
        leftovers->folders_.push_back(std::move(claimed));
    }
    return leftovers;
}

TLeftoverCopies::~TLeftoverCopies() = default;

void TLeftoverCopies::Discard()
{
    for (const Claimed& claimed : folders_) RemoveFolder(claimed.Folder);
    folders_.clear();
    copies_.clear();
}
