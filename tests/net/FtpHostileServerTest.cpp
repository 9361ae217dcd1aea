// The FTP client against servers that misbehave: silence, endless or flooding replies, replies without a
// valid code, echoed passwords. Nothing may hang, nothing may pass for success, no password may show.
#include "net/FtpClient.h"
#include "net/MessagePump.h"
#include "net/ReadableText.h"
#include "support/net/RecordingFtpClient.h"
#include "support/net/ScriptedFtpServer.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;
using Script = std::function<void(ScriptedFtpServer&)>;
using Act = std::function<void(TFtpClient&, const std::string& page)>;

const Act kConnect = [](TFtpClient& c, const std::string&) { c.Connect(); };
const Act kUpload = [](TFtpClient& c, const std::string& page) {
    c.Connect();
    c.Upload(page, "");
};

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

class FtpHostileServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tallo-ftp-hostile-XXXXXX";
        directory = ::mkdtemp(pattern);
        pagePath = directory + "/page.html";
        WritePage("<html>\r\n<body>Hello</body>\r\n</html>\r\n");
    }

    void TearDown() override
    {
        SetMessagePump({});
        ::unlink(pagePath.c_str());
        ::rmdir(directory.c_str());
    }

    void WritePage(const std::string& content) { std::ofstream(pagePath, std::ios::binary) << content; }

    // A client of the scripted server that records its events.
    void Prepare(TFtpClient& client, ScriptedFtpServer& server) { RecordClientEvents(client, server, events); }

    std::string directory;
    std::string pagePath;
    Lines events;
};

enum class Ending { TimeOut, Abort };

struct WaitCase {
    const char* name;
    Script script;
    Act act;
    std::string timeOutError;
    std::string abortError;
    bool active = false;
    std::size_t pageBytes = 100;
    bool waits = true;  // false where the client sees through the server without waiting
};

TEST_F(FtpHostileServerTest, EveryWaitEndsOnTheTimeOutAndOnAbort)
{
    const ScriptedReply silence{};
    const WaitCase cases[] = {
        {"no greeting", [&](ScriptedFtpServer& s) { s.SetGreeting(silence); }, kConnect, "Socket readln aborted",
         "Socket readln aborted"},
        {"a greeting that drips for ever",
         [](ScriptedFtpServer& s) { s.SetGreeting({{"2"}, ServerAction::Repeat, {}, 20}); }, kConnect,
         "Socket readln aborted", "Socket readln aborted"},
        {"preliminary greetings for ever",
         [](ScriptedFtpServer& s) { s.SetGreeting({{"120 Ready soon\r\n"}, ServerAction::Repeat, {}, 20}); }, kConnect,
         "Socket readln aborted", "Socket readln aborted"},
        {"endless continuation lines",
         [](ScriptedFtpServer& s) { s.SetGreeting({{"220-more\r\n"}, ServerAction::Repeat, {}, 20}); }, kConnect,
         "Socket readln aborted", "Socket readln aborted"},
        {"no answer to QUIT after a refused log-in",
         [&](ScriptedFtpServer& s) {
             s.On("USER", {{"530 No\r\n"}});
             s.On("QUIT", silence);
         },
         kConnect, "530 No\r\n", "530 No\r\n"},
        {"a flooded control connection",
         [](ScriptedFtpServer& s) { s.On("CWD", {{"250 Changed\r\n"}, ServerAction::Repeat}); },
         [](TFtpClient& c, const std::string&) {
             c.Connect();
             c.ChangeDirectory("www");
             std::this_thread::sleep_for(std::chrono::milliseconds(100));
             c.SendCommand("NOOP");
         },
         "The server sends more than it was asked for", "The server sends more than it was asked for", false, 100,
         false},
        // More than the socket buffers on both sides hold.
        {"a data side that never reads", [](ScriptedFtpServer& s) { s.On("STOR", {{"150 Go\r\n"}, ServerAction::HoldData}); },
         kUpload, "Socket send aborted", "Socket send aborted", false, 32 << 20},
        {"a data side that never connects", [](ScriptedFtpServer& s) { s.On("STOR", {{"150 Connecting\r\n"}}); },
         kUpload, "Accepting Timed Out", "Accepting Canceled", true},
        {"no final reply", [](ScriptedFtpServer& s) { s.On("STOR", {{"150 Go\r\n"}, ServerAction::ReceiveUpload}); },
         kUpload, "Socket readln aborted", "Socket readln aborted"},
        {"TLS promised but never spoken", [](ScriptedFtpServer& s) { s.On("AUTH", {{"234 Go ahead\r\n"}}); },
         [](TFtpClient& c, const std::string&) {
             c.Security = TFtpSecurity::ExplicitTls;
             c.Connect();
         },
         "TLS handshake timed out", "TLS handshake aborted"},
    };
    for (const auto& c : cases) {
        WritePage(std::string(c.pageBytes, 'z'));
        for (Ending ending : {Ending::TimeOut, Ending::Abort}) {
            SCOPED_TRACE(std::string(c.name) + (ending == Ending::TimeOut ? ", time-out" : ", Abort"));
            ScriptedFtpServer server;
            c.script(server);
            server.Start();
            TFtpClient client;
            Prepare(client, server);
            client.Passive = !c.active;
            client.TimeOut = ending == Ending::TimeOut ? 300 : 0;
            // Abort comes from the event loop, as the upload window's Cancel would; the hang-up is only a
            // safety net that ends a wait the client failed to end.
            const auto start = Clock::now();
            bool aborted = false, rescued = false;
            SetMessagePump([&] {
                const auto elapsed = Clock::now() - start;
                if (ending == Ending::Abort && !aborted && elapsed > std::chrono::milliseconds(300)) {
                    aborted = true;
                    client.Abort();
                }
                if (!rescued && elapsed > std::chrono::seconds(5)) {
                    rescued = true;
                    server.Hangup();
                }
            });
            std::string error = ErrorOf([&] { c.act(client, pagePath); });
            EXPECT_EQ(error, ending == Ending::TimeOut ? c.timeOutError : c.abortError);
            EXPECT_FALSE(rescued) << "the wait did not end by itself";
            EXPECT_EQ(client.TimedOut(), c.waits && ending == Ending::TimeOut);
            SetMessagePump({});
        }
    }
}

