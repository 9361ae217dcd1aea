#include "net/FtpClient.h"

#include "net/ReadableText.h"
#include "net/ReplyParsing.h"
#include "net/ServerAddress.h"

namespace {

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

// A line fit for a message: readable, however the server wrote it.
std::string Quoted(std::string_view line)
{
    return "\"" + ReadableServerText(WithoutLineEnd(line)) + "\"";
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

TFtpClient::Reply TFtpClient::ReadReply()
{
    TTimeOutScope timer(*this);
    return ReadReplyInRunningTimer();
}

TFtpClient::Reply TFtpClient::ReadReplyInRunningTimer()
{
    Reply reply;
    TReplyAssembler assembler;
    for (TReplyState state = TReplyState::NeedMore; state == TReplyState::NeedMore;) {
        std::string line;
        try {
            line = ReadLineInRunningTimer();
        } catch (...) {
            replyOrder_ = TReplyOrder::Lost;
            throw;
        }
        // The server closed: before a first line there is no reply; later, the reply ends here.
        if (line.empty())
            break;
        Report(1, ReadableServerText(Masked(line)));
        state = assembler.Add(line);
        reply.lines.emplace_back(WithoutLineEnd(Masked(line)));
        if (reply.raw.empty()) {
            reply.raw = line;
            reply.line = Masked(line);
        }
        if (state == TReplyState::Invalid)
            reply.fault = "Invalid reply from the server: " + Quoted(reply.line);
        else if (state == TReplyState::TooLong)
            reply.fault = "The server's reply is too long";
    }
    reply.code = reply.Usable() ? assembler.Code() : 0;
    SetLastReply(reply.raw);
    SetReplyNumber(reply.code);
    return reply;
}

void TFtpClient::ReadOwedReplies(std::size_t keep)
{
    while (owedReplies_ > keep) {
        const Reply reply = Required(ReadReply());
        if (!reply.Usable() || !ReplyCodeIn(reply.code, 100, 199))
            --owedReplies_;
    }
}

TFtpClient::Reply TFtpClient::OwedReply()
{
    --owedReplies_;
    return Required(ReadReply());
}

TFtpClient::Reply TFtpClient::Ask(const std::string& command)
{
    ReadOwedReplies();
    Report(8, "Transaction");
    SetReplyNumber(0);
    // Telnet rules on the control connection: a 0xFF in a name must not be read as a Telnet command.
    // The transfer type holds until the next TYPE (or a new log-in), so uploads need not set it each time.
    const bool setsType = command.starts_with("TYPE") || command == "REIN";
    if (setsType)
        dataType_ = TDataType::Unknown;
    try {
        Writeln(TelnetEscaped(command));
    } catch (...) {
        replyOrder_ = TReplyOrder::Lost;
        throw;
    }
    Reply reply = ReadReply();
    if (setsType && command == "TYPE I" && reply.code == 200)
        dataType_ = TDataType::Image;
    return reply;
}

bool TFtpClient::ImageTypeRefused(Reply& refusal)
{
    if (dataType_ == TDataType::Image)
        return false;
    refusal = Exchange("TYPE I");
    return refusal.Refuses(301, 599);
}

std::string TFtpClient::Transaction(const std::string& command)
{
    return Ask(command).line;
}

TFtpClient::Reply TFtpClient::Required(Reply reply)
{
    if (reply.raw.empty())
        throw ESockError("Connection closed by the server");
    return reply;
}

TFtpClient::Reply TFtpClient::Exchange(const std::string& command)
{
    return Required(Ask(command));
}

TFtpClient::Reply TFtpClient::ExchangeSecret(const std::string& command, const std::string& secret)
{
    // A server that quotes the password back must not carry it into status texts or errors.
    AddSecret(secret);
    return Exchange(command);
}

void TFtpClient::DiscardWaitingInput()
{
    // Late lines of an earlier reply fit in one buffer; more is a server flooding the connection, which
    // must not keep the client here.
    ReadOwedReplies();
    std::size_t dropped = 0;
    while (DataAvailable()) {
        dropped += Read(0).size();
        if (dropped > kBufferSize)
            throw FTPException("The server sends more than it was asked for");
    }
}

void TFtpClient::FailLogIn(const std::string& message)
{
    if (OnConnectionFailed)
        OnConnectionFailed(*this);
    throw FTPException(message);
}

void TFtpClient::SetStep(TTransferStep step)
{
    if (step == step_)
        return;
    step_ = step;
    if (OnStep)
        OnStep(step);
}

void TFtpClient::Connect()
{
    ClearCancel();
    if (Connected())
        return;
    step_ = TTransferStep::LookUp;
    if (OnStep)
        OnStep(step_);
    // The passwords of the session stay masked until the next log-in.
    ForgetSecrets();
    owedReplies_ = 0;
    replyOrder_ = TReplyOrder::Known;
    DiscardWaitingInput();
    dataType_ = TDataType::Unknown;
    TSocketConnection::Connect();
    try {
        LogIn();
        if (OnConnect)
            OnConnect(*this);
    } catch (const EAbortError&) {
        // Given up by Abort or the time-out: the server is silent or the user wants out, and a reply
        // may still be on its way, so the connection closes without QUIT.
        TSocketConnection::Disconnect();
        Report(1, "Disconnected");
        throw;
    } catch (...) {
        const TTransferStep failed = step_;
        try {
            Disconnect();
        } catch (...) {
            // The error that ended the log-in is the one to report.
        }
        step_ = failed;
        Report(1, "Disconnected");
        throw;
    }
}

TFtpClient::Reply TFtpClient::ReadGreeting()
{
    // "120 Service ready in nnn minutes" announces the greeting that counts; the wait for it, however
    // many such replies come, has one time-out.
    TTimeOutScope timer(*this);
    Reply greeting;
    do
        greeting = Required(ReadReplyInRunningTimer());
    while (greeting.Usable() && ReplyCodeIn(greeting.code, 100, 199));
    return greeting;
}

void TFtpClient::LogIn()
{
    Reply greeting = ReadGreeting();
    if (greeting.Refuses(401, 599))
        FailLogIn(greeting.Message());
    // Nothing of the log-in goes out before the server is verified.
    if (Security == TFtpSecurity::ExplicitTls)
        SecureControlConnection();
    SetStep(TTransferStep::LogIn);

    if (FWAuthenticate) {
        RequireClean(FWUserID, "firewall user ID");
        Reply reply = Exchange("USER " + FWUserID);
        if (reply.Refuses(401, 599))
            FailLogIn(reply.Message());
        if (reply.code == 331) {
            RequireClean(FWPassword, "firewall password");
            Report(1, "PASS ");
            reply = ExchangeSecret("PASS " + FWPassword, FWPassword);
            if (reply.Refuses(401, 599))
                FailLogIn(reply.Message());
        }
    }

    if ((UserID.empty() || Password.empty()) && OnAuthenticationNeeded) {
        bool handled = false;
        OnAuthenticationNeeded(*this, handled);
    }
    RequireClean(UserID, "user ID");

    Reply reply;
    if (!Proxy.empty()) {
        RequireClean(Host, "host name");
        // The proxy's answer is not judged by its code, but it must be a reply.
        switch (FirewallType) {
        case FTUser: reply = Exchange("USER " + UserID + "@" + Host); break;
        case FtOpen: reply = Exchange("OPEN " + Host); break;
        case FtSite: reply = Exchange("SITE " + Host); break;
        }
        if (!reply.Usable())
            FailLogIn(reply.Message());
    }
    if (Proxy.empty() || FirewallType != FTUser) {
        Report(1, "USER " + UserID);
        reply = Exchange("USER " + UserID);
        if (reply.Refuses(401, 599))
            FailLogIn(reply.Message());
    }
    if (reply.code == 331) {
        RequireClean(Password, "password");
        Report(1, "PASS ");
        reply = ExchangeSecret("PASS " + Password, Password);
        if (reply.Refuses(401, 599))
            FailLogIn(reply.Message());
    }
    if (Security == TFtpSecurity::ExplicitTls)
        ProtectDataConnections();
}

void TFtpClient::PhaseEntered(TSocketPhase phase)
{
    if (phase == TSocketPhase::Resolving)
        SetStep(TTransferStep::LookUp);
    else if (phase == TSocketPhase::Connecting)
        SetStep(TTransferStep::Connect);
}

std::string TFtpClient::TlsHostName() const
{
    return WithoutBrackets(Proxy.empty() ? Host : Proxy);
}

void TFtpClient::SecureControlConnection()
{
    SetStep(TTransferStep::Secure);
    // Level 1, as USER is: the step a progress display names.
    Report(1, "AUTH TLS");
    Reply reply = Exchange("AUTH TLS");
    if (!reply.Usable() || reply.code != 234)
        FailLogIn("The server does not offer TLS (AUTH TLS), so nothing more was sent: " + reply.Message());
    try {
        StartTls(TlsHostName());
    } catch (const EAbortError&) {
        throw;
    } catch (const ESockError& error) {
        FailLogIn(error.what());
    }
    AcceptCertificate(Tls()->PeerCertificate());
}

void TFtpClient::AcceptCertificate(TTlsCertificate certificate)
{
    if (certificate.Problem.empty())
        return;
    const TTrustedServers trusted(TrustedServersPath);
    const int port = (Proxy.empty() ? Port : ProxyPort) & 0xFFFF;
    TUntrustedCertificate question{TlsHostName(), port, std::move(certificate), {}};
    question.PinnedFingerprint = trusted.FingerprintOf(question.Host, port);
    if (trusted.Trusts(question.Host, port, question.Certificate.Fingerprint))
        return;
    // Without a fingerprint there is nothing the user could check or trust. A changed certificate takes
    // the explicit "replace" answer, so a caller that trusts new servers unseen never accepts it.
    const TTrustAnswer accepting =
        question.Changed() ? TTrustAnswer::ReplaceRemembered : TTrustAnswer::TrustAndRemember;
    if (question.Certificate.Fingerprint.empty() || !OnUntrustedCertificate ||
        OnUntrustedCertificate(question) != accepting)
        FailLogIn(CertificateRefusal(question, TrustedServersPath));
    trusted.Remember(question.Host, port, question.Certificate.Fingerprint);
}

void TFtpClient::ProtectDataConnections()
{
    SetStep(TTransferStep::Secure);
    for (const char* command : {"PBSZ 0", "PROT P"}) {
        Reply reply = Exchange(command);
        if (reply.Refuses(300, 599))
            FailLogIn("The server does not protect data connections (" + std::string(command) + "): " + reply.Message());
    }
    SetStep(TTransferStep::LogIn);
}

void TFtpClient::SecureDataConnection(TSocketConnection& data)
{
    data.StartTls(TlsHostName(), this);
    // The session is resumed, so the server is the one verified; a certificate of its own would not be.
    if (data.Tls()->PeerCertificate().Fingerprint != Tls()->PeerCertificate().Fingerprint)
        throw ESockError("The data connection shows another certificate than the server");
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
    Reply reply = Exchange(command);
    if (reply.Refuses(400, 599)) {
        if (ReplyCodeIn(reply.code, 500, 502) && OnUnSupportedFunction)
            OnUnSupportedFunction(*this, type);
        RefuseCommand(type, reply.Message());
        return;
    }
    if (OnSuccess)
        OnSuccess(*this, type);
}

void TFtpClient::ChangeDirectory(const std::string& directory)
{
    SetStep(TTransferStep::Directory);
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
    // Announced, not kept: Step() still names the step a failure happened in.
    if (OnStep)
        OnStep(TTransferStep::Closing);
    Report(1, "QUIT");
    Reply reply;
    try {
        DiscardWaitingInput();
        reply = Ask("QUIT");
    } catch (...) {
        TSocketConnection::Disconnect();
        throw;
    }
    TSocketConnection::Disconnect();
    // A server that closes without answering QUIT has done what was asked.
    if (!reply.raw.empty() && reply.Refuses(301, 599))
        throw FTPException(reply.Message());
}

void TFtpClient::Abort()
{
    {
        std::lock_guard lock(dataConnectionLock_);
        if (dataConnection_)
            dataConnection_->Cancel();
    }
    // The control connection's wait ends too: a silent server must not hold the client.
    Cancel();
}

void TFtpClient::AbortOperation()
{
    HoldCancel();
    Abort();
}
