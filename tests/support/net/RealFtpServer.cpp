#include "support/net/RealFtpServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef TALLO_SOURCE_DIR
#error "TALLO_SOURCE_DIR must name the source tree"
#endif

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsftpd = "/usr/sbin/vsftpd";

int PassiveRangeStart()
{
    // A range per run, so parallel test processes rarely meet, and below the ephemeral ports (from 32768),
    // where the client's own sockets would otherwise take the ports a busy server needs.
    static std::mt19937 random(static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(std::random_device{}()));
    return 10000 + static_cast<int>(random() % 450) * 50;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace

namespace {

// The loopback address at a port, IPv4 or IPv6 by its text.
socklen_t LoopbackAddress(const std::string& text, int port, sockaddr_storage& address)
{
    address = {};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (::inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        return sizeof *v6;
    }
    ::inet_pton(AF_INET, text.c_str(), &v4->sin_addr);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(static_cast<std::uint16_t>(port));
    return sizeof *v4;
}

}  // namespace

int OpenConnectionsTo(int port)
{
    // Each line: "sl local_address rem_address st ...", addresses as HEX:PORT, st 01 = established.
    int open = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream lines(table);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const std::size_t colon = remote.rfind(':');
            if (colon != std::string::npos && std::stoi(remote.substr(colon + 1), nullptr, 16) == port && state == "01")
                ++open;
        }
    }
    return open;
}

int FreeLoopbackPort(const std::string& text)
{
    sockaddr_storage address{};
    socklen_t length = LoopbackAddress(text, 0, address);
    int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

bool HasIpv6Loopback()
{
    sockaddr_storage address{};
    const socklen_t length = LoopbackAddress("::1", 0, address);
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

std::string MakeTempDirectory(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary directory");
    return pattern;
}

void RemoveTree(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

RealFtpServer::RealFtpServer(FtpServerKind kind, std::string workDir, FtpServerOptions options)
    : kind_(kind), options_(std::move(options)), workDir_(std::move(workDir))
{
    root_ = workDir_ + "/root";
}

std::unique_ptr<RealFtpServer> RealFtpServer::Start(FtpServerKind kind, const FtpServerOptions& options)
{
    std::string lastLog;
    // The free port may be taken by someone else before the server binds it: try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::unique_ptr<RealFtpServer> server(new RealFtpServer(kind, MakeTempDirectory("tallo-ftp-"), options));
        server->Launch();
        if (server->WaitUntilListening())
            return server;
        lastLog = server->Log();
    }
    throw std::runtime_error(std::string(kind == FtpServerKind::Vsftpd ? "vsftpd" : "pyftpdlib") +
                             " did not start on " + options.Address + ": " + lastLog);
}

void RealFtpServer::Launch()
{
    // The servers drop privileges: the tree must be traversable, the upload folder writable by anyone,
    // and (for vsftpd) the anonymous root itself must not be writable.
    ::chmod(workDir_.c_str(), 0755);
    std::filesystem::create_directories(root_ + "/upload");
    ::chmod(root_.c_str(), 0755);
    ::chmod((root_ + "/upload").c_str(), 0777);
    port_ = FreeLoopbackPort(options_.Address);
    int passiveLow = PassiveRangeStart();
    int passiveHigh = passiveLow + 49;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    if (kind_ == FtpServerKind::Vsftpd) {
        user_ = "anonymous";
        password_ = "tester@example.org";
        std::filesystem::create_directories(workDir_ + "/empty");
        ::chmod((workDir_ + "/empty").c_str(), 0755);
        WriteFile(workDir_ + "/vsftpd.conf", VsftpdConfig(passiveLow, passiveHigh));
        arguments = {kVsftpd, workDir_ + "/vsftpd.conf"};
    } else {
        user_ = "tallo";
        password_ = "pass word 42";
        arguments = {kPython, std::string(TALLO_SOURCE_DIR) + "/tests/support/net/pyftpd_server.py",
                     std::to_string(port_), root_, user_, std::to_string(passiveLow), std::to_string(passiveHigh)};
        environment.push_back("TALLO_TEST_FTP_PASSWORD=" + password_);
    }

    // Everything the child needs is made before fork(): after it, only exec-safe calls.
    std::string logPath = workDir_ + "/server.log";
    int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (log >= 0)
        ::close(log);
}

std::string RealFtpServer::VsftpdConfig(int passiveLow, int passiveHigh) const
{
    std::ostringstream config;
    if (options_.Address.find(':') != std::string::npos)
        config << "listen=NO\nlisten_ipv6=YES\nlisten_address6=" << options_.Address << "\n";
    else
        config << "listen=YES\nlisten_ipv6=NO\nlisten_address=" << options_.Address << "\npasv_address=127.0.0.1\n";
    config << "listen_port=" << port_ << "\n"
           << "background=NO\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
           << "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
           << "anon_umask=022\nanon_root=" << root_ << "\n"
           << "pasv_enable=YES\npasv_min_port=" << passiveLow << "\npasv_max_port=" << passiveHigh << "\n"
           << "port_enable=YES\nconnect_from_port_20=NO\n"
           << "secure_chroot_dir=" << workDir_ << "/empty\n"
           << "xferlog_enable=NO\ndirmessage_enable=NO\nuse_localtime=NO\n";
    if (options_.AnonymousMayChange)
        config << "anon_other_write_enable=YES\nanon_mkdir_write_enable=YES\n";
    if (!options_.CertificateFile.empty())
        config << "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
               << "require_ssl_reuse=YES\nssl_ciphers=HIGH\n"
               << "rsa_cert_file=" << options_.CertificateFile << "\nrsa_private_key_file=" << options_.KeyFile << "\n";
    return config.str();
}

bool RealFtpServer::WaitUntilListening()
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
                exitNote_ = "cannot run the server program; ";
            return false;
        }
        sockaddr_storage address{};
        const socklen_t length = LoopbackAddress(options_.Address, port_, address);
        int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool listening = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (listening)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string RealFtpServer::Log() const
{
    std::ifstream in(workDir_ + "/server.log");
    std::stringstream text;
    text << in.rdbuf();
    std::string log = text.str();
    return exitNote_ + (log.empty() ? "(no output)" : log);
}

void RealFtpServer::Pause()
{
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void RealFtpServer::Resume()
{
    if (pid_ > 0) ::kill(pid_, SIGCONT);
}

RealFtpServer::~RealFtpServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT);  // a paused server could not end on SIGTERM
        ::kill(pid_, SIGTERM);
        int status = 0;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (::waitpid(pid_, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    RemoveTree(workDir_);
}
