#pragma once
// Recovery copies: the unsaved pages of a run, kept on disk so that a crash or a kill loses no
// typing. Every run has a folder of its own under the recovery folder, locked (flock) for as long as
// the run lives; a folder whose lock nobody holds belongs to a run that ended without cleaning up,
// and its copies are offered at the next start. Folders are 0700 and copies 0600: pages may hold
// anything. A copy is one file, written by the safe save, so it is always whole:
//
//   Tallo recovery copy 1\n
//   caption <bytes>\n<caption>\n
//   file <bytes>\n<full path, empty for a page never saved>\n
//   text <bytes>\n<the page's bytes as a save would write them>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TTextSnapshot;

struct TRecoveryCopy {
    std::string Caption;   // UTF-8
    std::string FileName;  // UTF-8; empty for a page never saved
    std::string Bytes;
};

std::string EncodeRecoveryCopy(const TRecoveryCopy& copy);
// The copy held in a file's bytes, or none when they are not a whole copy.
std::optional<TRecoveryCopy> DecodeRecoveryCopy(std::string_view bytes);

// $XDG_STATE_HOME/tallo/recovery, or ~/.local/state/tallo/recovery; empty when there is no home.
std::string DefaultRecoveryFolder();
// Where in-place saves keep the previous version of a file until it is overwritten (base/FileWrites.h).
std::string InterruptedSaveFolderIn(const std::string& recoveryFolder);

// A file descriptor holding an exclusive flock; the lock goes with the process, even a killed one.
class TFolderLock {
public:
    // Creates the lock file when asked; none when another process holds it or it cannot be opened.
    enum class TCreate { No, Yes };
    static std::optional<TFolderLock> Take(const std::string& lockPath, TCreate create);
    TFolderLock(TFolderLock&& other) noexcept;
    TFolderLock& operator=(TFolderLock&& other) noexcept;
    ~TFolderLock();

private:
    explicit TFolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// This run's folder of copies.
class TRecoverySession {
public:
    // Makes the folders (0700) and locks this run's own; none when the disk refuses.
    static std::unique_ptr<TRecoverySession> Start(const std::string& recoveryFolder);
    ~TRecoverySession();

    const std::string& Folder() const { return folder_; }
    // Writes or replaces a page's copy; throws EFileError and leaves the previous copy as it was.
    void WriteCopy(int page, const std::string& caption, const std::string& fileName,
                   const TTextSnapshot& text) const;
    void RemoveCopy(int page) const;
    // A clean end: the folder and every copy in it go.
    void Finish();

private:
    TRecoverySession(std::string folder, TFolderLock lock) : folder_(std::move(folder)), lock_(std::move(lock)) {}
    std::string CopyPath(int page) const;

    std::string folder_;
    TFolderLock lock_;
};

// The copies that runs which ended without cleaning up have left, claimed by this run (their folders'
// locks held) so that no other start offers them at the same time.
class TLeftoverCopies {
public:
    static std::unique_ptr<TLeftoverCopies> Claim(const std::string& recoveryFolder);
    ~TLeftoverCopies();

    // Oldest run first, pages in the order they were opened. Unreadable or partial files are skipped.
    const std::vector<TRecoveryCopy>& Copies() const { return copies_; }
    // Removes the claimed folders with every copy in them.
    void Discard();

private:
    struct Claimed {
        std::string Folder;
        TFolderLock Lock;
    };
    std::vector<Claimed> folders_;
    std::vector<TRecoveryCopy> copies_;
};
