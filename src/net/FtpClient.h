#pragma once
// Client side of FTP (RFC 959) on top of TSocketConnection: logs in (directly or through a proxy or
// firewall), sends single commands with a verdict per command, uploads one local file over a passive or
// active data connection, and logs out. Outcomes come back as events; refusals raise FTPException.
// With Security set to explicit TLS it asks for TLS right after the greeting (never falling back to clear
// text), has the certificate verified or trusted by the user before the password goes out, and protects
// every data connection with TLS as well, resuming the control connection's session.

#include "net/FtpException.h"
#include "net/FtpReply.h"
#include "net/ReadableText.h"
#include "net/SocketConnection.h"
#include "net/TransferStep.h"
#include "net/TrustedServers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// The operation named in OnSuccess, OnFailure and OnUnSupportedFunction.
enum TCmdType : std::uint8_t {
    ctChangeDirectory = 0,
    ctMakeDirectory = 1,
    ctDeleteFile = 2,
    ctRemoveDirectory = 3,
    ctUpload = 9,
    ctOtherCommand = 14,
    ctPrintWorkingDirectory = 15,
};

// One whole reply, for callers that read more than its first line (FEAT, MLST).
struct TFtpAnswer {
    int Code = 0;
    std::string Line;                // the first line, without its line end, passwords masked
    std::vector<std::string> Lines;  // every line, without line ends
};

// How an upload asks for its passive data connection: OneByOne sends STOR once PASV is answered; Ahead
// sends both at once, a round trip less a file, and still judges PASV's reply before STOR's.
enum class TUploadRequest : std::uint8_t { OneByOne, Ahead };

// Plain FTP, or FTP with explicit TLS (AUTH TLS) on the control and data connections.
enum class TFtpSecurity : std::uint8_t { None, ExplicitTls };

// How the real server is named to the proxy in Proxy.
enum TFirewallType : std::uint8_t { FTUser = 0, FtOpen = 1, FtSite = 2 };

class TFtpClient : public TSocketConnection {
public:
    using TFtpEvent = std::function<void(TFtpClient& sender, TCmdType transType)>;
    using TFtpFailureEvent = std::function<void(TFtpClient& sender, bool& handled, TCmdType transType)>;
    using TFtpHandledEvent = std::function<void(TFtpClient& sender, bool& handled)>;

    TFtpClient();
    ~TFtpClient() override;

    // OnConnect (inherited) fires after a successful log-in.
    std::string UserID;
    std::string Password;
    TNotifyEvent OnTransactionStart;
    TNotifyEvent OnTransactionStop;
    TFtpHandledEvent OnAuthenticationNeeded;
    TFtpFailureEvent OnFailure;
    TFtpEvent OnSuccess;
    TFtpEvent OnUnSupportedFunction;
    bool Passive = false;
    TFirewallType FirewallType = FTUser;
    std::string FWUserID;
    std::string FWPassword;
    bool FWAuthenticate = false;
    TFtpSecurity Security = TFtpSecurity::None;
    // Asked on the calling thread when the server's certificate does not verify and is not the one in the
    // trusted servers file; unset, such a certificate is refused.
    std::function<TTrustAnswer(const TUntrustedCertificate&)> OnUntrustedCertificate;
    std::string TrustedServersPath = DefaultTrustedServersPath();
    // Hears each step as the client enters it, so that progress displays need not read status texts.
    std::function<void(TTransferStep)> OnStep;

    // The step the client is in, or failed in: it stays at the failing step after an error.
    TTransferStep Step() const { return step_; }

    // Opens the control connection and logs in; does nothing when already connected.
    void Connect() override;
    // Logs out with QUIT and closes the control connection.
    void Disconnect() override;
    void SendCommand(const std::string& command);
    void ChangeDirectory(const std::string& directory);
    // Stores the local file on the server; an empty remote name means the local file's name.
    void Upload(const std::string& localPath, const std::string& remoteName,
                TUploadRequest request = TUploadRequest::OneByOne);
    // Ends the wait in progress: the data connection's of an upload, and the control connection's.
    void Abort() override;
    // Abort, kept in force for every later exchange until ReleaseCancel: the caller gives up the whole
    // operation, however many commands it still has to send.
    void AbortOperation();
    // One command and its whole reply (continuation lines read); returns the first line.
    std::string Transaction(const std::string& command) override;
    // One command and its whole reply, judged by nobody: no events fire. Refuses a command holding a
    // control character and a server that closed (FTPException, ESockError).
    TFtpAnswer Command(const std::string& command);
    // Runs a command that answers over a data connection (LIST, MLSD, RETR) and hands every piece of
    // the data to sink as it arrives. A refusal, a final reply other than 2xx and a data connection
    // that ends early raise FTPException or the socket layer's errors; no events fire.
    void Retrieve(const std::string& command, const std::function<void(std::string_view)>& sink);
    // Sends the commands at once (refusing them all when one holds a control character); NextAnswer then
    // reads their replies in order, one a call. Replies left unread are read and dropped before the next
    // exchange, so no later command takes one of them for its own.
    void SendCommands(const std::vector<std::string>& commands);
    TFtpAnswer NextAnswer();
    // Sends the command at once, ahead of the replies still owed, then reads those and its own: for a
    // clean-up after a broken transfer, whose final reply some servers never send.
    TFtpAnswer CommandAhead(const std::string& command);
    // False once a wait for a reply was broken off (cancel, time-out): which reply comes next is then
    // unknown, and the connection can carry no further command that must be understood. A fresh
    // log-in makes it true again; an upload given up while its bytes went out keeps it.
    bool RepliesInOrder() const { return replyOrder_ == TReplyOrder::Known; }

protected:
    void SocketConnected() override {}
    void PhaseEntered(TSocketPhase phase) override;

private:
    // One reply as the protocol steps judge it.
    struct Reply {
        std::string raw;    // the first line as received, for parsing; empty when the server closed
        std::string line;   // the same with the session's passwords masked
        int code = 0;       // 100 to 599; 0 when the reply is unusable
        std::string fault;  // why it is unusable (no valid code, too long); empty when usable
        std::vector<std::string> lines;  // every line, masked, without line ends

