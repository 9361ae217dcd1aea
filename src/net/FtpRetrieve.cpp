// TFtpClient's plain commands and the data connections that bring data in (LIST, MLSD, RETR).
#include "net/FtpClient.h"

#include "net/ReplyParsing.h"

#include <vector>

void TFtpClient::SetDataConnection(std::unique_ptr<TSocketConnection> connection)
{
    std::lock_guard lock(dataConnectionLock_);
    dataConnection_ = std::move(connection);
}

void TFtpClient::DropFailedDataConnection()
{
    // A stalled data connection is the client's time-out too, for whoever reports the failure.
    if (dataConnection_ && dataConnection_->TimedOut())
        MarkTimedOut();
    SetDataConnection(nullptr);
}

TFtpAnswer TFtpClient::Command(const std::string& command)
{
    ClearCancel();
    CheckConnection();
    if (HoldsControlCharacter(command))
        throw FTPException("The command holds a control character");
    DiscardWaitingInput();
    Reply reply = Exchange(command);
    if (!reply.Usable())
        throw FTPException(reply.fault);
    return {reply.code, std::string(WithoutLineEnd(reply.line)), std::move(reply.lines)};
}

void TFtpClient::SendCommands(const std::vector<std::string>& commands)
{
    ClearCancel();
    CheckConnection();
    std::string lines;
    for (const std::string& command : commands) {
        if (HoldsControlCharacter(command))
            throw FTPException("The command holds a control character");
        lines += TelnetEscaped(command) + "\r\n";
    }
    DiscardWaitingInput();
    Report(8, "Transaction");
    try {
        Write(lines);
    } catch (...) {
        replyOrder_ = TReplyOrder::Lost;
        throw;
    }
    owedReplies_ += commands.size();
}

TFtpAnswer TFtpClient::CommandAhead(const std::string& command)
{
    ClearCancel();
    CheckConnection();
    if (HoldsControlCharacter(command))
        throw FTPException("The command holds a control character");
    try {
        Writeln(TelnetEscaped(command));
    } catch (...) {
        replyOrder_ = TReplyOrder::Lost;
        throw;
    }
    ++owedReplies_;
    while (owedReplies_ > 1)
        ReadOwedReplies(owedReplies_ - 1);
    return NextAnswer();
}

TFtpAnswer TFtpClient::NextAnswer()
{
    if (owedReplies_ == 0)
        throw FTPException("No reply is owed");
    Reply reply = OwedReply();
    if (!reply.Usable())
        throw FTPException(reply.fault);
    return {reply.code, std::string(WithoutLineEnd(reply.line)), std::move(reply.lines)};
}

void TFtpClient::Retrieve(const std::string& command, const std::function<void(std::string_view)>& sink)
{
    ClearCancel();
    CheckConnection();
    if (HoldsControlCharacter(command))
        throw FTPException("The command holds a control character");
    if (dataConnection_)
        throw FTPException("A transfer is already in progress");
    std::lock_guard lock(transferLock_);
    try {
        DiscardWaitingInput();
        SetDataConnection(std::make_unique<TSocketConnection>());
        TSocketConnection& data = *dataConnection_;
        data.TimeOut = TimeOut;
        Reply reply;
        if (ImageTypeRefused(reply))
            throw FTPException(reply.Message());
        // Without OnFailure handlers, a refused PASV or PORT raises rather than returning false.
        const auto failure = std::move(OnFailure);
        OnFailure = nullptr;
        bool opened = false;
        try {
            opened = OpenDataConnection(data);
        } catch (...) {
            OnFailure = failure;
            throw;
        }
        OnFailure = failure;
        if (!opened)
            throw FTPException("The data connection was refused");
        reply = Exchange(command);
        if (reply.Refuses(301, 599))
            throw FTPException(reply.Message());
        if (!Passive && !AcceptDataConnection(data))
            throw FTPException("The data connection was refused");
        if (Security == TFtpSecurity::ExplicitTls)
            SecureDataConnection(data);
        ReceiveData(data, sink);
    } catch (...) {
        DropFailedDataConnection();
        throw;
    }
    SetDataConnection(nullptr);
    // Only the server's word says that the data came whole: a broken transfer also ends in a close.
    const Reply finalReply = Required(ReadReply());
    if (!finalReply.Usable() || !ReplyCodeIn(finalReply.code, 200, 299))
        throw FTPException(finalReply.Message());
}

void TFtpClient::ReceiveData(TSocketConnection& data, const std::function<void(std::string_view)>& sink)
{
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        if (CancelRequested())
            throw EAbortError("Transfer aborted");
        const std::size_t got = data.ReadSome(buffer.data(), buffer.size());
        if (got == 0)
            break;
        sink(std::string_view(buffer.data(), got));
    }
    data.RequestCloseSocket();
}
