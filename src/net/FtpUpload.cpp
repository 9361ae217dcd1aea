// TFtpClient::Upload: one local file over a passive or active data connection.
#include "net/FtpClient.h"

#include "base/PathName.h"
#include "net/ReplyParsing.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

std::int64_t LocalFileSize(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw EFileError("Cannot open file \"" + path + "\". Not a regular file");
    return info.st_size;
}

}  // namespace

void TFtpClient::Upload(const std::string& localPath, const std::string& remoteName, TUploadRequest request)
{
    ClearCancel();
    SetStep(TTransferStep::Send);
    CheckConnection();
    // An upload started from a handler while another one runs would free the data connection that the
    // running one is still sending on.
    if (dataConnection_)
        throw FTPException("An upload is already in progress");
    bool succeeded = false;
    uploadFailureReported_ = false;
    try {
        std::lock_guard lock(transferLock_);
        try {
            succeeded = PerformUpload(localPath, remoteName, request);
        } catch (...) {
            DropFailedDataConnection();
            throw;
        }
        SetDataConnection(nullptr);
    } catch (...) {
        bool handled = false;
        if (OnFailure && !uploadFailureReported_)
            OnFailure(*this, handled, ctUpload);
        if (!handled)
            throw;
        return;
    }
    if (succeeded && OnSuccess)
        OnSuccess(*this, ctUpload);
}

bool TFtpClient::RefuseUpload(const std::string& message)
{
    if (!OnFailure)
        throw FTPException(message);
    bool handled = false;
    uploadFailureReported_ = true;
    OnFailure(*this, handled, ctUpload);
    if (!handled)
        throw FTPException(message);
    return false;
}

bool TFtpClient::OpenDataConnection(TSocketConnection& data, const std::string& sentAlong)
{
    // Over IPv6 the extended commands, which carry any family's address; PASV and PORT cannot.
    const bool extended = Family() == AF_INET6;
    if (Passive) {
        const char* passive = extended ? "EPSV" : "PASV";
        Reply reply;
        if (sentAlong.empty()) {
            reply = Exchange(passive);
        } else {
            SendCommands({passive, sentAlong});
            reply = OwedReply();
        }
        if (reply.Refuses(extended ? 400 : 500, 599))
            return RefuseUpload(reply.Message());
        std::optional<int> port = extended ? ExtendedPassivePortOf(reply.raw) : PassivePortOf(reply.raw);
        // The command sent along would wait on the server for a data connection that never comes.
        if (!port && !sentAlong.empty())
            TSocketConnection::Disconnect();
        if (!port)
            throw FTPException(std::string(extended ? "Malformed extended passive mode reply: "
                                                    : "Malformed passive mode reply: ") +
                               std::string(WithoutLineEnd(reply.Message())));
        // Where the control connection went, not a fresh look-up of the name (which may give another
        // server, or name the real server behind a proxy).
        data.Host = PeerAddress();
        data.Port = *port;
        data.Connect();
        return true;
    }
    // Listen only where the server was told to connect: the control connection's own address.
    data.Port = 0;
    data.Listen(LocalAddress());
    Reply reply = Exchange(extended ? "EPRT |2|" + LocalAddress() + "|" + std::to_string(data.LocalPort()) + "|"
                                    : "PORT " + LocalAddressText() + data.LocalPortText());
    if (reply.Refuses(301, 599))
        return RefuseUpload(reply.Message());
    return true;
}

bool TFtpClient::AcceptDataConnection(TSocketConnection& data)
{
    // A server that cannot reach the listening socket says so on the control connection; waiting on
    // for its connection would never end.
    bool serverAnswered = false;
    // Anyone may connect to the listening port; only the server may have the file.
    data.AcceptOnlyFrom = PeerAddress();
    data.StopAcceptingWhen = [this, &serverAnswered] { return serverAnswered = Readable(); };
    int accepted = -1;
    try {
        accepted = data.Accept();
    } catch (const ESockError&) {
        if (!serverAnswered)
            throw;
        return RefuseUpload(OwedReply().Message());
    }
    data.AdoptSocket(accepted);
    return true;
}

bool TFtpClient::PerformUpload(const std::string& localPath, const std::string& remoteName, TUploadRequest request)
{
    DiscardWaitingInput();
    SetDataConnection(std::make_unique<TSocketConnection>());
    TSocketConnection& data = *dataConnection_;
    data.TimeOut = TimeOut;
    if (OnPacketSent)
        data.OnPacketSent = OnPacketSent;
    SetBytesTotal(LocalFileSize(localPath));
    const std::string storeName = remoteName.empty() ? FileNamePart(localPath) : remoteName;
    RequireClean(storeName, "file name");

    // Image type: in the default ASCII type a server may rewrite the page's line ends.
    Reply reply;
    if (ImageTypeRefused(reply))
        return RefuseUpload(reply.Message());
    const bool ahead = request == TUploadRequest::Ahead && Passive;
    if (!OpenDataConnection(data, ahead ? "STOR " + storeName : std::string()))
        return false;

    Report(1, "STOR " + (remoteName.empty() ? localPath : remoteName));
    reply = ahead ? OwedReply() : Exchange("STOR " + storeName);
    if (reply.Refuses(301, 599)) {
        if (ReplyCodeIn(reply.code, 500, 502) && OnUnSupportedFunction)
            OnUnSupportedFunction(*this, ctUpload);
        return RefuseUpload(reply.Message());
    }
    // Accepted: a final reply follows whatever becomes of the data connection.
    ++owedReplies_;
    if (!Passive && !AcceptDataConnection(data))
        return false;
    if (Security == TFtpSecurity::ExplicitTls)
        SecureDataConnection(data);

    if (OnTransactionStart)
        OnTransactionStart(*this);
    if (!CancelRequested() && !TimedOut())
        data.SendFile(localPath);
    if (OnTransactionStop)
        OnTransactionStop(*this);
    // Closing the data connection marks the end of the file; queued data must still arrive.
    data.LingerOff();
    data.RequestCloseSocket();

    if (CancelRequested() || TimedOut()) {
        // The file did not go out whole: that is no success.
        ClearCancel();
        throw EAbortError("Upload aborted");
    }
    if (data.BytesSent() != BytesTotal())
        throw ESockError("The file was not sent whole: " + std::to_string(data.BytesSent()) + " of " +
                         std::to_string(BytesTotal()) + " bytes");
    // Only the server's word that it has the file makes the upload a success.
    Reply finalReply = OwedReply();
    if (!finalReply.Usable() || !ReplyCodeIn(finalReply.code, 200, 299))
        return RefuseUpload(finalReply.Message());
    return true;
}
