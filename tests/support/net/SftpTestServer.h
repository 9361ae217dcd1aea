#pragma once
// A real SFTP server for the tests (paramiko, started as a child process on 127.0.0.1 at a free port with
// a temporary root and an Ed25519 host key made for it), killed when the object goes. It logs every log-in
// attempt, so a test can tell whether a password was sent.

#include <memory>
#include <string>
#include <sys/types.h>

class SftpTestServer {
public:
    static std::unique_ptr<SftpTestServer> Start();
    ~SftpTestServer();
    SftpTestServer(const SftpTestServer&) = delete;
    SftpTestServer& operator=(const SftpTestServer&) = delete;

    int Port() const { return port_; }
    const std::string& User() const { return user_; }
    const std::string& Password() const { return password_; }
    const std::string& Root() const { return root_; }
    // A known-hosts line naming this server with another key than its own.
    std::string ForeignKnownHostsLine() const;
    // One naming it with its own key.
    std::string OwnKnownHostsLine() const;
    int LogInAttempts() const;

private:
    explicit SftpTestServer(std::string workDir);

    std::string workDir_;
    std::string root_;
    std::string user_ = "publisher";
    std::string password_ = "p a$$ \"word\"";
    int port_ = 0;
    pid_t pid_ = -1;
};
