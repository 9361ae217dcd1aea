#include "transfer/FtpRemoteSession.h"

#include "net/FtpClient.h"
#include "net/ReplyParsing.h"
#include "net/ServerAddress.h"
#include "base/FileDescriptor.h"
#include "transfer/FtpListing.h"
#include "transfer/LocalDownload.h"
#include "transfer/RemotePaths.h"

#include <charconv>
#include <ctime>
#include <sys/mman.h>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;
// A listing larger than this is a server that does not stop, not a folder.
constexpr std::size_t kMaxListingBytes = 256u << 20;
// A cancelled upload's temporary file is removed only if the server answers within this.
constexpr int kCleanUpMilliseconds = 3000;
// From this size on, a session that does not know yet whether the server renames tries it with an
// empty file first: where it does not, the file would go up twice (and stay behind under its
// temporary name where deleting is refused too).
constexpr std::uint64_t kTryRenameFirstFrom = 4u << 20;

bool Refused(int code)
{
    return code < 200 || code >= 400;
}

std::uint64_t LocalSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::string WithArgument(const char* command, const std::string& argument)
{
    return argument.empty() ? command : std::string(command) + " " + argument;
}

}  // namespace

TFtpRemoteSession::TFtpRemoteSession(const TConnectionProfile& profile, const TServerAddress& address, int port,
                                     const TSessionOptions& options, TTransferListener& listener)
    : profile_(profile),
      host_(address.Host),
      port_(port),
      secure_(address.Protocol == TTransferProtocol::Ftps),
      options_(options),
      listener_(listener)
{
}

TFtpRemoteSession::~TFtpRemoteSession()
{
    try {
        Close();
    } catch (...) {
        // Goodbye is a courtesy; the connection closes either way.
    }
}

void TFtpRemoteSession::Announce(TTransferStep step)
{
    if (announced_ == step)
        return;
    announced_ = step;
    listener_.StepStarted(step);
}

void TFtpRemoteSession::Open()
{
    cancelled_ = false;
    try {
        Connect();
    } catch (...) {
        throw Classified(client_ ? client_->Step() : TTransferStep::LookUp, std::current_exception());
    }
}

void TFtpRemoteSession::Connect()
{
    auto client = std::make_unique<TFtpClient>();
    client->UserID = profile_.UserID;
    client->Password = profile_.Password;
    client->Host = host_;
    client->Port = port_;
    client->Passive = profile_.Passive;
    client->Security = secure_ ? TFtpSecurity::ExplicitTls : TFtpSecurity::None;
    if (!options_.TrustedServersPath.empty())
        client->TrustedServersPath = options_.TrustedServersPath;
    client->TimeOut = options_.TimeoutSeconds * 1000;
    client->OnStep = [this](TTransferStep step) { Announce(step); };
    client->OnUntrustedCertificate = [this](const TUntrustedCertificate& question) {
        return listener_.AskCertificate(question);
    };
    client->OnPacketSent = [this](TSocketConnection& data) {
        listener_.BytesMoved(static_cast<std::uint64_t>(data.BytesSent()), static_cast<std::uint64_t>(client_->BytesTotal()));
    };
    {
        std::lock_guard lock(clientLock_);
        client_ = std::move(client);
    }
    if (cancelled_)
        throw EAbortError("Connection Canceled");
    announced_.reset();
    client_->Connect();
    try {
        ReadFeatures();
        if (!profile_.Directory.empty()) {
            Announce(TTransferStep::Directory);
            client_->ChangeDirectory(profile_.Directory);
        }
    } catch (...) {
        const TTransferStep failed = client_->Step();
        const int code = client_->ReplyNumber();
        const ETransferError error = Classified(failed, std::current_exception());
        try {
            client_->Disconnect();
        } catch (...) {
            // The refusal is the error to report, not a failed log-out after it.
        }
        throw ETransferError(failed, error.Kind(), code, error.what());
    }
    lastUse_ = Clock::now();
}

