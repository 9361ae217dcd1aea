#include "net/FtpClient.h"
#include "net/MessagePump.h"
#include "base/PathName.h"
#include "net/ReplyParsing.h"
#include "support/net/RecordingFtpClient.h"
#include "support/net/ScriptedFtpServer.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

class FtpClientScriptedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordClientEvents(client, server, events);
        client.OnUnSupportedFunction = [this](TFtpClient&, TCmdType type) {
            events.push_back("UnSupported(" + std::to_string(type) + ")");
        };
        client.OnFailure = [this](TFtpClient&, bool& handled, TCmdType type) {
            events.push_back("Failure(" + std::to_string(type) + ")");
            handled = handleFailures;
        };
        pagePath = directory + "/page.html";
        WritePage(std::string("<html>\r\n<body>Hello</body>\r\n</html>\n"));
    }

    void TearDown() override
    {
        SetMessagePump({});
        ::unlink(pagePath.c_str());
        ::rmdir(directory.c_str());
    }

    void WritePage(const std::string& content)
    {
        pageContent = content;
        std::ofstream(pagePath, std::ios::binary) << content;
    }

    // Runs the action and returns the text of the exception it raised, or "(no error)".
    std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "(no error)";
    }

    Lines Finish()
    {
        if (client.Connected())
            client.Disconnect();
        server.WaitUntilDone();
        return server.Transcript();
    }

    static std::string MakeDirectory()
    {
        char pattern[] = "/tmp/tallo-ftp-scripted-XXXXXX";
        return ::mkdtemp(pattern);
    }

    ScriptedFtpServer server;
    TFtpClient client;
    Lines events;
    bool handleFailures = false;
    std::string directory = MakeDirectory();
    std::string pagePath;
    std::string pageContent;
};

TEST_F(FtpClientScriptedTest, MultiLineGreetingIsReadWholeBeforeLogIn)
{
    server.SetGreeting({{"220-Welcome\r\n", "220-to the scripted\r\n 220 indented line\r\n", "220 server\r\n"}});
    server.Start();
    client.Connect();
    EXPECT_EQ(events, Lines{"Connect"});
    EXPECT_EQ(Finish(), (Lines{"USER ann", "PASS secret", "QUIT"}));
}

struct GreetingCase {
    const char* name;
    std::vector<std::string> greeting;  // chunks, 40 ms apart
    std::string error;
    Lines transcript;
};

