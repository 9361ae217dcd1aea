#include "net/MessagePump.h"
#include "net/SocketConnection.h"
#include "support/net/ScriptedFtpServer.h"

#include <arpa/inet.h>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

int LoopbackSocket(int backlog, int& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (backlog >= 0)
        ::listen(fd, backlog);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

int ConnectBlocking(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

// A port where nothing listens: connecting to it is refused.
int ClosedPort()
{
    int port = 0;
    ::close(LoopbackSocket(-1, port));
    return port;
}

// A listener whose one-place queue is full: a further connection attempt waits without an answer.
struct SilentListener {
    SilentListener() : listener(LoopbackSocket(0, port)), queued(ConnectBlocking(port)) {}
    ~SilentListener()
    {
        ::close(queued);
        ::close(listener);
    }
    int port = 0;
    int listener;
    int queued;
};

template <typename Error>
std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

class SocketConnectionTest : public ::testing::Test {
protected:
    void TearDown() override { SetMessagePump({}); }

    // Connects `connection` to the scripted server after it starts.
    void ConnectTo(ScriptedFtpServer& server, TSocketConnection& connection)
    {
        server.Start();
        connection.Host = "127.0.0.1";
        connection.Port = server.Port();
        connection.Connect();
    }
};

TEST_F(SocketConnectionTest, ReplySplitAcrossPacketsIsJoinedIntoOneLine)
{
    ScriptedFtpServer server;
    server.SetGreeting({{"22", "0 hel", "lo\r\n"}});
    TSocketConnection connection;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "220 hello\r\n");
}

TEST_F(SocketConnectionTest, TwoRepliesInOnePacketAreReadOneByOne)
{
    ScriptedFtpServer server;
    server.SetGreeting({{"220 first\r\n331 second\r\n"}});
    TSocketConnection connection;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "220 first\r\n");
    EXPECT_EQ(connection.ReadLn(), "331 second\r\n");
}

TEST_F(SocketConnectionTest, PeerClosingMidLineGivesAnEmptyLineAndDisconnects)
{
    ScriptedFtpServer server;
    server.SetGreeting({{"220 part of a li"}, ServerAction::CloseControl});
    TSocketConnection connection;
    int disconnects = 0;
    connection.OnDisconnect = [&](TSocketConnection&) { ++disconnects; };
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "");
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(disconnects, 1);
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.CheckConnection(); }), "Not Connected");
}

TEST_F(SocketConnectionTest, TransactionSendsTheLineAndTakesTheReplyNumber)
{
    ScriptedFtpServer server;
    server.On("NOOP", {{"200 Fine\r\n"}});
    TSocketConnection connection;
    int pumps = 0;
    SetMessagePump([&] { ++pumps; });
    ConnectTo(server, connection);
    connection.ReadLn();
    EXPECT_EQ(connection.Transaction("NOOP"), "200 Fine\r\n");
    EXPECT_EQ(connection.ReplyNumber(), 200);
    EXPECT_EQ(connection.LastReply(), "200 Fine\r\n");
    connection.Disconnect();
    server.WaitUntilDone();
    EXPECT_EQ(server.Transcript(), std::vector<std::string>{"NOOP"});
    EXPECT_GT(pumps, 0) << "the waits must keep the user interface alive";
}

TEST_F(SocketConnectionTest, ReadTakesCountedBytes)
{
    ScriptedFtpServer server;
    server.SetGreeting({{"abc", "def"}});
    TSocketConnection connection;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.Read(4), "abcd");
    EXPECT_EQ(connection.Read(2), "ef");
}

TEST_F(SocketConnectionTest, DottedAddressIsUsedWithoutLookUp)
{
    ScriptedFtpServer server;
    TSocketConnection connection;
    int resolved = 0, connected = 0;
    connection.OnHostResolved = [&](TSocketConnection&) { ++resolved; };
    connection.OnConnect = [&](TSocketConnection&) { ++connected; };
    ConnectTo(server, connection);
    EXPECT_EQ(resolved, 0);
    EXPECT_EQ(connected, 1);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Already connected");
}