void TFtpRemoteSession::ReadFeatures()
{
    features_ = {};
    const TFtpAnswer answer = client_->Command("FEAT");
    if (answer.Code == 211) {
        for (std::size_t i = 1; i + 1 < answer.Lines.size(); ++i) {
            std::string feature = answer.Lines[i];
            for (char& c : feature)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const std::size_t start = feature.find_first_not_of(' ');
            const std::string_view name = start == std::string::npos ? "" : std::string_view(feature).substr(start);
            features_.Mlst = features_.Mlst || name.substr(0, 4) == "MLST";
            features_.Utf8 = features_.Utf8 || name == "UTF8";
        }
    }
    if (features_.Utf8)
        client_->Command("OPTS UTF8 ON");
    // Sizes are counted in bytes only in the image type.
    client_->Command("TYPE I");
}

ETransferError TFtpRemoteSession::Classified(TTransferStep step, std::exception_ptr failure) const
{
    try {
        std::rethrow_exception(failure);
    } catch (const ETransferError& error) {
        return error;
    } catch (const std::exception& error) {
        const std::string words(WithoutLineEnd(error.what()));
        if (cancelled_)
            return {step, TFailureKind::Cancelled, 0, words};
        if (dynamic_cast<const EFileError*>(&error))
            return {step, TFailureKind::Permanent, 0, words};
        if (dynamic_cast<const FTPException*>(&error)) {
            // The refused reply is quoted whole; the client's last reply may be a later QUIT's.
            int code = ReplyCodeOf(words);
            if (code == 0 && client_ && words.empty())
                code = client_->ReplyNumber();
            if (step == TTransferStep::Secure && code < 400)
                return {step, TFailureKind::Refused, code, words};
            return {step, ReplyCodeIn(code, 400, 499) ? TFailureKind::Transient : TFailureKind::Permanent, code, words};
        }
        return {step, TFailureKind::Transient, 0, words};  // a reset, a closed connection, a time-out
    }
}

bool TFtpRemoteSession::StillThere()
{
    try {
        return !Refused(client_->Command("NOOP").Code);
    } catch (const std::exception&) {
        return false;
    }
}

void TFtpRemoteSession::Run(TTransferStep step, const std::function<void()>& operation)
{
    // A cancel holds until the operation it ended is over; this one starts afresh.
    {
        std::lock_guard lock(clientLock_);
        cancelled_ = false;
        if (client_)
            client_->ReleaseCancel();
    }
    bool fresh = false;
    try {
        if (!client_ || !client_->Connected() || (Clock::now() - lastUse_ >= std::chrono::seconds(options_.KeepAliveSeconds) && !StillThere())) {
            Connect();
            fresh = true;
        }
    } catch (...) {
        throw Classified(client_ ? client_->Step() : TTransferStep::LookUp, std::current_exception());
    }
    for (;;) {
        Announce(step);
        try {
            operation();
            lastUse_ = Clock::now();
            return;
        } catch (...) {
            const ETransferError error = Classified(step, std::current_exception());
            const bool dropped = error.Kind() == TFailureKind::Transient &&
                                 (error.ReplyCode() == 421 || error.ReplyCode() == 0 || !client_->Connected());
            if (error.Kind() == TFailureKind::Cancelled || dropped) {
                // Whatever the server still sends belongs to the operation given up on.
                std::lock_guard lock(clientLock_);
                client_.reset();
            }
            if (fresh || !dropped)
                throw error;
        }
        try {
            Connect();
            fresh = true;
        } catch (...) {
            throw Classified(client_ ? client_->Step() : TTransferStep::LookUp, std::current_exception());
        }
    }
}

int TFtpRemoteSession::Require(const std::string& command, int highestAccepted)
{
    const TFtpAnswer answer = client_->Command(command);
    if (answer.Code < 200 || answer.Code > highestAccepted)
        throw FTPException(answer.Line);
    return answer.Code;
}

