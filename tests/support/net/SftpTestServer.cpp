#include "support/net/SftpTestServer.h"

#include "support/net/RealFtpServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void MakeHostKey(const std::string& path)
{
    const std::string command = "ssh-keygen -q -t ed25519 -N '' -C tallo-test -f '" + path + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("ssh-keygen could not make a host key");
}

}  // namespace

SftpTestServer::SftpTestServer(std::string workDir) : workDir_(std::move(workDir)), root_(workDir_ + "/root")
{
}

std::unique_ptr<SftpTestServer> SftpTestServer::Start()
{
    std::unique_ptr<SftpTestServer> server(new SftpTestServer(MakeTempDirectory("tallo-sftp-")));
    mkdir(server->root_.c_str(), 0755);
    mkdir((server->root_ + "/upload").c_str(), 0755);
    MakeHostKey(server->workDir_ + "/host_key");
    MakeHostKey(server->workDir_ + "/other_key");

    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("pipe failed");
    server->pid_ = fork();
    if (server->pid_ == 0) {
        dup2(output[1], STDOUT_FILENO);
        setenv("TALLO_TEST_SFTP_PASSWORD", server->password_.c_str(), 1);
        const std::string script = std::string(TALLO_SOURCE_DIR) + "/tests/support/net/sftp_server.py";
        const std::string key = server->workDir_ + "/host_key", log = server->workDir_ + "/log";
        execl("/usr/bin/python3", "python3", script.c_str(), server->root_.c_str(), key.c_str(),
              server->user_.c_str(), log.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    FILE* reader = fdopen(output[0], "r");
    if (!reader || std::fscanf(reader, "%d", &server->port_) != 1)
        throw std::runtime_error("the SFTP test server did not start (is python3-paramiko installed?)");
    std::fclose(reader);
    return server;
}

SftpTestServer::~SftpTestServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    RemoveTree(workDir_);
}

std::string SftpTestServer::ForeignKnownHostsLine() const
{
    std::string key = ReadAll(workDir_ + "/other_key.pub");
    return "[127.0.0.1]:" + std::to_string(port_) + " " + key;
}

std::string SftpTestServer::OwnKnownHostsLine() const
{
    return "[127.0.0.1]:" + std::to_string(port_) + " " + ReadAll(workDir_ + "/host_key.pub");
}

int SftpTestServer::LogInAttempts() const
{
    std::istringstream log(ReadAll(workDir_ + "/log"));
    int attempts = 0;
    for (std::string line; std::getline(log, line);) attempts += line.rfind("auth ", 0) == 0;
    return attempts;
}