struct FalseSuccessCase {
    const char* name;
    const char* verb;  // "" for the greeting
    ScriptedReply reply;
    Act act;
    std::string error;  // the start of the error text
    Lines events;
};

std::string BinaryGreeting()
{
    std::string bytes;
    for (int i = 0; i < 1024; ++i)
        bytes += static_cast<char>(i % 256);
    return bytes;
}

TEST_F(FtpHostileServerTest, OnlyValidRepliesCountAndOnlyA2xxFinalReplyIsAnUpload)
{
    const Act changeDirectory = [](TFtpClient& c, const std::string&) {
        c.Connect();
        c.ChangeDirectory("www");
    };
    auto finalReply = [](const char* text) {
        return ScriptedReply{{"150 Go\r\n"}, ServerAction::ReceiveUpload, {text}};
    };
    const Lines loggedOut = {"ConnectionFailed"};
    const Lines transferred = {"Connect", "TransactionStart", "TransactionStop", "Failure(9)"};
    const FalseSuccessCase cases[] = {
        {"text greeting", "", {{"Hello there\r\n"}}, kConnect, "Invalid reply from the server: \"Hello there\"", loggedOut},
        {"000 greeting", "", {{"000 Ready\r\n"}}, kConnect, "Invalid reply from the server: \"000 Ready\"", loggedOut},
        {"999 greeting", "", {{"999 Ready\r\n"}}, kConnect, "Invalid reply from the server", loggedOut},
        {"650 greeting", "", {{"650 Ready\r\n"}}, kConnect, "Invalid reply from the server", loggedOut},
        {"binary greeting", "", {{BinaryGreeting()}}, kConnect, "Invalid reply from the server: \"??????????\"",
         loggedOut},
        {"999 to USER", "USER", {{"999 Fine\r\n"}}, kConnect, "Invalid reply from the server", loggedOut},
        {"650 to PASS", "PASS", {{"650 In\r\n"}}, kConnect, "Invalid reply from the server", loggedOut},
        {"650 to CWD", "CWD", {{"650 Changed\r\n"}}, changeDirectory, "Invalid reply from the server",
         {"Connect", "Failure(0)"}},
        {"garbage to STOR", "STOR", {{"garbage\r\n"}}, kUpload, "Invalid reply from the server",
         {"Connect", "Failure(9)"}},
        {"650 final reply", "STOR", finalReply("650 Stored\r\n"), kUpload, "Invalid reply from the server",
         transferred},
        {"000 final reply", "STOR", finalReply("000\r\n"), kUpload, "Invalid reply from the server", transferred},
        {"150 final reply", "STOR", finalReply("150 Still busy\r\n"), kUpload, "150 Still busy\r\n", transferred},
        {"331 final reply", "STOR", finalReply("331 What?\r\n"), kUpload, "331 What?\r\n", transferred},
        {"226 for a file that shrank before it was sent", "STOR", finalReply("226 Stored\r\n"),
         [](TFtpClient& c, const std::string& page) {
             c.OnTransactionStart = [&page](TSocketConnection&) { (void)!::truncate(page.c_str(), 0); };
             kUpload(c, page);
         },
         "The file was not sent whole: 0 of 37 bytes", {"Connect", "TransactionStop", "Failure(9)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        if (*c.verb)
            server.On(c.verb, c.reply);
        else
            server.SetGreeting(c.reply);
        server.Start();
        TFtpClient client;
        Prepare(client, server);
        events.clear();
        std::string error = ErrorOf([&] { c.act(client, pagePath); });
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
        EXPECT_EQ(events, c.events);
    }
}

TEST_F(FtpHostileServerTest, MultiLineReplyIsReadToItsOwnEnd)
{
    ScriptedFtpServer server;
    server.On("CWD", {{"250-Changed\r\n", "123 not the end\r\n250x nor this\r\n 250 nor this\r\n", "250 Done\r\n"}});
    server.On("NOOP", {{"200 NOOP done\r\n"}});
    server.Start();
    TFtpClient client;
    Prepare(client, server);
    client.Connect();
    client.ChangeDirectory("www");
    client.SendCommand("NOOP");
    EXPECT_EQ(client.LastReply(), "200 NOOP done\r\n");
    EXPECT_EQ(events, (Lines{"Connect", "Success(0)", "Success(14)"}));
}

struct EchoCase {
    const char* name;
    const char* verb;
    ScriptedReply reply;
    Act act;
    std::string error;
};

TEST_F(FtpHostileServerTest, PasswordStaysMaskedForTheWholeSession)
{
    const EchoCase cases[] = {
        {"a later command", "CWD", {{"550 secret: no such directory\r\n"}},
         [](TFtpClient& c, const std::string&) {
             c.Connect();
             c.ChangeDirectory("www");
         },
         "550 ****: no such directory\r\n"},
        {"the final reply of an upload", "STOR",
         {{"150 Go\r\n"}, ServerAction::ReceiveUpload, {"451-No room for secret\r\n", "451 PASSsecretx\r\n"}}, kUpload,
         "451-No room for ****\r\n"},
        {"a reply without a code", "PWD", {{"secret\r\n"}},
         [](TFtpClient& c, const std::string&) {
             c.Connect();
             c.SendCommand("PWD");
         },
         "Invalid reply from the server: \"****\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        server.On(c.verb, c.reply);
        server.Start();
        TFtpClient client;
        Prepare(client, server);
        std::string texts;
        client.ReportLevel = 8;
        client.OnStatus = [&](TSocketConnection&, const std::string& text) { texts += text + "\n"; };
        client.OnError = [&](TSocketConnection&, std::uint16_t, const std::string& text) { texts += text + "\n"; };
        std::string error = ErrorOf([&] { c.act(client, pagePath); });
        EXPECT_EQ(error, c.error);
        texts += error + client.LastReply() + client.Status();
        EXPECT_EQ(texts.find("secret"), std::string::npos) << texts;
    }
}

struct ShownTextCase {
    const char* name;
    const char* verb;  // "" for the greeting
    ScriptedReply reply;
    std::string error;
};

TEST_F(FtpHostileServerTest, ServerTextIsShownReadable)
{
    const Act changeDirectory = [](TFtpClient& c, const std::string&) {
        c.Connect();
        c.ChangeDirectory("www");
    };
    const ShownTextCase cases[] = {
        {"escape sequences that retitle and clear a terminal", "", {{"421 \x1B]0;owned\x07\x1B[2J\x1B[HBye\r\n"}},
         "421 ?]0;owned??[2J?[HBye\r\n"},
        {"a 64 KiB line", "CWD", {{"550 " + std::string(65000, 'x') + "\r\n"}},
         "550 " + std::string(296, 'x') + "...\r\n"},
        {"a malformed passive reply", "PASV", {{"227 \x1B[2J(1,2)\r\n"}}, "Malformed passive mode reply: 227 ?[2J(1,2)"},
        {"the final reply of an upload", "STOR", {{"150 Go\r\n"}, ServerAction::ReceiveUpload, {"451 \x1B[5mNo room\r\n"}},
         "451 ?[5mNo room\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        if (*c.verb)
            server.On(c.verb, c.reply);
        else
            server.SetGreeting(c.reply);
        server.Start();
        TFtpClient client;
        Prepare(client, server);
        Lines texts;
        client.ReportLevel = 8;
        client.OnStatus = [&](TSocketConnection&, const std::string& text) { texts.push_back(text); };
        const std::string verb = c.verb;
        EXPECT_EQ(ErrorOf([&] { (verb == "PASV" || verb == "STOR" ? kUpload : changeDirectory)(client, pagePath); }),
                  c.error);
        for (const std::string& text : texts)
            EXPECT_EQ(ReadableServerText(text), text) << "status text shown raw";
    }
}

}  // namespace