TEST_F(SocketConnectionTest, HostNameIsLookedUp)
{
    ScriptedFtpServer server;
    server.Start();
    TSocketConnection connection;
    int resolved = 0;
    connection.OnHostResolved = [&](TSocketConnection&) { ++resolved; };
    connection.Host = "localhost";
    connection.Port = server.Port();
    connection.Connect();
    EXPECT_EQ(resolved, 1);
    EXPECT_EQ(connection.ReadLn(), "220 Scripted server ready\r\n");
}

TEST_F(SocketConnectionTest, RefusedConnectionFailsAndTheObjectCanConnectAgain)
{
    TSocketConnection connection;
    int failures = 0, errors = 0;
    connection.OnConnectionFailed = [&](TSocketConnection&) { ++failures; };
    connection.OnError = [&](TSocketConnection&, std::uint16_t, const std::string&) { ++errors; };
    connection.Host = "127.0.0.1";
    connection.Port = ClosedPort();
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Connection Failed");
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(errors, 0) << "a refused connection is reported through the failure event, not as an error";
    EXPECT_EQ(connection.LastError(), 10061);
    EXPECT_EQ(connection.LookUpErrorMessage(connection.LastError()), "10061:Connection refused");

    ScriptedFtpServer server;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "220 Scripted server ready\r\n");
}

TEST_F(SocketConnectionTest, UnresolvableHostGivesNullRemoteAddressAfterOneRetry)
{
    TSocketConnection connection;
    connection.Host = "";
    connection.Port = ClosedPort();
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Null Remote Address");

    ScriptedFtpServer server;
    server.Start();
    int asked = 0;
    connection.Port = server.Port();
    connection.OnInvalidHost = [&](TSocketConnection& sender, bool& handled) {
        ++asked;
        sender.Host = "127.0.0.1";
        handled = true;
    };
    connection.Connect();
    EXPECT_EQ(asked, 1);

    TSocketConnection stubborn;
    int stubbornAsked = 0;
    stubborn.OnInvalidHost = [&](TSocketConnection&, bool& handled) {
        ++stubbornAsked;
        handled = true;
    };
    EXPECT_EQ(MessageOf<ESockError>([&] { stubborn.Connect(); }), "Null Remote Address");
    EXPECT_EQ(stubbornAsked, 1);
}

TEST_F(SocketConnectionTest, CancelFromTheEventLoopEndsAReadWait)
{
    ScriptedFtpServer server;
    server.SetGreeting({{}});
    TSocketConnection connection;
    ConnectTo(server, connection);
    int pumps = 0;
    SetMessagePump([&] {
        if (++pumps == 3)
            connection.Cancel();
    });
    EXPECT_EQ(MessageOf<EAbortError>([&] { connection.ReadLn(); }), "Socket readln aborted");
    EXPECT_FALSE(connection.TimedOut());
    // The flag is spent: the connection is usable afterwards.
    connection.Writeln("NOOP");
}

TEST_F(SocketConnectionTest, TimeOutEndsAReadWait)
{
    ScriptedFtpServer server;
    server.SetGreeting({{}});
    TSocketConnection connection;
    ConnectTo(server, connection);
    connection.TimeOut = 50;
    EXPECT_EQ(MessageOf<EAbortError>([&] { connection.ReadLn(); }), "Socket readln aborted");
    EXPECT_TRUE(connection.TimedOut());
}

TEST_F(SocketConnectionTest, ConnectionWaitEndsByTimeOutOrCancel)
{
    SilentListener listener;
    TSocketConnection connection;
    int failures = 0;
    connection.OnConnectionFailed = [&](TSocketConnection&) { ++failures; };
    connection.Host = "127.0.0.1";
    connection.Port = listener.port;
    connection.TimeOut = 100;
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Connection Timed out");

    connection.TimeOut = 0;
    int pumps = 0;
    SetMessagePump([&] {
        if (++pumps == 5)
            connection.Cancel();
    });
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Connection Canceled");
    EXPECT_EQ(failures, 2);
}

