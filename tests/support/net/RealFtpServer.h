#pragma once
// Real FTP servers for the tests: vsftpd (anonymous log-in, uploads into "upload") and pyftpdlib (a user
// with a password), each started as a child process on 127.0.0.1 at a free port with a temporary root,
// and killed when the object goes. A server that cannot start raises std::runtime_error with the reason.
// vsftpd can also listen on ::1, and speak TLS (explicit, required for log-in and data, sessions reused on
// data connections) with a given certificate.

#include <memory>
#include <string>
#include <sys/types.h>

enum class FtpServerKind { Vsftpd, Pyftpdlib };

struct FtpServerOptions {
    std::string Address = "127.0.0.1";  // or "::1" (vsftpd only)
    std::string CertificateFile;        // with KeyFile: TLS required (vsftpd only)
    std::string KeyFile;
    // vsftpd's anonymous user may also rename, delete and make folders (for the remote operations).
    bool AnonymousMayChange = false;
};

class RealFtpServer {
public:
    static std::unique_ptr<RealFtpServer> Start(FtpServerKind kind, const FtpServerOptions& options = {});
    ~RealFtpServer();
    RealFtpServer(const RealFtpServer&) = delete;
    RealFtpServer& operator=(const RealFtpServer&) = delete;

    FtpServerKind Kind() const { return kind_; }
    int Port() const { return port_; }
    // The account that may log in and upload.
    const std::string& User() const { return user_; }
    const std::string& Password() const { return password_; }
    // A writable directory below the log-in directory, as named in CWD, and where it is on disk.
    std::string UploadDirectory() const { return "upload"; }
    std::string UploadPath() const { return root_ + "/upload"; }
    // Stops the server where it is, so a transfer stalls mid-way, and lets it go on (pyftpdlib only:
    // vsftpd serves each connection from a process of its own).
    void Pause();
    void Resume();

private:
    RealFtpServer(FtpServerKind kind, std::string root, FtpServerOptions options);
    std::string VsftpdConfig(int passiveLow, int passiveHigh) const;
    void Launch();
    bool WaitUntilListening();
    std::string Log() const;

    FtpServerKind kind_;
    FtpServerOptions options_;
    std::string root_;      // the server's root, inside workDir_
    std::string workDir_;   // config, logs, the root
    std::string user_;
    std::string password_;
    std::string exitNote_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// A free TCP port on 127.0.0.1 or ::1 (free when asked; the caller binds it soon after).
int FreeLoopbackPort(const std::string& address = "127.0.0.1");
// Connections to the port that are still up on this side (the kernel's table of this network
// namespace): a client that hung up leaves none.
int OpenConnectionsTo(int port);
// True when the machine has the IPv6 loopback address ::1.
bool HasIpv6Loopback();
// Temporary directory; RemoveTree deletes it with everything inside.
std::string MakeTempDirectory(const std::string& prefix);
void RemoveTree(const std::string& path);
