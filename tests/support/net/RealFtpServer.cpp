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
    // A range per run, so parallel test processes rarely meet.
    static std::mt19937 random(static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(std::random_device{}()));
    return 30000 + static_cast<int>(random() % 600) * 50;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace

int FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
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

RealFtpServer::RealFtpServer(FtpServerKind kind, std::string workDir) : kind_(kind), workDir_(std::move(workDir))
{
    root_ = workDir_ + "/root";
}

std::unique_ptr<RealFtpServer> RealFtpServer::Start(FtpServerKind kind)
{
    std::string lastLog;
    // The free port may be taken by someone else before the server binds it: try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::unique_ptr<RealFtpServer> server(new RealFtpServer(kind, MakeTempDirectory("tallo-ftp-")));
        server->Launch();
        if (server->WaitUntilListening())
            return server;
        lastLog = server->Log();
    }
    throw std::runtime_error(std::string(kind == FtpServerKind::Vsftpd ? "vsftpd" : "pyftpdlib") +
                             " did not start on 127.0.0.1: " + lastLog);
}

void RealFtpServer::Launch()
{
    // The servers drop privileges: the tree must be traversable, the upload folder writable by anyone,
    // and (for vsftpd) the anonymous root itself must not be writable.
    ::chmod(workDir_.c_str(), 0755);
    std::filesystem::create_directories(root_ + "/upload");
    ::chmod(root_.c_str(), 0755);
    ::chmod((root_ + "/upload").c_str(), 0777);
    port_ = FreeLoopbackPort();
    int passiveLow = PassiveRangeStart();
    int passiveHigh = passiveLow + 49;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    if (kind_ == FtpServerKind::Vsftpd) {
        user_ = "anonymous";
        password_ = "tester@example.org";
        std::filesystem::create_directories(workDir_ + "/empty");
        ::chmod((workDir_ + "/empty").c_str(), 0755);
        std::ostringstream config;
        config << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << port_ << "\n"
               << "background=NO\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
               << "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
               << "anon_umask=022\nanon_root=" << root_ << "\n"
               << "pasv_enable=YES\npasv_address=127.0.0.1\npasv_min_port=" << passiveLow
               << "\npasv_max_port=" << passiveHigh << "\n"
               << "port_enable=YES\nconnect_from_port_20=NO\n"
               << "secure_chroot_dir=" << workDir_ << "/empty\n"
               << "xferlog_enable=NO\ndirmessage_enable=NO\nuse_localtime=NO\n";
        WriteFile(workDir_ + "/vsftpd.conf", config.str());
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
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool listening = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
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

RealFtpServer::~RealFtpServer()
{
    if (pid_ > 0) {
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