TEST_F(SocketConnectionTest, ConnectStartedWhileAnotherWaitsIsRefused)
{
    SilentListener listener;
    TSocketConnection connection;
    std::vector<std::string> errors;
    connection.OnError = [&](TSocketConnection&, std::uint16_t code, const std::string&) {
        errors.push_back(std::to_string(code));
    };
    connection.Host = "127.0.0.1";
    connection.Port = listener.port;
    std::string nested = "(not started)";
    int pumps = 0;
    SetMessagePump([&] {
        ++pumps;
        if (pumps == 2)
            nested = MessageOf<ESockError>([&] { connection.Connect(); });
        else if (pumps > 4)
            connection.Cancel();
    });
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "Connection Canceled");
    EXPECT_EQ(nested, "10037:Operation already in progress");
    EXPECT_EQ(errors, std::vector<std::string>{"10037"});

    // Once the attempt is over, the object connects again.
    SetMessagePump({});
    ScriptedFtpServer server;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "220 Scripted server ready\r\n");
}

TEST_F(SocketConnectionTest, ConnectionStartRefusedByTheSystemIsASocketError)
{
    // TCP to a multicast address is refused by the local stack before any packet leaves.
    TSocketConnection connection;
    int failures = 0;
    std::string reported;
    connection.OnConnectionFailed = [&](TSocketConnection&) { ++failures; };
    connection.OnError = [&](TSocketConnection&, std::uint16_t code, const std::string& text) {
        reported = std::to_string(code) + " " + text;
    };
    connection.Host = "224.0.0.1";
    connection.Port = 21;
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.Connect(); }), "10051:Network is unreachable");
    EXPECT_EQ(reported, "10051 10051:Network is unreachable");
    EXPECT_EQ(failures, 0);

    ScriptedFtpServer server;
    ConnectTo(server, connection);
    EXPECT_EQ(connection.ReadLn(), "220 Scripted server ready\r\n");
}

TEST_F(SocketConnectionTest, ConnectionRequiredGetsOneChance)
{
    TSocketConnection connection;
    EXPECT_EQ(MessageOf<ESockError>([&] { connection.CheckConnection(); }), "Not Connected");

    ScriptedFtpServer server;
    server.Start();
    int asked = 0;
    connection.Host = "127.0.0.1";
    connection.Port = server.Port();
    connection.OnConnectionRequired = [&](TSocketConnection& sender, bool& handled) {
        ++asked;
        sender.Connect();
        handled = true;
    };
    connection.CheckConnection();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(connection.Connected());
}

TEST_F(SocketConnectionTest, ListenAcceptAndSendFile)
{
    char path[] = "/tmp/tallo-sendfile-XXXXXX";
    int fd = ::mkstemp(path);
    std::string content;
    for (int i = 0; i < 300000; ++i)
        content += static_cast<char>('a' + i % 26) + std::to_string(i % 7);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);

    TSocketConnection listener;
    listener.Port = 0;
    listener.Listen("127.0.0.1");
    std::string address = listener.LocalAddressText();
    EXPECT_EQ(address, "127,0,0,1");
    std::string portText = listener.LocalPortText();
    int high = 0, low = 0;
    ASSERT_EQ(std::sscanf(portText.c_str(), ",%d,%d", &high, &low), 2);
    std::string received;
    std::thread peer([&] {
        int socket = ConnectBlocking(high * 256 + low);
        char buffer[65536];
        for (ssize_t n; (n = ::recv(socket, buffer, sizeof buffer, 0)) > 0;)
            received.append(buffer, static_cast<std::size_t>(n));
        ::close(socket);
    });
    listener.AdoptSocket(listener.Accept());
    int packets = 0;
    listener.OnPacketSent = [&](TSocketConnection&) { ++packets; };
    listener.SendFile(path);
    listener.LingerOff();
    listener.RequestCloseSocket();
    peer.join();
    ::unlink(path);
    EXPECT_TRUE(received == content) << "received " << received.size() << " of " << content.size() << " bytes";
    EXPECT_EQ(listener.BytesSent(), static_cast<std::int64_t>(content.size()));
    EXPECT_GE(packets, static_cast<int>(content.size() / TSocketConnection::kBufferSize));
}

