#include "net/FtpClient.h"

#include "net/ReplyParsing.h"

namespace {

bool InRange(int code, int low, int high)
{
    return code >= low && code <= high;
}

TCmdType CommandTypeOf(const std::string& command)
{
    std::string verb = command.substr(0, command.find(' ')) + " ";
    if (verb == "CWD ")
        return ctChangeDirectory;
    if (verb == "DELE ")
        return ctDeleteFile;
    if (verb == "MKD ")
        return ctMakeDirectory;
    if (verb == "RMD ")
        return ctRemoveDirectory;
    return command == "PWD" ? ctPrintWorkingDirectory : ctOtherCommand;
}

}  // namespace

TFtpClient::TFtpClient()
{
    Port = 21;
}

TFtpClient::~TFtpClient() = default;

void TFtpClient::RequireClean(const std::string& value, const char* what)
{
    if (HoldsControlCharacter(value))
        throw FTPException(std::string("The ") + what + " holds a control character");
}

std::string TFtpClient::Transaction(const std::string& command)
{
    std::string reply = TSocketConnection::Transaction(command);
    ReadContinuationLines(reply);
    return reply;
}

void TFtpClient::ReadContinuationLines(const std::string& firstLine)
{
    std::string line = firstLine;
    while (!line.empty() && IsContinuationLine(line)) {
        line = ReadLn();
        if (!line.empty())
            Report(1, line);
    }
}

std::string TFtpClient::Exchange(const std::string& command)
{
    std::string reply = Transaction(command);
    if (reply.empty())
        throw ESockError("Connection closed by the server");
    return reply;
}

std::string TFtpClient::ExchangeSecret(const std::string& command, const std::string& secret)
{
    // A server that quotes the password back must not carry it into status texts or errors.
    AddSecret(secret);
    return Exchange(command);
}

void TFtpClient::DiscardWaitingInput()
{
    while (DataAvailable())
        ClearInput();
}

void TFtpClient::FailLogIn(const std::string& reply)
{
    if (OnConnectionFailed)
        OnConnectionFailed(*this);
    throw FTPException(reply);
}

void TFtpClient::Connect()
{
    ClearCancel();
    if (Connected())
        return;
    // The passwords of the session stay masked until the next log-in.
    ForgetSecrets();
    DiscardWaitingInput();
    TSocketConnection::Connect();
    try {
        LogIn();
        if (OnConnect)
            OnConnect(*this);
    } catch (...) {
        try {
            Disconnect();
        } catch (...) {
            // The error that ended the log-in is the one to report.
        }
        Report(1, "Disconnected");
        throw;
    }
}

void TFtpClient::LogIn()
{
    std::string greeting = ReadLn();
    SetLastReply(greeting);
    if (greeting.empty())
        throw ESockError("Connection closed by the server");
    Report(1, greeting);
    ReadContinuationLines(greeting);
    if (ReplyNumberOf(greeting) > 400) {
        if (OnConnectionFailed)
            OnConnectionFailed(*this);
        throw FTPException(greeting);
    }

    if (FWAuthenticate) {
        RequireClean(FWUserID, "firewall user ID");
        std::string reply = Exchange("USER " + FWUserID);
        if (InRange(ReplyNumber(), 401, 599))
            FailLogIn(reply);
        if (ReplyNumber() == 331) {
            RequireClean(FWPassword, "firewall password");
            Report(1, "PASS ");
            reply = ExchangeSecret("PASS " + FWPassword, FWPassword);
            if (InRange(ReplyNumber(), 401, 599))
                FailLogIn(reply);
        }
    }

    if ((UserID.empty() || Password.empty()) && OnAuthenticationNeeded) {
        bool handled = false;
        OnAuthenticationNeeded(*this, handled);
    }
    RequireClean(UserID, "user ID");

    bool userSentThroughProxy = false;
    if (!Proxy.empty()) {
        RequireClean(Host, "host name");
        switch (FirewallType) {
        case FTUser:
            Exchange("USER " + UserID + "@" + Host);
            userSentThroughProxy = true;
            break;
        case FtOpen:
            Exchange("OPEN " + Host);
            break;
        case FtSite:
            Exchange("SITE " + Host);
            break;
        }
    }
    if (!userSentThroughProxy) {
        Report(1, "USER " + UserID);
        std::string reply = Exchange("USER " + UserID);
        if (InRange(ReplyNumber(), 401, 599))
            FailLogIn(reply);
    }
    if (ReplyNumber() == 331) {
        RequireClean(Password, "password");
        Report(1, "PASS ");
        std::string reply = ExchangeSecret("PASS " + Password, Password);
        if (InRange(ReplyNumber(), 401, 599))
            FailLogIn(reply);
    }
}

void TFtpClient::RefuseCommand(TCmdType type, const std::string& message)
{
    if (!OnFailure)
        throw FTPException(message);
    bool handled = false;
    OnFailure(*this, handled, type);
    if (!handled)
        throw FTPException(message);
}

void TFtpClient::SendCommand(const std::string& command)
{
    TCmdType type = CommandTypeOf(command);
    ClearCancel();
    CheckConnection();
    if (HoldsControlCharacter(command)) {
        RefuseCommand(type, "The command holds a control character");
        return;
    }
    Report(1, command);
    DiscardWaitingInput();
    std::string reply = Exchange(command);
    int code = ReplyNumber();
    if (InRange(code, 400, 599)) {
        if (InRange(code, 500, 502) && OnUnSupportedFunction)
            OnUnSupportedFunction(*this, type);
        RefuseCommand(type, reply);
        return;
    }
    if (OnSuccess)
        OnSuccess(*this, type);
}

void TFtpClient::ChangeDirectory(const std::string& directory)
{
    if (HoldsControlCharacter(directory)) {
        ClearCancel();
        CheckConnection();
        RefuseCommand(ctChangeDirectory, "The directory name holds a control character");
        return;
    }
    SendCommand("CWD " + directory);
}

void TFtpClient::Disconnect()
{
    ClearCancel();
    if (!Connected())
        return;
    Report(1, "QUIT");
    std::string reply;
    try {
        DiscardWaitingInput();
        reply = Transaction("QUIT");
    } catch (...) {
        TSocketConnection::Disconnect();
        throw;
    }
    int code = ReplyNumber();
    TSocketConnection::Disconnect();
    if (InRange(code, 301, 599))
        throw FTPException(reply);
}

void TFtpClient::Abort()
{
    Report(8, "Abort");
    if (dataConnection_)
        dataConnection_->Cancel();
}