TEST_F(FtpClientScriptedTest, PreliminaryGreetingIsFollowedByTheOneThatCounts)
{
    const GreetingCase cases[] = {
        {"120 then 220", {"120 Service ready in 1 minutes\r\n", "220 Ready\r\n"}, "(no error)",
         {"USER ann", "PASS secret", "QUIT"}},
        {"120 twice, one of them multi-line", {"120 Soon\r\n", "120-Still\r\n120 soon\r\n", "220 Ready\r\n"},
         "(no error)", {"USER ann", "PASS secret", "QUIT"}},
        {"120 then 421", {"120 Soon\r\n", "421 Too busy after all\r\n"}, "421 Too busy after all\r\n", {"QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer scripted;
        scripted.SetGreeting({c.greeting});
        scripted.Start();
        client.Port = scripted.Port();
        EXPECT_EQ(ErrorOf([&] { client.Connect(); }), c.error);
        if (client.Connected())
            client.Disconnect();
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript(), c.transcript);
    }
}

struct LogInCase {
    const char* name;
    const char* userReply;
    const char* passReply;
    bool loggedIn;
    Lines transcript;
};

TEST_F(FtpClientScriptedTest, LogInReplies)
{
    const LogInCase cases[] = {
        {"230 to USER: no password asked", "230 Welcome\r\n", "", true, {"USER ann", "QUIT"}},
        {"331 then 230", "331 Password\r\n", "230 In\r\n", true, {"USER ann", "PASS secret", "QUIT"}},
        {"331 then 530", "331 Password\r\n", "530 Login incorrect\r\n", false, {"USER ann", "PASS secret", "QUIT"}},
        {"530 to USER", "530 No such user\r\n", "", false, {"USER ann", "QUIT"}},
        {"400 is not a refusal", "400 Odd\r\n", "", true, {"USER ann", "QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer scripted;
        scripted.On("USER", {{c.userReply}});
        scripted.On("PASS", {{c.passReply}});
        scripted.Start();
        TFtpClient ftp;
        int failed = 0, connected = 0;
        ftp.OnConnectionFailed = [&](TSocketConnection&) { ++failed; };
        ftp.OnConnect = [&](TSocketConnection&) { ++connected; };
        ftp.Host = "127.0.0.1";
        ftp.Port = scripted.Port();
        ftp.UserID = "ann";
        ftp.Password = "secret";
        std::string error = ErrorOf([&] { ftp.Connect(); });
        if (c.loggedIn) {
            EXPECT_EQ(error, "(no error)");
            EXPECT_EQ(connected, 1);
            ftp.Disconnect();
        } else {
            EXPECT_EQ(error, std::string(c.passReply[0] ? c.passReply : c.userReply));
            EXPECT_EQ(failed, 1);
            EXPECT_EQ(connected, 0);
        }
        EXPECT_FALSE(ftp.Connected());
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript(), c.transcript);
    }
}

TEST_F(FtpClientScriptedTest, RefusedGreetingFailsTheConnection)
{
    server.SetGreeting({{"421 Too many users\r\n"}});
    server.Start();
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "421 Too many users\r\n");
    EXPECT_EQ(events, Lines{"ConnectionFailed"});
    EXPECT_EQ(Finish(), Lines{"QUIT"});
}

TEST_F(FtpClientScriptedTest, ServerClosingMidReplyIsNoLogIn)
{
    server.On("USER", {{"33"}, ServerAction::CloseControl});
    server.Start();
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "Connection closed by the server");
    EXPECT_EQ(events, Lines{});
    EXPECT_FALSE(client.Connected());
}

TEST_F(FtpClientScriptedTest, AuthenticationNeededMayFillInTheAccount)
{
    client.UserID = "";
    client.Password = "";
    client.OnAuthenticationNeeded = [](TFtpClient& sender, bool&) {
        sender.UserID = "late";
        sender.Password = "given";
    };
    server.Start();
    client.Connect();
    EXPECT_EQ(Finish(), (Lines{"USER late", "PASS given", "QUIT"}));
}

struct FirewallCase {
    TFirewallType type;
    Lines transcript;
};