std::vector<TRemoteEntry> TFtpRemoteSession::ListOnce(const std::string& folder)
{
    std::string listing;
    client_->Retrieve(WithArgument(features_.Mlst ? "MLSD" : "LIST", folder), [&](std::string_view piece) {
        if (listing.size() + piece.size() > kMaxListingBytes)
            throw FTPException("The server's listing does not end");
        listing.append(piece);
    });
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    std::vector<TRemoteEntry> entries;
    for (std::size_t at = 0; at < listing.size();) {
        const std::size_t end = std::min(listing.find('\n', at), listing.size());
        const std::string_view line = std::string_view(listing).substr(at, end - at);
        at = end + 1;
        std::optional<TRemoteEntry> entry = features_.Mlst ? ParseMlsdLine(line) : ParseListLine(line, now);
        // A name no command could carry is no name this program can work with.
        if (entry && !HoldsControlCharacter(entry->Name) && entry->Name.find('/') == std::string::npos)
            entries.push_back(std::move(*entry));
    }
    return entries;
}

std::vector<TRemoteEntry> TFtpRemoteSession::List(const std::string& folder)
{
    RequireCleanRemotePath(folder);
    std::vector<TRemoteEntry> entries;
    Run(TTransferStep::Directory, [&] { entries = ListOnce(folder); });
    return entries;
}

std::optional<TRemoteEntry> TFtpRemoteSession::StatOnce(const std::string& path)
{
    const std::string name = RemoteNameOf(path);
    if (features_.Mlst) {
        const TFtpAnswer answer = client_->Command("MLST " + path);
        if (ReplyCodeIn(answer.Code, 500, 599))
            return std::nullopt;
        if (Refused(answer.Code))
            throw FTPException(answer.Line);
        for (const std::string& line : answer.Lines)
            if (!line.empty() && line.front() == ' ')
                if (std::optional<TRemoteEntry> entry = ParseMlsdLine(line)) {
                    entry->Name = name;
                    return entry;
                }
        return std::nullopt;
    }
    const TFtpAnswer size = client_->Command("SIZE " + path);
    if (size.Code == 213) {
        TRemoteEntry entry;
        entry.Name = name;
        std::uint64_t bytes = 0;
        const std::string_view digits = std::string_view(size.Line).substr(std::min<std::size_t>(4, size.Line.size()));
        if (std::from_chars(digits.data(), digits.data() + digits.size(), bytes).ec == std::errc())
            entry.Size = bytes;
        const TFtpAnswer time = client_->Command("MDTM " + path);
        if (time.Code == 213 && time.Line.size() > 4)
            entry.ModifiedUtc = ParseFtpTimestamp(std::string_view(time.Line).substr(4));
        return entry;
    }
    if (ReplyCodeIn(size.Code, 400, 499) && size.Code != 450)
        throw FTPException(size.Line);
    // No size: a folder, a missing file, or a server without SIZE; its folder's listing tells.
    std::vector<TRemoteEntry> siblings;
    try {
        siblings = ListOnce(RemoteFolderOf(path));
    } catch (const FTPException&) {
        if (ReplyCodeIn(client_->ReplyNumber(), 500, 599))
            return std::nullopt;
        throw;
    }
    for (TRemoteEntry& entry : siblings)
        if (entry.Name == name)
            return std::move(entry);
    return std::nullopt;
}

std::optional<TRemoteEntry> TFtpRemoteSession::Stat(const std::string& path)
{
    RequireCleanRemotePath(path);
    std::optional<TRemoteEntry> entry;
    Run(TTransferStep::Send, [&] { entry = StatOnce(path); });
    return entry;
}

std::uint64_t TFtpRemoteSession::Download(const std::string& remotePath, const std::string& localPath)
{
    RequireCleanRemotePath(remotePath);
    std::uint64_t bytes = 0;
    Run(TTransferStep::Send, [&] {
        TLocalDownload local(localPath);
        std::uint64_t total = 0;
        if (const TFtpAnswer size = client_->Command("SIZE " + remotePath); size.Code == 213 && size.Line.size() > 4)
            std::from_chars(size.Line.data() + 4, size.Line.data() + size.Line.size(), total);
        client_->Retrieve("RETR " + remotePath, [&](std::string_view piece) {
            local.Write(piece);
            listener_.BytesMoved(local.Bytes(), total);
        });
        local.Commit();
        bytes = local.Bytes();
    });
    return bytes;
}

