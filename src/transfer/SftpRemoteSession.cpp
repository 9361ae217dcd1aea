#include "transfer/SftpRemoteSession.h"

#include "base/FileDescriptor.h"
#include "net/ServerAddress.h"
#include "net/SocketErrors.h"
#include "transfer/LocalDownload.h"
#include "transfer/RemotePaths.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kChunkSize = 64 * 1024;  // every SFTP server takes reads and writes of this size
// A Cancel during an upload lets it stop between two writes and remove its temporary file on the
// connection it still has; only a server silent for longer than this is cut off first.
constexpr std::chrono::milliseconds kStopGrace{3000};
// Reads in flight during a download: a round trip then costs one chunk's wait, not sixteen.
constexpr std::size_t kReadsAhead = 16;

std::uint64_t LocalFileBytes(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

struct AttributesFree {
    void operator()(sftp_attributes attributes) const { sftp_attributes_free(attributes); }
};
using TAttributes = std::unique_ptr<sftp_attributes_struct, AttributesFree>;
struct FileClose {
    void operator()(sftp_file file) const { sftp_close(file); }
};
using TRemoteFile = std::unique_ptr<sftp_file_struct, FileClose>;

std::string SftpWords(int code)
{
    switch (code) {
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH: return "No such file or folder";
    case SSH_FX_PERMISSION_DENIED: return "Permission denied";
    case SSH_FX_WRITE_PROTECT: return "The server's disk is write-protected";
    case SSH_FX_FILE_ALREADY_EXISTS: return "It exists already";
    case SSH_FX_OP_UNSUPPORTED: return "The server does not do this";
    case SSH_FX_CONNECTION_LOST:
    case SSH_FX_NO_CONNECTION: return "The connection was lost";
    default: return "The server reported a failure";
    }
}

[[noreturn]] void Fail(const TSftpConnection& connection, TTransferStep step, const std::string& what)
{
    const int code = sftp_get_error(connection.Sftp);
    const bool lost = !ssh_is_connected(connection.Ssh) || code == SSH_FX_CONNECTION_LOST || code == SSH_FX_NO_CONNECTION;
    throw ETransferError(step, lost ? TFailureKind::Transient : TFailureKind::Permanent, 0,
                         "\"" + what + "\": " + SftpWords(code));
}

bool Missing(const TSftpConnection& connection)
{
    const int code = sftp_get_error(connection.Sftp);
    return code == SSH_FX_NO_SUCH_FILE || code == SSH_FX_NO_SUCH_PATH;
}

TRemoteEntry EntryOf(const sftp_attributes_struct& attributes, std::string name)
{
    TRemoteEntry entry;
    entry.Name = std::move(name);
    switch (attributes.type) {
    case SSH_FILEXFER_TYPE_REGULAR: entry.Kind = TRemoteKind::File; break;
    case SSH_FILEXFER_TYPE_DIRECTORY: entry.Kind = TRemoteKind::Folder; break;
    case SSH_FILEXFER_TYPE_SYMLINK: entry.Kind = TRemoteKind::Link; break;
    default: entry.Kind = TRemoteKind::Other; break;
    }
    if ((attributes.flags & SSH_FILEXFER_ATTR_SIZE) && entry.Kind != TRemoteKind::Folder)
        entry.Size = attributes.size;
    if (attributes.flags & SSH_FILEXFER_ATTR_ACMODTIME)
        entry.ModifiedUtc = attributes.mtime;
    return entry;
}

std::optional<TRemoteEntry> StatOn(const TSftpConnection& connection, const std::string& path)
{
    TAttributes attributes(sftp_stat(connection.Sftp, path.c_str()));
    if (!attributes) {
        if (Missing(connection))
            return std::nullopt;
        Fail(connection, TTransferStep::Send, path);
    }
    return EntryOf(*attributes, RemoteNameOf(path));
}

TFileDescriptor OpenLocal(const std::string& path, std::uint64_t& size)
{
    TFileDescriptor local(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!local.Valid() || ::fstat(local.Get(), &info) != 0)
        throw ETransferError(TTransferStep::Send, TFailureKind::Permanent, 0,
                             "Cannot open file \"" + path + "\". " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw ETransferError(TTransferStep::Send, TFailureKind::Permanent, 0,
                             "Cannot open file \"" + path + "\". Not a regular file");
    size = static_cast<std::uint64_t>(info.st_size);
    return local;
}

// The whole local file under the remote name; only the server's answer to the close says it is stored.
// Between two writes it stops when stopRequested says so.
void Store(TSftpConnection& connection, const std::string& localPath, const std::string& remote,
           const std::function<bool()>& stopRequested)
{
    std::uint64_t total = 0;
    TFileDescriptor local = OpenLocal(localPath, total);
    sftp_file file = sftp_open(connection.Sftp, remote.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!file)
        Fail(connection, TTransferStep::Send, remote);
    std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    std::uint64_t sent = 0;
    bool written = true;
    for (ssize_t got; written && (got = ::read(local.Get(), buffer.get(), kChunkSize)) != 0;) {
        if (stopRequested()) {
            sftp_close(file);
            throw ESftpError(TTransferStep::Send, "Aborted");
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            sftp_close(file);
            throw ETransferError(TTransferStep::Send, TFailureKind::Permanent, 0,
                                 "Cannot read file \"" + localPath + "\". " + std::strerror(error));
        }
        written = sftp_write(file, buffer.get(), static_cast<size_t>(got)) == got;
        sent += static_cast<std::uint64_t>(written ? got : 0);
        connection.Progress(sent, total);
    }
    if (sftp_close(file) != SSH_NO_ERROR || !written)
        Fail(connection, TTransferStep::Send, remote);
}

using TStore = std::function<void(const std::string& remote)>;

// The failure as the server named it, raised once what still had to be done is done.
template <typename TTidyUp>
[[noreturn]] void FailAfter(const TTidyUp& tidyUp, const TSftpConnection& connection, const std::string& path)
{
    try {
        Fail(connection, TTransferStep::Send, path);
    } catch (...) {
        tidyUp();
        throw;
    }
}

struct TPendingRead {
    int Id;
    std::uint64_t Offset;
};

// The whole remote file into local with several reads in flight. A reply shorter than asked (the end
// of the file, or a server that sends less) drops the reads after it and goes on from where it ended.
void ReceiveWhole(const TSftpConnection& connection, sftp_file file, const std::string& path, TLocalDownload& local,
                  std::uint64_t total)
{
    std::deque<TPendingRead> pending;
    std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    // Every read asked for is answered and taken, so that none of them waits in libssh's queue.
    const auto dropPending = [&] {
        for (const TPendingRead& read : pending) {
            sftp_seek64(file, read.Offset);  // which also forgets an end of file seen
            sftp_async_read(file, buffer.get(), kChunkSize, static_cast<std::uint32_t>(read.Id));
        }
        pending.clear();
    };
    std::uint64_t next = 0;
    for (bool ended = false; !ended;) {
        while (pending.size() < kReadsAhead) {
            sftp_seek64(file, next);
            const int id = sftp_async_read_begin(file, kChunkSize);
            if (id < 0)
                FailAfter(dropPending, connection, path);
            pending.push_back({id, next});
            next += kChunkSize;
        }
        const TPendingRead read = pending.front();
        pending.pop_front();
        sftp_seek64(file, read.Offset);
        const int got = sftp_async_read(file, buffer.get(), kChunkSize, static_cast<std::uint32_t>(read.Id));
        if (got < 0)
            FailAfter(dropPending, connection, path);
        try {
            local.Write(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
        } catch (...) {
            dropPending();
            throw;
        }
        connection.Progress(local.Bytes(), total);
        if (static_cast<std::size_t>(got) < kChunkSize) {
            dropPending();
            ended = got == 0;
            next = read.Offset + static_cast<std::uint64_t>(got);
        }
    }
}

// Sends to the temporary name and renames it over the target; straight to the target where no rename can.
TReplaceMode PutSafely(TSftpConnection& connection, const TStore& store, const std::string& temporary,
                       const std::string& target)
{
    try {
        store(temporary);
    } catch (...) {
        if (ssh_is_connected(connection.Ssh))
            sftp_unlink(connection.Sftp, temporary.c_str());
        throw;
    }
    if (sftp_rename(connection.Sftp, temporary.c_str(), target.c_str()) == 0)
        return TReplaceMode::Renamed;
    // Plain SFTP renames only to a free name; without the POSIX extension the old file goes first.
    if (!ssh_is_connected(connection.Ssh))
        Fail(connection, TTransferStep::Send, target);
    if (StatOn(connection, target) && sftp_unlink(connection.Sftp, target.c_str()) == 0 &&
        sftp_rename(connection.Sftp, temporary.c_str(), target.c_str()) == 0)
        return TReplaceMode::RemovedThenRenamed;
    sftp_unlink(connection.Sftp, temporary.c_str());
    store(target);
    return TReplaceMode::Direct;
}

}  // namespace

TSftpRemoteSession::TSftpRemoteSession(const TConnectionProfile& profile, const TServerAddress& address, int port,
                                       const TSessionOptions& options, TTransferListener& listener)
    : target_{address.Host, port, profile.UserID, profile.Password, profile.Directory},
      listener_(listener),
      keepAlive_(std::chrono::seconds(options.KeepAliveSeconds)),
      afterPut_(options.AfterPut),
      putWrite_(options.PutWrite),
      session_(options.KnownHostsPath.empty() ? DefaultKnownHostsPath() : options.KnownHostsPath)
{
    session_.Timeout = options.TimeoutSeconds;
    session_.OnNewHostKey = [this](const THostKeyQuestion& question) { return listener_.AskHostKey(question); };
    session_.OnStep = [this](TTransferStep step) {
        step_ = step;
        listener_.StepStarted(step);
    };
    session_.OnProgress = [this](std::uint64_t done, std::uint64_t total) { listener_.BytesMoved(done, total); };
}

TSftpRemoteSession::~TSftpRemoteSession() = default;

ETransferError TSftpRemoteSession::Classified(std::exception_ptr failure) const
{
    try {
        std::rethrow_exception(failure);
    } catch (const ETransferError& error) {
        return error;
    } catch (const ESftpError& error) {
        if (cancelled_)
            return {error.Step(), TFailureKind::Cancelled, 0, error.what()};
        const std::string words = error.what();
        const bool distrusted = words.find("not trusted") != std::string::npos || words.rfind("WARNING", 0) == 0;
        switch (error.Step()) {
        case TTransferStep::Secure:
            return {error.Step(), distrusted ? TFailureKind::Refused : TFailureKind::Transient, 0, words};
        case TTransferStep::Connect:
            return {error.Step(), TFailureKind::Transient, 0, words};
        default:
            return {error.Step(), TFailureKind::Permanent, 0, words};
        }
    } catch (const EFileError& error) {
        return {TTransferStep::Send, TFailureKind::Permanent, 0, error.what()};
    } catch (const std::exception& error) {
        return {step_, cancelled_ ? TFailureKind::Cancelled : TFailureKind::Transient, 0, error.what()};
    }
}

void TSftpRemoteSession::Connect()
{
    try {
        session_.Open(target_);
    } catch (...) {
        session_.Close();
        throw Classified(std::current_exception());
    }
    lastUse_ = Clock::now();
}

void TSftpRemoteSession::Open()
{
    cancelled_ = false;
    Connect();
}

void TSftpRemoteSession::Run(TTransferStep step, const std::function<void(TSftpConnection&)>& job)
{
    cancelled_ = false;
    bool fresh = false;
    if (session_.IsOpen() && Clock::now() - lastUse_ >= keepAlive_) {
        try {
            session_.Run(step, [](TSftpConnection& connection) {
                TAttributes attributes(sftp_stat(connection.Sftp, "."));
                if (!attributes && !ssh_is_connected(connection.Ssh))
                    throw ESftpError(TTransferStep::Connect, "The connection was lost");
            });
        } catch (const std::exception&) {
            session_.Close();
        }
    }
    if (!session_.IsOpen()) {
        Connect();
        fresh = true;
    }
    for (;;) {
        std::optional<ETransferError> failure;
        try {
            session_.Run(step, [&](TSftpConnection& connection) {
                try {
                    job(connection);
                } catch (const ETransferError& error) {
                    failure = error;
                    throw;
                }
            });
            lastUse_ = Clock::now();
            return;
        } catch (...) {
            ETransferError error = failure && !cancelled_ ? *failure : Classified(std::current_exception());
            if (!failure && error.Kind() != TFailureKind::Cancelled)
                error = ETransferError(step, error.Kind(), 0, error.what());
            const bool dropped = error.Kind() == TFailureKind::Transient && !session_.IsOpen();
            if (!session_.IsOpen())
                session_.Close();
            if (fresh || !dropped)
                throw error;
        }
        Connect();
        fresh = true;
    }
}

std::string TSftpRemoteSession::OnServer(const std::string& path) const
{
    std::string base = target_.Directory;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (!path.empty() && path.front() == '/')
        return path;
    if (base.empty())
        return path.empty() ? "." : path;
    if (path.empty())
        return base;
    return base == "/" ? "/" + path : base + "/" + path;
}

std::vector<TRemoteEntry> TSftpRemoteSession::List(const std::string& folder)
{
    RequireCleanRemotePath(folder);
    const std::string path = OnServer(folder);
    std::vector<TRemoteEntry> entries;
    Run(TTransferStep::Directory, [&](TSftpConnection& connection) {
        entries.clear();
        sftp_dir directory = sftp_opendir(connection.Sftp, path.c_str());
        if (!directory)
            Fail(connection, TTransferStep::Directory, path);
        while (sftp_attributes raw = sftp_readdir(connection.Sftp, directory)) {
            TAttributes attributes(raw);
            const std::string name = attributes->name ? attributes->name : "";
            bool clean = !name.empty() && name != "." && name != "..";
            for (const char c : name)
                clean = clean && static_cast<unsigned char>(c) >= 32 && c != 127;
            if (clean)
                entries.push_back(EntryOf(*attributes, name));
        }
        const bool whole = sftp_dir_eof(directory) == 1;
        sftp_closedir(directory);
        if (!whole)
            Fail(connection, TTransferStep::Directory, path);
    });
    return entries;
}

std::optional<TRemoteEntry> TSftpRemoteSession::Stat(const std::string& path)
{
    RequireCleanRemotePath(path);
    std::optional<TRemoteEntry> entry;
    Run(TTransferStep::Send, [&](TSftpConnection& connection) { entry = StatOn(connection, OnServer(path)); });
    return entry;
}

std::uint64_t TSftpRemoteSession::Download(const std::string& remotePath, const std::string& localPath)
{
    RequireCleanRemotePath(remotePath);
    const std::string path = OnServer(remotePath);
    std::uint64_t bytes = 0;
    Run(TTransferStep::Send, [&](TSftpConnection& connection) {
        TLocalDownload local(localPath);
        TRemoteFile file(sftp_open(connection.Sftp, path.c_str(), O_RDONLY, 0));
        if (!file)
            Fail(connection, TTransferStep::Send, path);
        std::uint64_t total = 0;
        if (TAttributes attributes{sftp_fstat(file.get())}; attributes && (attributes->flags & SSH_FILEXFER_ATTR_SIZE))
            total = attributes->size;
        ReceiveWhole(connection, file.get(), path, local, total);
        local.Commit();
        bytes = local.Bytes();
    });
    return bytes;
}

TPutResult TSftpRemoteSession::Put(const std::string& localPath, const std::string& remotePath)
{
    RequireCleanRemotePath(remotePath);
    const std::string target = OnServer(remotePath);
    const std::string temporary = OnServer(SafeReplaceTemporaryPath(remotePath));
    TPutResult result;
    Run(TTransferStep::Send, [&](TSftpConnection& connection) {
        const TStore store = [&](const std::string& remote) {
            Store(connection, localPath, remote, [this] { return cancelled_.load(); });
            // A Cancel during the last write ends the upload before anything is renamed.
            if (cancelled_)
                throw ESftpError(TTransferStep::Send, "Aborted");
        };
        if (putWrite_ == TPutWrite::Direct) {
            // No temporary file to tidy up after a stop: a direct write is cut off at once, as ever.
            result.Mode = TReplaceMode::Direct;
            Store(connection, localPath, target, [] { return false; });
        } else {
            // Until the rename is decided a Cancel lets the connection live, so that a stop between the
            // last write and the rename still removes the temporary file.
            SetPhase(TPhase::Storing);
            try {
                result.Mode = PutSafely(connection, store, temporary, target);
            } catch (...) {
                SetPhase(TPhase::Other);
                throw;
            }
            SetPhase(TPhase::Other);
        }
        if (afterPut_ == TAfterPut::Nothing) {
            result.Bytes = LocalFileBytes(localPath);
            return;
        }
        result.After = StatOn(connection, target);
        result.Bytes = result.After && result.After->Size ? *result.After->Size : 0;
    });
    return result;
}

void TSftpRemoteSession::MakeFolder(const std::string& path)
{
    RequireCleanRemotePath(path);
    const std::string full = OnServer(path);
    Run(TTransferStep::Directory, [&](TSftpConnection& connection) {
        for (const std::string& folder : FolderChain(full)) {
            const std::optional<TRemoteEntry> there = StatOn(connection, folder);
            if (there && there->Kind == TRemoteKind::Folder)
                continue;
            if (there || sftp_mkdir(connection.Sftp, folder.c_str(), 0755) != 0)
                Fail(connection, TTransferStep::Directory, folder);
        }
    });
}

void TSftpRemoteSession::Rename(const std::string& from, const std::string& to)
{
    RequireCleanRemotePath(from);
    RequireCleanRemotePath(to);
    Run(TTransferStep::Send, [&](TSftpConnection& connection) {
        if (sftp_rename(connection.Sftp, OnServer(from).c_str(), OnServer(to).c_str()) != 0)
            Fail(connection, TTransferStep::Send, from);
    });
}

void TSftpRemoteSession::Remove(const std::string& path)
{
    RequireCleanRemotePath(path);
    Run(TTransferStep::Send, [&](TSftpConnection& connection) {
        if (sftp_unlink(connection.Sftp, OnServer(path).c_str()) != 0)
            Fail(connection, TTransferStep::Send, path);
    });
}

void TSftpRemoteSession::SetPhase(TPhase phase)
{
    std::lock_guard lock(stopLock_);
    phase_ = phase;
}

void TSftpRemoteSession::Cancel()
{
    std::lock_guard lock(stopLock_);
    cancelled_ = true;
    if (phase_ == TPhase::Storing)
        session_.AbortAfter(kStopGrace);
    else
        session_.Abort();
}

void TSftpRemoteSession::Close()
{
    if (!session_.IsOpen())
        return;
    listener_.StepStarted(TTransferStep::Closing);
    session_.Close();
}