TEST_F(FtpClientScriptedTest, FirewallForms)
{
    const FirewallCase cases[] = {
        {FTUser, {"USER fw", "PASS fwpass", "USER ann@ftp.example.com", "PASS secret", "QUIT"}},
        {FtOpen, {"USER fw", "PASS fwpass", "OPEN ftp.example.com", "USER ann", "PASS secret", "QUIT"}},
        {FtSite, {"USER fw", "PASS fwpass", "SITE ftp.example.com", "USER ann", "PASS secret", "QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        ScriptedFtpServer proxy;
        proxy.Start();
        TFtpClient ftp;
        ftp.Host = "ftp.example.com";
        ftp.Proxy = "127.0.0.1";
        ftp.ProxyPort = proxy.Port();
        ftp.FirewallType = c.type;
        ftp.FWAuthenticate = true;
        ftp.FWUserID = "fw";
        ftp.FWPassword = "fwpass";
        ftp.UserID = "ann";
        ftp.Password = "secret";
        ftp.Connect();
        ftp.Disconnect();
        proxy.WaitUntilDone();
        EXPECT_EQ(proxy.Transcript(), c.transcript);
    }
}

TEST_F(FtpClientScriptedTest, RefusedFirewallLogIn)
{
    server.On("USER", {{"530 Firewall says no\r\n"}});
    server.Start();
    client.FWAuthenticate = true;
    client.FWUserID = "fw";
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "530 Firewall says no\r\n");
    EXPECT_EQ(events, Lines{"ConnectionFailed"});
    EXPECT_EQ(Finish(), (Lines{"USER fw", "QUIT"}));
}

TEST_F(FtpClientScriptedTest, PassiveUploadSendsTheFileInImageType)
{
    server.Start();
    client.Connect();
    client.Upload(pagePath, "");
    EXPECT_EQ(events, (Lines{"Connect", "TransactionStart", "TransactionStop", "Success(9)"}));
    EXPECT_EQ(client.BytesTotal(), static_cast<std::int64_t>(pageContent.size()));
    EXPECT_EQ(Finish(), (Lines{"USER ann", "PASS secret", "TYPE I", "PASV", "STOR page.html", "QUIT"}));
    EXPECT_EQ(server.ReceivedData(), pageContent);
}

TEST_F(FtpClientScriptedTest, ImageTypeIsSetOncePerLogInUntilAnotherTypeIsAsked)
{
    server.Start();
    client.Connect();
    client.Upload(pagePath, "a.html");
    client.Upload(pagePath, "b.html");
    client.Command("TYPE A");
    client.Upload(pagePath, "c.html");
    EXPECT_EQ(Finish(), (Lines{"USER ann", "PASS secret", "TYPE I", "PASV", "STOR a.html", "PASV", "STOR b.html",
                               "TYPE A", "TYPE I", "PASV", "STOR c.html", "QUIT"}));
}

TEST_F(FtpClientScriptedTest, ActiveUploadNamesTheControlConnectionsAddress)
{
    client.Passive = false;
    server.Start();
    client.Connect();
    client.Upload(pagePath, "remote.html");
    Lines transcript = Finish();
    ASSERT_EQ(transcript.size(), 6u);
    EXPECT_EQ(transcript[3].rfind("PORT 127,0,0,1,", 0), 0u) << transcript[3];
    EXPECT_EQ(transcript[4], "STOR remote.html");
    EXPECT_EQ(server.ReceivedData(), pageContent);
    EXPECT_EQ(events.back(), "Success(9)");
}

TEST_F(FtpClientScriptedTest, PassiveAddressInTheReplyIsNotUsed)
{
    server.On("PASV", {{"227 Entering Passive Mode (10,0,0,1,{hi},{lo})\r\n"}, ServerAction::OpenPassive});
    server.Start();
    client.Connect();
    client.Upload(pagePath, "");
    EXPECT_EQ(events.back(), "Success(9)");
    EXPECT_EQ(server.ReceivedData(), pageContent);
}

struct DataAddressCase {
    const char* name;
    std::function<void(TFtpClient&, const ScriptedFtpServer&)> prepare;
};

TEST_F(FtpClientScriptedTest, PassiveDataConnectionGoesWhereTheControlConnectionWent)
{
    const DataAddressCase cases[] = {
        {"through a proxy, to a name only the proxy knows",
         [](TFtpClient& c, const ScriptedFtpServer& s) {
             c.Host = "ftp.example.invalid";
             c.Proxy = "127.0.0.1";
             c.ProxyPort = s.Port();
         }},
        // As a round-robin name that gives another address when asked again.
        {"a host that names another address by the time of the upload",
         [](TFtpClient& c, const ScriptedFtpServer&) {
             c.OnConnect = [](TSocketConnection& sender) { sender.Host = "127.0.0.2"; };
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer scripted;
        scripted.Start();
        TFtpClient ftp;
        RecordClientEvents(ftp, scripted, events);
        ftp.TimeOut = 5000;
        c.prepare(ftp, scripted);
        ftp.Connect();
        EXPECT_EQ(ErrorOf([&] { ftp.Upload(pagePath, ""); }), "(no error)");
        ftp.Disconnect();
        EXPECT_EQ(scripted.ReceivedData(), pageContent);
    }
}

TEST_F(FtpClientScriptedTest, TelnetIacIsDoubledOnTheControlConnection)
{
    client.UserID = "ann\xFF";
    client.Password = "se\xFF\xF4" "cret";
    server.Start();
    client.Connect();
    client.ChangeDirectory("d\xFF");
    client.Upload(pagePath, "p\xFF.html");
    EXPECT_EQ(Finish(), (Lines{"USER ann\xFF\xFF", "PASS se\xFF\xFF\xF4" "cret", "CWD d\xFF\xFF", "TYPE I", "PASV",
                               "STOR p\xFF\xFF.html", "QUIT"}));
    EXPECT_EQ(server.ReceivedData(), pageContent);
}

TEST_F(FtpClientScriptedTest, EmptyFileUploadsAsEmpty)
{
    WritePage("");
    server.Start();
    client.Connect();
    client.Upload(pagePath, "");
    EXPECT_EQ(events.back(), "Success(9)");
    EXPECT_EQ(server.ReceivedData(), "");
}

struct StoreRefusalCase {
    const char* name;
    ScriptedReply storeReply;
    Lines events;
    std::string error;
};

TEST_F(FtpClientScriptedTest, UploadRefusalsFailOnce)
{
    const StoreRefusalCase cases[] = {
        {"553 to STOR", {{"553 Not allowed\r\n"}}, {"Failure(9)"}, "553 Not allowed\r\n"},
        {"502 to STOR", {{"502 Not implemented\r\n"}}, {"UnSupported(9)", "Failure(9)"}, "502 Not implemented\r\n"},
        {"426 as the final reply",
         {{"150 Go ahead\r\n"}, ServerAction::ReceiveUpload, {"426 Connection closed; transfer aborted\r\n"}},
         {"TransactionStart", "TransactionStop", "Failure(9)"},
         "426 Connection closed; transfer aborted\r\n"},
        {"451 as the final reply",
         {{"150 Go ahead\r\n"}, ServerAction::ReceiveUpload, {"451-Local error\r\n", "451 in processing\r\n"}},
         {"TransactionStart", "TransactionStop", "Failure(9)"},
         "451-Local error\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer scripted;
        scripted.On("STOR", c.storeReply);
        scripted.Start();
        client.Port = scripted.Port();
        client.Connect();
        events.clear();
        EXPECT_EQ(ErrorOf([&] { client.Upload(pagePath, ""); }), c.error);
        EXPECT_EQ(events, c.events);
        client.Disconnect();
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript().back(), "QUIT") << "the control connection stays in step";
    }
}

TEST_F(FtpClientScriptedTest, HandledRefusalEndsTheUploadQuietly)
{
    handleFailures = true;
    server.On("STOR", {{"553 Not allowed\r\n"}});
    server.Start();
    client.Connect();
    client.Upload(pagePath, "");
    EXPECT_EQ(events, (Lines{"Connect", "Failure(9)"}));
}

TEST_F(FtpClientScriptedTest, MalformedPassiveRepliesFailTheUpload)
{
    const char* replies[] = {
        "227 Entering Passive Mode (127,0,0,1,4)\r\n",
        "227 Entering Passive Mode 127,0,0,1,4,1\r\n",
        "227 Entering Passive Mode (127,0,0,1,a,b)\r\n",
        "227 Entering Passive Mode (127,0,0,1,0,0)\r\n",
        "227 Entering Passive Mode (127,0,0,1,300,1)\r\n",
    };
    for (const char* reply : replies) {
        SCOPED_TRACE(reply);
        ScriptedFtpServer scripted;
        scripted.On("PASV", {{reply}});
        scripted.Start();
        client.Port = scripted.Port();
        client.Connect();
        events.clear();
        std::string error = ErrorOf([&] { client.Upload(pagePath, ""); });
        EXPECT_EQ(error.rfind("Malformed passive mode reply: 227", 0), 0u) << error;
        EXPECT_EQ(events, Lines{"Failure(9)"});
        client.Disconnect();
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript(), (Lines{"USER ann", "PASS secret", "TYPE I", "PASV", "QUIT"}));
    }
}

TEST_F(FtpClientScriptedTest, RefusedPassiveMode)
{
    server.On("PASV", {{"500 PASV not understood\r\n"}});
    server.Start();
    client.Connect();
    EXPECT_EQ(ErrorOf([&] { client.Upload(pagePath, ""); }), "500 PASV not understood\r\n");
    EXPECT_EQ(events, (Lines{"Connect", "Failure(9)"}));
}

TEST_F(FtpClientScriptedTest, MissingLocalFileFailsBeforeAnyTransferCommand)
{
    server.Start();
    client.Connect();
    std::string error = ErrorOf([&] { client.Upload(directory + "/missing.html", ""); });
    EXPECT_NE(error.find("missing.html"), std::string::npos) << error;
    EXPECT_EQ(events, (Lines{"Connect", "Failure(9)"}));
    EXPECT_EQ(Finish(), (Lines{"USER ann", "PASS secret", "QUIT"}));
}

TEST_F(FtpClientScriptedTest, ServerClosingMidTransferFailsTheUpload)
{
    std::string big(8 << 20, 'x');
    WritePage(big);
    server.On("STOR", {{"150 Go ahead\r\n"}, ServerAction::ReceivePartThenClose});
    server.Start();
    client.Connect();
    std::string error = ErrorOf([&] { client.Upload(pagePath, ""); });
    EXPECT_NE(error, "(no error)");
    EXPECT_EQ(events.back(), "Failure(9)");
    EXPECT_EQ(std::count(events.begin(), events.end(), "Failure(9)"), 1);
}

TEST_F(FtpClientScriptedTest, AbortEndsTheTransfer)
{
    WritePage(std::string(8 << 20, 'y'));
    client.OnPacketSent = [this](TSocketConnection&) { client.Abort(); };
    server.Start();
    client.Connect();
    EXPECT_EQ(ErrorOf([&] { client.Upload(pagePath, ""); }), "Socket send aborted");
    EXPECT_EQ(events.back(), "Failure(9)");
    EXPECT_LT(server.ReceivedData().size(), std::size_t{8 << 20});
}

TEST_F(FtpClientScriptedTest, ActiveUploadEndsWhenTheServerCannotConnect)
{
    client.Passive = false;
    server.On("STOR", {{"150 Connecting to the data port\r\n"}, ServerAction::AnswerWithoutData,
                       {"425 Could not open data connection\r\n"}});
    // Only a safety net, so that a client that waits on does not hang the test run.
    int pumps = 0;
    SetMessagePump([&] {
        if (++pumps > 2000)
            client.Abort();
    });
    server.Start();
    client.Connect();
    EXPECT_EQ(ErrorOf([&] { client.Upload(pagePath, ""); }), "425 Could not open data connection\r\n");
    EXPECT_EQ(events, (Lines{"Connect", "Failure(9)"}));
    Lines transcript = Finish();
    EXPECT_EQ(transcript.back(), "QUIT") << "the control connection stays in step";
}

TEST_F(FtpClientScriptedTest, UploadStartedDuringAnUploadIsRefused)
{
    std::string nested = "(not started)";
    client.OnTransactionStart = [&](TSocketConnection&) {
        events.push_back("TransactionStart");
        nested = ErrorOf([&] { client.Upload(pagePath, "second.html"); });
    };
    server.Start();
    client.Connect();
    client.Upload(pagePath, "");
    EXPECT_EQ(nested, "An upload is already in progress");
    EXPECT_EQ(events, (Lines{"Connect", "TransactionStart", "TransactionStop", "Success(9)"}));
    EXPECT_EQ(Finish(), (Lines{"USER ann", "PASS secret", "TYPE I", "PASV", "STOR page.html", "QUIT"}));
    EXPECT_EQ(server.ReceivedData(), pageContent);
}

struct InjectionCase {
    const char* name;
    std::function<void(TFtpClient&)> prepare;
    std::function<void(TFtpClient&, const std::string&)> act;
    std::string error;
    Lines transcript;
};

TEST_F(FtpClientScriptedTest, ControlCharactersInArgumentsAreRefusedBeforeSending)
{
    const InjectionCase cases[] = {
        {"file name", {}, [](TFtpClient& c, const std::string& page) { c.Upload(page, "x.html\r\nDELE index.html"); },
         "The file name holds a control character", {"USER ann", "PASS secret", "QUIT"}},
        {"directory", {}, [](TFtpClient& c, const std::string&) { c.ChangeDirectory("www\nDELE index.html"); },
         "The directory name holds a control character", {"USER ann", "PASS secret", "QUIT"}},
        {"command", {}, [](TFtpClient& c, const std::string&) { c.SendCommand("MKD a\r\nRMD b"); },
         "The command holds a control character", {"USER ann", "PASS secret", "QUIT"}},
        {"user ID", [](TFtpClient& c) { c.UserID = "ann\r\nDELE x"; }, {}, "The user ID holds a control character",
         {"QUIT"}},
        {"password", [](TFtpClient& c) { c.Password = std::string("se\0cret", 7); }, {},
         "The password holds a control character", {"USER ann", "QUIT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer scripted;
        scripted.Start();
        TFtpClient ftp;
        ftp.Host = "127.0.0.1";
        ftp.Port = scripted.Port();
        ftp.UserID = "ann";
        ftp.Password = "secret";
        ftp.Passive = true;
        if (c.prepare)
            c.prepare(ftp);
        std::string error = ErrorOf([&] {
            ftp.Connect();
            c.act(ftp, pagePath);
        });
        EXPECT_EQ(error, c.error);
        if (ftp.Connected())
            ftp.Disconnect();
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript(), c.transcript);
    }
}

struct PasswordEchoCase {
    const char* password;
    const char* passReply;
    const char* error;
};

TEST_F(FtpClientScriptedTest, PasswordNeverAppearsInStatusOrErrors)
{
    const PasswordEchoCase cases[] = {
        {"secret", "530 Wrong password: secret\r\n", "530 Wrong password: ****\r\n"},
        {"secret", "530 Wrong password (secret).\r\n", "530 Wrong password (****).\r\n"},
        {"secret", "530 PASSsecretx refused\r\n", "530 PASS****x refused\r\n"},
        {"ab", "530 ababab\r\n", "530 ****\r\n"},
        // Only the reply code stays readable, even where a short password hides in words.
        {"5", "530 Login incorrect, 5 is wrong\r\n", "530 Login incorrect, **** is wrong\r\n"},
        {"o", "530 Login incorrect\r\n", "530 L****gin inc****rrect\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passReply);
        ScriptedFtpServer scripted;
        scripted.On("PASS", {{c.passReply}});
        scripted.Start();
        TFtpClient ftp;
        ftp.Host = "127.0.0.1";
        ftp.Port = scripted.Port();
        ftp.UserID = "ann";
        ftp.Password = c.password;
        std::string statusTexts;
        ftp.ReportLevel = 8;
        ftp.OnStatus = [&](TSocketConnection&, const std::string& text) { statusTexts += text + "\n"; };
        EXPECT_EQ(ErrorOf([&] { ftp.Connect(); }), c.error);
        EXPECT_FALSE(ftp.Connected());
        ftp.OnStatus = nullptr;
        EXPECT_NE(statusTexts.find(c.error), std::string::npos) << statusTexts;
        if (std::string(c.error) != c.passReply)
            EXPECT_EQ(statusTexts.find(c.passReply), std::string::npos) << statusTexts;
        EXPECT_NE(statusTexts.find("PASS \n"), std::string::npos) << statusTexts;
        scripted.WaitUntilDone();
        EXPECT_EQ(scripted.Transcript(), (Lines{"USER ann", "PASS " + std::string(c.password), "QUIT"}));
    }
}

TEST_F(FtpClientScriptedTest, StatusTextsFollowTheReportLevel)
{
    server.Start();
    Lines level0, level1;
    client.OnStatus = [&](TSocketConnection&, const std::string& text) { level0.push_back(text); };
    client.Connect();
    EXPECT_EQ(level0, Lines{}) << "level 0 reports nothing";
    client.Disconnect();

    ScriptedFtpServer second;
    second.Start();
    client.Port = second.Port();
    client.ReportLevel = 1;
    client.OnStatus = [&](TSocketConnection&, const std::string& text) { level1.push_back(text); };
    client.Connect();
    client.Disconnect();
    EXPECT_EQ(level1, (Lines{"220 Scripted server ready\r\n", "USER ann", "331 Password required\r\n", "PASS ",
                             "230 Logged in\r\n", "QUIT", "221 Goodbye\r\n"}));
}

struct CommandCase {
    const char* command;
    const char* reply;
    Lines events;
};

TEST_F(FtpClientScriptedTest, SingleCommandsAreJudgedByTheirReply)
{
    const CommandCase cases[] = {
        {"CWD www", "250 OK\r\n", {"Success(0)"}},
        {"CWD missing", "550 No such directory\r\n", {"Failure(0)"}},
        {"MKD new", "257 Created\r\n", {"Success(1)"}},
        {"DELE old.html", "450 Busy\r\n", {"Failure(2)"}},
        {"RMD gone", "250 Removed\r\n", {"Success(3)"}},
        {"PWD", "257 \"/\"\r\n", {"Success(15)"}},
        {"NOOP", "200 OK\r\n", {"Success(14)"}},
        {"SITE CHMOD 644 x", "502 Not here\r\n", {"UnSupported(14)", "Failure(14)"}},
        {"CWDX www", "250 OK\r\n", {"Success(14)"}},
    };
    handleFailures = true;
    for (const auto& c : cases) {
        std::string command = c.command;
        server.On(command.substr(0, command.find(' ')), {{c.reply}});
    }
    server.Start();
    client.Connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        events.clear();
        client.SendCommand(c.command);
        EXPECT_EQ(events, c.events);
    }
}

TEST_F(FtpClientScriptedTest, UnhandledCommandRefusalRaisesTheReply)
{
    server.On("CWD", {{"550 No such directory\r\n"}});
    server.Start();
    client.Connect();
    EXPECT_EQ(ErrorOf([&] { client.ChangeDirectory("missing"); }), "550 No such directory\r\n");
    EXPECT_EQ(events, (Lines{"Connect", "Failure(0)"}));
    client.OnFailure = nullptr;
    EXPECT_EQ(ErrorOf([&] { client.ChangeDirectory("missing"); }), "550 No such directory\r\n");
}

TEST_F(FtpClientScriptedTest, WholeUploadRunsNestedInConnectAsTheDialogDrivesIt)
{
    client.OnConnect = [this](TSocketConnection&) {
        events.push_back("Connect");
        client.ChangeDirectory("public_html");
    };
    client.OnSuccess = [this](TFtpClient&, TCmdType type) {
        events.push_back("Success(" + std::to_string(type) + ")");
        if (type == ctChangeDirectory) {
            client.Upload(pagePath, FileNamePart(pagePath));
            client.Disconnect();
        }
    };
    server.Start();
    client.Connect();
    EXPECT_EQ(events, (Lines{"Connect", "Success(0)", "TransactionStart", "TransactionStop", "Success(9)"}));
    EXPECT_FALSE(client.Connected());
    server.WaitUntilDone();
    EXPECT_EQ(server.Transcript(),
              (Lines{"USER ann", "PASS secret", "CWD public_html", "TYPE I", "PASV", "STOR page.html", "QUIT"}));
}

TEST_F(FtpClientScriptedTest, FailureInsideTheConnectHandlerDisconnects)
{
    server.On("CWD", {{"550 No such directory\r\n"}});
    client.OnConnect = [this](TSocketConnection&) { client.ChangeDirectory("missing"); };
    server.Start();
    EXPECT_EQ(ErrorOf([&] { client.Connect(); }), "550 No such directory\r\n");
    EXPECT_FALSE(client.Connected());
    server.WaitUntilDone();
    EXPECT_EQ(server.Transcript(), (Lines{"USER ann", "PASS secret", "CWD missing", "QUIT"}));
}

}  // namespace
