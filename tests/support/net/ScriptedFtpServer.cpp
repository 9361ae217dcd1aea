#include "support/net/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kIoTimeoutMs = 10000;

int ListenOnLoopback(int& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
        throw std::runtime_error("scripted server cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool WaitReadable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, kIoTimeoutMs) > 0;
}

int AcceptOne(int listener)
{
    if (!WaitReadable(listener))
        return -1;
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

std::string Replaced(std::string text, const std::string& key, const std::string& value)
{
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

ScriptedReply Reply(std::string text, ServerAction action = ServerAction::None, std::string after = {})
{
    ScriptedReply reply{{std::move(text)}, action, {}};
    if (!after.empty())
        reply.after.push_back(std::move(after));
    return reply;
}

}  // namespace

ScriptedFtpServer::ScriptedFtpServer()
{
    listener_ = ListenOnLoopback(port_);
    greeting_ = Reply("220 Scripted server ready\r\n");
    replies_["USER"] = {Reply("331 Password required\r\n")};
    replies_["PASS"] = {Reply("230 Logged in\r\n")};
    replies_["TYPE"] = {Reply("200 Type set to I\r\n")};
    replies_["CWD"] = {Reply("250 Directory changed\r\n")};
    replies_["PASV"] = {Reply("227 Entering Passive Mode (127,0,0,1,{hi},{lo}).\r\n", ServerAction::OpenPassive)};
    replies_["PORT"] = {Reply("200 PORT command successful\r\n")};
    replies_["STOR"] = {Reply("150 Opening data connection\r\n", ServerAction::ReceiveUpload, "226 Transfer complete\r\n")};
    replies_["QUIT"] = {Reply("221 Goodbye\r\n", ServerAction::CloseControl)};
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    ::shutdown(listener_, SHUT_RDWR);
    Hangup();
    if (thread_.joinable())
        thread_.join();
    ::close(listener_);
    if (passiveListener_ >= 0)
        ::close(passiveListener_);
}

void ScriptedFtpServer::On(const std::string& verb, ScriptedReply reply)
{
    auto& queue = replies_[verb];
    // The first call for a verb replaces the default.
    if (customized_.insert(verb).second)
        queue.clear();
    queue.push_back(std::move(reply));
}

void ScriptedFtpServer::Start(int sessions)
{
    thread_ = std::thread([this, sessions] { Serve(sessions); });
}

void ScriptedFtpServer::WaitUntilDone()
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void ScriptedFtpServer::Hangup()
{
    for (const std::atomic<int>* fd : {&control_, &heldData_})
        if (int socket = fd->load(); socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
}

void ScriptedFtpServer::Repeat(int control, const ScriptedReply& reply)
{
    for (;;) {
        for (const std::string& chunk : reply.chunks)
            if (::send(control, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0)
                return;
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
    }
}

std::vector<std::string> ScriptedFtpServer::Transcript()
{
    std::lock_guard lock(mutex_);
    return transcript_;
}

std::string ScriptedFtpServer::ReceivedData()
{
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::size_t> ScriptedFtpServer::UploadSizes()
{
    std::lock_guard lock(mutex_);
    return uploadSizes_;
}

void ScriptedFtpServer::SendChunks(int control, const std::vector<std::string>& chunks, const std::string& passivePort)
{
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        std::string chunk = chunks[i];
        if (!passivePort.empty()) {
            int port = std::stoi(passivePort);
            chunk = Replaced(Replaced(chunk, "{hi}", std::to_string(port >> 8)), "{lo}", std::to_string(port & 0xFF));
        }
        ::send(control, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (i + 1 < chunks.size())
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

void ScriptedFtpServer::Serve(int sessions)
{
    for (int served = 0; served < sessions; ++served) {
        const int control = AcceptOne(listener_);
        if (control < 0)
            break;
        ServeSession(control);
    }
    done_ = true;
}

void ScriptedFtpServer::ServeSession(int control)
{
    control_ = control;
    int one = 1;
    ::setsockopt(control, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (greeting_.action == ServerAction::Repeat)
        Repeat(control, greeting_);
    else
        SendChunks(control, greeting_.chunks);
    bool open = greeting_.action != ServerAction::CloseControl;
    std::string pending;
    char buffer[4096];
    while (open && WaitReadable(control)) {
        ssize_t n = ::recv(control, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; open && (end = pending.find("\r\n")) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            {
                std::lock_guard lock(mutex_);
                transcript_.push_back(line);
            }
            std::string verb = line.substr(0, line.find(' '));
            auto found = replies_.find(verb);
            ScriptedReply reply = Reply("200 OK\r\n");
            if (found != replies_.end() && !found->second.empty()) {
                std::size_t& turn = used_[verb];
                reply = found->second[std::min(turn, found->second.size() - 1)];
                ++turn;
            }
            std::string passivePort;
            if (reply.action == ServerAction::OpenPassive) {
                int port = 0;
                if (passiveListener_ >= 0)
                    ::close(passiveListener_);
                passiveListener_ = ListenOnLoopback(port);
                passivePort = std::to_string(port);
            }
            if (verb == "PORT") {
                std::vector<int> numbers;
                std::string argument = line.substr(5) + ",";
                for (std::size_t start = 0, comma; (comma = argument.find(',', start)) != std::string::npos; start = comma + 1)
                    numbers.push_back(std::atoi(argument.substr(start, comma - start).c_str()));
                if (numbers.size() == 6) {
                    activeAddress_ = std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
                                     std::to_string(numbers[2]) + "." + std::to_string(numbers[3]);
                    activePort_ = numbers[4] * 256 + numbers[5];
                }
            }
            if (reply.action == ServerAction::Repeat)
                Repeat(control, reply);
            else
                SendChunks(control, reply.chunks, passivePort);
            if (reply.action == ServerAction::CloseControl) {
                open = false;
            } else if (reply.action == ServerAction::HoldData) {
                heldData_ = TakeDataConnection();
            } else if (reply.action == ServerAction::AnswerWithoutData) {
                SendChunks(control, reply.after);
            } else if (reply.action == ServerAction::SendData) {
                if (const int data = TakeDataConnection(); data >= 0) {
                    ::send(data, reply.data.data(), reply.data.size(), MSG_NOSIGNAL);
                    ::close(data);
                }
                SendChunks(control, reply.after);
            } else if (reply.action == ServerAction::ReceiveUpload || reply.action == ServerAction::ReceivePartThenClose) {
                int data = TakeDataConnection();
                std::string received;
                while (data >= 0 && WaitReadable(data)) {
                    ssize_t got = ::recv(data, buffer, sizeof buffer, 0);
                    if (got <= 0)
                        break;
                    received.append(buffer, static_cast<std::size_t>(got));
                    if (reply.action == ServerAction::ReceivePartThenClose)
                        break;
                }
                if (data >= 0)
                    ::close(data);
                {
                    std::lock_guard lock(mutex_);
                    received_ = received;
                    uploadSizes_.push_back(received.size());
                }
                if (reply.action == ServerAction::ReceivePartThenClose)
                    open = false;
                else
                    SendChunks(control, reply.after);
            }
        }
    }
    control_ = -1;
    ::close(control);
    if (int held = heldData_.exchange(-1); held >= 0)
        ::close(held);
}

int ScriptedFtpServer::TakeDataConnection()
{
    if (passiveListener_ >= 0) {
        int data = AcceptOne(passiveListener_);
        ::close(passiveListener_);
        passiveListener_ = -1;
        return data;
    }
    if (activePort_ == 0)
        return -1;
    int data = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(activePort_));
    ::inet_pton(AF_INET, activeAddress_.c_str(), &address.sin_addr);
    if (::connect(data, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(data);
        return -1;
    }
    return data;
}