TEST_F(SocketConnectionTest, ListeningSocketTakesConnectionsOnlyOnItsAddress)
{
    TSocketConnection listener;
    listener.Listen("127.0.0.1");
    int high = 0, low = 0;
    ASSERT_EQ(std::sscanf(listener.LocalPortText().c_str(), ",%d,%d", &high, &low), 2);
    TSocketConnection elsewhere;
    elsewhere.Host = "127.0.0.2";
    elsewhere.Port = high * 256 + low;
    EXPECT_EQ(MessageOf<ESockError>([&] { elsewhere.Connect(); }), "Connection Failed");
}

TEST_F(SocketConnectionTest, AcceptCanBeCanceled)
{
    TSocketConnection listener;
    listener.Listen("127.0.0.1");
    SetMessagePump([&] { listener.Cancel(); });
    EXPECT_EQ(MessageOf<ESockError>([&] { listener.Accept(); }), "Accepting Canceled");
}

TEST_F(SocketConnectionTest, ListenOnAPortInUseIsAnError)
{
    int port = 0;
    int taken = LoopbackSocket(1, port);
    TSocketConnection listener;
    std::uint16_t reported = 0;
    listener.OnError = [&](TSocketConnection&, std::uint16_t code, const std::string&) { reported = code; };
    listener.Port = port;
    EXPECT_EQ(MessageOf<ESockError>([&] { listener.Listen("127.0.0.1"); }), "10048:Address already in use");
    EXPECT_EQ(reported, 10048);
    ::close(taken);
}

struct PhaseCase {
    const char* name;
    std::function<void(TSocketConnection&)> act;
    std::vector<std::string> trace;
};

TEST_F(SocketConnectionTest, PhaseChangesTellWhatTheConnectionDoes)
{
    auto connectTo = [](TSocketConnection& connection, int port) {
        connection.Host = "127.0.0.1";
        connection.Port = port;
        MessageOf<ESockError>([&] { connection.Connect(); });
    };
    const PhaseCase cases[] = {
        {"connect, peer closes while a line is read",
         [&](TSocketConnection& c) {
             ScriptedFtpServer server;
             server.SetGreeting({{"220 bye"}, ServerAction::CloseControl});
             server.Start();
             connectTo(c, server.Port());
             c.ReadLn();
         },
         {"Idle>Resolving", "Resolving>Connecting", "Connecting>Connected", "Connected>Idle"}},
        {"refused, then a fresh socket for the next attempt",
         [&](TSocketConnection& c) {
             connectTo(c, ClosedPort());
             ScriptedFtpServer server;
             server.Start();
             connectTo(c, server.Port());
             c.Disconnect();
         },
         {"Idle>Resolving", "Resolving>Connecting", "Connecting>Failed", "Failed>Idle", "Idle>Resolving",
          "Resolving>Connecting", "Connecting>Connected", "Connected>Idle"}},
        {"timed out",
         [&](TSocketConnection& c) {
             SilentListener listener;
             c.TimeOut = 50;
             connectTo(c, listener.port);
         },
         {"Idle>Resolving", "Resolving>Connecting", "Connecting>Failed"}},
        {"no address", [&](TSocketConnection& c) { c.Host = ""; MessageOf<ESockError>([&] { c.Connect(); }); },
         {"Idle>Resolving", "Resolving>Idle"}},
        {"listen, accept, adopt",
         [&](TSocketConnection& c) {
             c.Listen("127.0.0.1");
             int high = 0, low = 0;
             std::sscanf(c.LocalPortText().c_str(), ",%d,%d", &high, &low);
             int peer = ConnectBlocking(high * 256 + low);
             c.AdoptSocket(c.Accept());
             ::close(peer);
         },
         {"Idle>Listening", "Listening>Incoming", "Incoming>Connected"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSocketConnection connection;
        std::vector<std::string> trace;
        connection.OnPhaseChange = [&](TSocketConnection&, TSocketPhase from, TSocketPhase to) {
            trace.push_back(std::string(PhaseName(from)) + ">" + PhaseName(to));
        };
        c.act(connection);
        EXPECT_EQ(trace, c.trace);
    }
}

TEST_F(SocketConnectionTest, SendingFromAMissingFileIsAFileError)
{
    TSocketConnection connection;
    EXPECT_THROW(connection.SendFile("/nonexistent/page.html"), EFileError);
}

}  // namespace