        bool Usable() const { return fault.empty(); }
        // An unusable reply refuses whatever the step accepts.
        bool Refuses(int low, int high) const { return !Usable() || ReplyCodeIn(code, low, high); }
        // What errors and messages show: the masked line made readable, or the fault.
        std::string Message() const { return Usable() ? ReadableServerText(line) : fault; }
    };

    void SetStep(TTransferStep step);
    void SetDataConnection(std::unique_ptr<TSocketConnection> connection);
    void DropFailedDataConnection();
    void ReceiveData(TSocketConnection& data, const std::function<void(std::string_view)>& sink);
    void LogIn();
    // AUTH TLS, the handshake and the verdict on the certificate; throws unless the server is trusted.
    void SecureControlConnection();
    void AcceptCertificate(TTlsCertificate certificate);
    // PBSZ 0 and PROT P: data connections protected too.
    void ProtectDataConnections();
    // The name the certificate must carry: the host connected to.
    std::string TlsHostName() const;
    void SecureDataConnection(TSocketConnection& data);
    // Reads one whole reply under one time-out, reports its lines and keeps it as the last reply.
    Reply ReadReply();
    Reply ReadReplyInRunningTimer();
    // The greeting that opens the session, after any preliminary (1xx) replies.
    Reply ReadGreeting();
    // Sends a command and reads its reply.
    Reply Ask(const std::string& command);
    // Reads and drops the replies still owed to commands sent ahead, all but the last `keep` (a
    // preliminary 1xx reply owes its final one too).
    void ReadOwedReplies(std::size_t keep = 0);
    // The first owed reply, for the caller to judge.
    Reply OwedReply();
    // Sends TYPE I unless the session is in the image type already; true when the server refused it.
    bool ImageTypeRefused(Reply& refusal);
    // Ask, treating a connection closed by the server as an error.
    Reply Exchange(const std::string& command);
    // The password is masked from here on, for the rest of the session.
    Reply ExchangeSecret(const std::string& command, const std::string& secret);
    static Reply Required(Reply reply);
    void DiscardWaitingInput();
    [[noreturn]] void FailLogIn(const std::string& message);
    // Fires OnFailure for a refused command; raises FTPException(message) unless the handler set handled.
    void RefuseCommand(TCmdType type, const std::string& message);
    // Returns false (upload ended, nothing more to do) when an OnFailure handler handled the refusal.
    bool RefuseUpload(const std::string& message);
    bool PerformUpload(const std::string& localPath, const std::string& remoteName, TUploadRequest request);
    // Opens the data connection (passive) or listens for it (active); false when refused and handled.
    // A command in sentAlong goes out with PASV, its reply left owed.
    bool OpenDataConnection(TSocketConnection& data, const std::string& sentAlong = {});
    // Takes the server's connection to the listening socket (active); false when refused and handled.
    bool AcceptDataConnection(TSocketConnection& data);
    void RequireClean(const std::string& value, const char* what);

    std::unique_ptr<TSocketConnection> dataConnection_;
    // Abort may come from another thread while the data connection is made or freed.
    std::mutex dataConnectionLock_;
    std::recursive_mutex transferLock_;
    bool uploadFailureReported_ = false;
    TTransferStep step_ = TTransferStep::LookUp;
    enum class TDataType : std::uint8_t { Unknown, Image };
    TDataType dataType_ = TDataType::Unknown;
    std::size_t owedReplies_ = 0;
    enum class TReplyOrder : std::uint8_t { Known, Lost };
    TReplyOrder replyOrder_ = TReplyOrder::Known;
};