bool TFtpRemoteSession::TryRename(const std::string& from, const std::string& to, TRenameRefusal& refusal)
{
    // Both at once, a round trip less; RNFR's reply is judged first, and a sound server answers an RNTO
    // after a refused RNFR with 503, renaming nothing.
    client_->SendCommands({"RNFR " + from, "RNTO " + to});
    TFtpAnswer answer = client_->NextAnswer();
    refusal = TRenameRefusal::From;
    if (answer.Code == 350) {
        answer = client_->NextAnswer();
        refusal = TRenameRefusal::To;
        if (!Refused(answer.Code))
            return true;
    }
    if (!ReplyCodeIn(answer.Code, 500, 599))
        throw FTPException(answer.Line);
    return false;
}

void TFtpRemoteSession::RemoveQuietly(const std::string& path)
{
    try {
        client_->Command("DELE " + path);
    } catch (const std::exception&) {
        // Left behind: IsSafeReplaceTemporaryName keeps it from being taken for a page.
    }
}

void TFtpRemoteSession::RemoveAfterCancel(const std::string& temporary)
{
    // Only where the server's replies can still be told apart; the wait is short, and another Cancel
    // ends it too.
    {
        std::lock_guard lock(clientLock_);
        if (!client_->Connected() || !client_->RepliesInOrder())
            return;
        client_->ReleaseCancel();
    }
    const int timeout = client_->TimeOut;
    client_->TimeOut = timeout > 0 ? std::min(timeout, kCleanUpMilliseconds) : kCleanUpMilliseconds;
    try {
        client_->CommandAhead("DELE " + temporary);
    } catch (const std::exception&) {
        // Best effort: the cancel is what the caller hears of.
    }
    client_->TimeOut = timeout;
}

bool TFtpRemoteSession::RenamesAnEmptyFile(const std::string& remotePath)
{
    const TFileDescriptor empty(::memfd_create("tallo-empty", MFD_CLOEXEC));
    if (!empty.Valid())
        return true;  // nothing to try it with: the upload itself finds out
    const std::string sent = SafeReplaceTemporaryPath(remotePath);
    const std::string renamed = SafeReplaceTemporaryPath(remotePath);
    try {
        client_->Upload("/proc/self/fd/" + std::to_string(empty.Get()), sent, TUploadRequest::Ahead);
    } catch (...) {
        if (Classified(TTransferStep::Send, std::current_exception()).Kind() != TFailureKind::Permanent)
            throw;
        return true;  // refused here: the upload itself finds out
    }
    TRenameRefusal refusal = TRenameRefusal::From;
    const bool renames = TryRename(sent, renamed, refusal);
    RemoveQuietly(renames ? renamed : sent);
    return renames;
}

