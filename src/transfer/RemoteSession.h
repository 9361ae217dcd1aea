#pragma once
// One door to a server for every protocol a profile may name (FTP, FTP with explicit TLS, SFTP): a
// session opened from a profile, kept open between operations, and the few operations a site needs
// (list, stat, download, safe upload, make folder, rename, delete). What happens is told to one listener;
// what fails is raised as ETransferError naming the step, whether trying again may help, and the
// server's own words. A session is driven from one thread at a time (the user-interface thread, or a
// worker of a publish queue); Cancel may be called from any thread and ends the wait in progress.

#include "net/SftpSession.h"
#include "net/TlsSession.h"
#include "net/TrustedServers.h"
#include "net/TransferStep.h"
#include "upload/ConnectionProfiles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

enum class TRemoteKind : std::uint8_t { File, Folder, Link, Other };

struct TRemoteEntry {
    std::string Name;  // the name alone, never "." or ".."
    TRemoteKind Kind = TRemoteKind::File;
    std::optional<std::uint64_t> Size;
    std::optional<std::int64_t> ModifiedUtc;  // seconds since 1970 in UTC, where the server says
};

// How a failure may be met: Transient (a 4xx reply, a reset, a time-out) may succeed when tried again;
// Permanent (a 5xx reply, a missing local file) will not; Cancelled by Cancel; Refused by the user's
// (or the missing terminal's) answer to a trust question, or a changed certificate or host key.
enum class TFailureKind : std::uint8_t { Transient, Permanent, Cancelled, Refused };

class ETransferError : public std::runtime_error {
public:
    ETransferError(TTransferStep step, TFailureKind kind, int replyCode, const std::string& serverWords)
        : std::runtime_error(serverWords), step_(step), kind_(kind), replyCode_(replyCode) {}
    TTransferStep Step() const { return step_; }
    TFailureKind Kind() const { return kind_; }
    int ReplyCode() const { return replyCode_; }  // the FTP reply's code; 0 where there was none

private:
    TTransferStep step_;
    TFailureKind kind_;
    int replyCode_;
};

// How an upload reached its name. Renamed: sent under a temporary name, then renamed over the target.
// RemovedThenRenamed: the server would not rename over an existing file, so the old one was removed
// first. Direct: the server refuses renames, so the bytes went straight to the name.
enum class TReplaceMode : std::uint8_t { Renamed, RemovedThenRenamed, Direct };

struct TPutResult {
    TReplaceMode Mode = TReplaceMode::Renamed;
    std::uint64_t Bytes = 0;
    std::optional<TRemoteEntry> After;  // the file as the server lists it after the upload, where it says
};

// A certificate that does not verify; a changed one (pinned before, different now) also names the pinned
// fingerprint, and only an explicit "replace" answers it.
using TCertificateQuestion = TUntrustedCertificate;

// Told, on the thread that drives the session, what the session does. Every member has a default.
class TTransferListener {
public:
    virtual ~TTransferListener() = default;
    virtual void StepStarted(TTransferStep) {}
    // Bytes of the running download or upload; total 0 when unknown.
    virtual void BytesMoved(std::uint64_t /*done*/, std::uint64_t /*total*/) {}
    virtual TTrustAnswer AskCertificate(const TCertificateQuestion&) { return TTrustAnswer::Refuse; }
    virtual TTrustAnswer AskHostKey(const THostKeyQuestion&) { return TTrustAnswer::Refuse; }
};

// What Put does once the file is in place: Stat fills TPutResult::After (a round trip or two a file);
// Nothing leaves it empty, for a caller that lists the folder afterwards anyway.
enum class TAfterPut : std::uint8_t { Stat, Nothing };

// How Put writes: SafeReplace sends to a temporary name and renames it over the target; Direct stores
// straight under the name, for a caller that must send nothing but the one STOR (an upload to a server
// whose user may store files but not rename them); over SFTP straight to the name as well.
enum class TPutWrite : std::uint8_t { SafeReplace, Direct };

struct TSessionOptions {
    int TimeoutSeconds = 60;  // a wait without progress gives up after this long; 0 never
    // An operation after this long without one first checks that the connection still lives (NOOP, or
    // an SFTP keep-alive), so a server's idle limit costs a reconnection rather than a failure.
    int KeepAliveSeconds = 30;
    TAfterPut AfterPut = TAfterPut::Stat;
    std::string TrustedServersPath;  // empty: the default file
    std::string KnownHostsPath;      // empty: the default file
    TPutWrite PutWrite = TPutWrite::SafeReplace;
};

// Paths name files on the server: one starting with "/" is absolute, any other is relative to the
// session's base folder (the profile's Directory, or the log-in folder when it names none). Names are
// bytes (UTF-8 where the server takes it); a name holding a control character is refused.
class TRemoteSession {
public:
    virtual ~TRemoteSession() = default;

    // Connects, logs in and opens the base folder (OpenRemoteSession does this).
    virtual void Open() = 0;

    virtual std::vector<TRemoteEntry> List(const std::string& folder) = 0;
    // Nothing when the file does not exist.
    virtual std::optional<TRemoteEntry> Stat(const std::string& path) = 0;
    // Byte for byte into a temporary file beside localPath, renamed into place when whole.
    virtual std::uint64_t Download(const std::string& remotePath, const std::string& localPath) = 0;
    // The safe replace: a failed upload leaves the old remote file as it was.
    virtual TPutResult Put(const std::string& localPath, const std::string& remotePath) = 0;
    // With its parents; an existing folder is no error.
    virtual void MakeFolder(const std::string& path) = 0;
    virtual void Rename(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    // Ends the wait in progress (ETransferError, Cancelled); any thread.
    virtual void Cancel() = 0;
    // Says goodbye (QUIT, or the SSH disconnect); the destructor does it too, silently.
    virtual void Close() = 0;
};

// Connects and logs in as the profile's Host line says (its scheme picks the protocol); throws
// ETransferError when it cannot. The listener must outlive the session.
std::unique_ptr<TRemoteSession> OpenRemoteSession(const TConnectionProfile& profile, const TSessionOptions& options,
                                                  TTransferListener& listener);

// The same, not yet connected: for a caller that wants to Cancel the connection and log-in too.
std::unique_ptr<TRemoteSession> MakeRemoteSession(const TConnectionProfile& profile, const TSessionOptions& options,
                                                  TTransferListener& listener);

// True for the temporary names the safe replace uses, so that nothing else takes them for the user's files.
bool IsSafeReplaceTemporaryName(std::string_view name);