TReplaceMode TFtpRemoteSession::PutOnce(const std::string& localPath, const std::string& remotePath)
{
    if (options_.PutWrite == TPutWrite::Direct) {
        client_->Upload(localPath, remotePath);
        return TReplaceMode::Direct;
    }
    if (learnedMode_ == TReplaceMode::Direct) {
        client_->Upload(localPath, remotePath, TUploadRequest::Ahead);
        return TReplaceMode::Direct;
    }
    if (!learnedMode_ && LocalSize(localPath) >= kTryRenameFirstFrom && !RenamesAnEmptyFile(remotePath)) {
        learnedMode_ = TReplaceMode::Direct;
        client_->Upload(localPath, remotePath, TUploadRequest::Ahead);
        return TReplaceMode::Direct;
    }
    const std::string temporary = SafeReplaceTemporaryPath(remotePath);
    try {
        client_->Upload(localPath, temporary, TUploadRequest::Ahead);
        TRenameRefusal refusal = TRenameRefusal::From;
        if (TryRename(temporary, remotePath, refusal)) {
            learnedMode_ = TReplaceMode::Renamed;
            return TReplaceMode::Renamed;
        }
        // Refused at RNTO: some servers will not rename over an existing file.
        if (refusal == TRenameRefusal::To && StatOnce(remotePath) &&
            !Refused(client_->Command("DELE " + remotePath).Code) && TryRename(temporary, remotePath, refusal))
            return TReplaceMode::RemovedThenRenamed;
    } catch (...) {
        const ETransferError error = Classified(TTransferStep::Send, std::current_exception());
        if (error.Kind() == TFailureKind::Cancelled)
            RemoveAfterCancel(temporary);
        else if (client_->Connected())
            RemoveQuietly(temporary);
        throw error;
    }
    // The server renames nothing: the bytes go straight to the name, for this and every later upload.
    RemoveQuietly(temporary);
    learnedMode_ = TReplaceMode::Direct;
    client_->Upload(localPath, remotePath, TUploadRequest::Ahead);
    return TReplaceMode::Direct;
}

TPutResult TFtpRemoteSession::Put(const std::string& localPath, const std::string& remotePath)
{
    RequireCleanRemotePath(remotePath);
    TPutResult result;
    Run(TTransferStep::Send, [&] {
        result.Mode = PutOnce(localPath, remotePath);
        result.Bytes = LocalSize(localPath);
        listener_.BytesMoved(result.Bytes, result.Bytes);
        if (options_.AfterPut == TAfterPut::Nothing)
            return;
        try {
            result.After = StatOnce(remotePath);
        } catch (const std::exception&) {
            // The upload stands; only what the server says about it afterwards is missing.
            if (cancelled_)
                throw;
        }
    });
    return result;
}

void TFtpRemoteSession::MakeFolder(const std::string& path)
{
    RequireCleanRemotePath(path);
    Run(TTransferStep::Directory, [&] {
        std::string refusal;
        for (const std::string& folder : FolderChain(path)) {
            const TFtpAnswer answer = client_->Command("MKD " + folder);
            refusal = Refused(answer.Code) ? answer.Line : std::string();
            if (ReplyCodeIn(answer.Code, 400, 499) || answer.Code == 421)
                throw FTPException(answer.Line);
        }
        // A folder that exists already is refused like one that cannot be made: the server shows which.
        if (!refusal.empty()) {
            const std::optional<TRemoteEntry> made = StatOnce(path);
            if (!made || made->Kind != TRemoteKind::Folder)
                throw ETransferError(TTransferStep::Directory, TFailureKind::Permanent, ReplyCodeOf(refusal), refusal);
        }
    });
}

void TFtpRemoteSession::Rename(const std::string& from, const std::string& to)
{
    RequireCleanRemotePath(from);
    RequireCleanRemotePath(to);
    Run(TTransferStep::Send, [&] {
        TRenameRefusal refusal = TRenameRefusal::From;
        if (!TryRename(from, to, refusal))
            throw FTPException(client_->LastReply());
    });
}

void TFtpRemoteSession::Remove(const std::string& path)
{
    RequireCleanRemotePath(path);
    Run(TTransferStep::Send, [&] { Require("DELE " + path); });
}

void TFtpRemoteSession::Cancel()
{
    std::lock_guard lock(clientLock_);
    cancelled_ = true;
    if (client_)
        client_->AbortOperation();
}

void TFtpRemoteSession::Close()
{
    if (!client_ || !client_->Connected())
        return;
    if (cancelled_) {
        // The user wants out: a silent server must not hold the close for its QUIT reply.
        std::lock_guard lock(clientLock_);
        client_.reset();
        return;
    }
    Announce(TTransferStep::Closing);
    try {
        client_->Disconnect();
    } catch (...) {
        throw Classified(TTransferStep::Closing, std::current_exception());
    }
}
