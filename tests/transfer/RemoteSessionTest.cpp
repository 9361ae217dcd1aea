// One table of operations run through the transfer service against pyftpdlib (MLSD), vsftpd (LIST only,
// TLS) and an SFTP server, all on 127.0.0.1; the scripted server for a server that refuses renames.
#include "transfer/RemoteSession.h"

#include "transfer/KeptSession.h"

#include "support/net/RealFtpServer.h"
#include "support/net/ScriptedFtpServer.h"
#include "support/net/SftpTestServer.h"
#include "support/net/TlsTestCertificates.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class TrustingListener : public TTransferListener {
public:
    TTrustAnswer AskHostKey(const THostKeyQuestion&) override { return TTrustAnswer::TrustAndRemember; }
    void BytesMoved(std::uint64_t done, std::uint64_t) override
    {
        if (OnBytes)
            OnBytes(done);
    }
    void StepStarted(TTransferStep step) override
    {
        if (OnStep)
            OnStep(step);
    }
    std::function<void(std::uint64_t)> OnBytes;
    std::function<void(TTransferStep)> OnStep;
};

struct Target {
    const char* what;
    TConnectionProfile profile;
    std::string uploadFolder;  // where the profile's folder is on disk
};

class RemoteSessionTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const TlsTestCertificates& certificates = TestCertificates();
        pyftpd = RealFtpServer::Start(FtpServerKind::Pyftpdlib);
        FtpServerOptions tls{"127.0.0.1", certificates.Certificate, certificates.Key};
        tls.AnonymousMayChange = true;
        vsftpd = RealFtpServer::Start(FtpServerKind::Vsftpd, tls);
        sftp = SftpTestServer::Start();
    }
    static void TearDownTestSuite()
    {
        pyftpd.reset();
        vsftpd.reset();
        sftp.reset();
    }

    std::vector<Target> Targets() const
    {
        std::filesystem::create_directories(sftp->Root() + "/upload");
        return {
            {"FTP, MLSD", {"", pyftpd->User(), pyftpd->Password(), "127.0.0.1", true, std::to_string(pyftpd->Port()), "upload"},
             pyftpd->UploadPath()},
            {"FTPS, LIST", {"", vsftpd->User(), vsftpd->Password(), "ftps://127.0.0.1", true, std::to_string(vsftpd->Port()), "upload"},
             vsftpd->UploadPath()},
            {"SFTP", {"", sftp->User(), sftp->Password(), "sftp://127.0.0.1", true, std::to_string(sftp->Port()), "upload"},
             sftp->Root() + "/upload"},
        };
    }

    TSessionOptions Options() const
    {
        TSessionOptions options;
        options.TimeoutSeconds = 20;
        options.KnownHostsPath = work + "/known_hosts";
        options.TrustedServersPath = work + "/trusted_servers";
        return options;
    }

    void Run(const Target& target);

    static std::vector<std::string> NamesIn(const std::vector<TRemoteEntry>& entries)
    {
        std::vector<std::string> names;
        for (const TRemoteEntry& entry : entries)
            names.push_back(entry.Name);
        std::sort(names.begin(), names.end());
        return names;
    }

    static inline std::unique_ptr<RealFtpServer> pyftpd, vsftpd;
    static inline std::unique_ptr<SftpTestServer> sftp;
    std::string work = MakeTempDirectory("tallo-transfer-");
    TrustingListener listener;
};

TEST_F(RemoteSessionTest, EveryOperationOverEveryProtocol)
{
    // FTPS: vsftpd takes each TLS 1.3 session of a data connection once only ("522 session reuse
    // required"), and the table opens several data connections on one session.
    for (const Target& target : Targets()) {
        SCOPED_TRACE(target.what);
        Run(target);
    }
}

void RemoteSessionTest::Run(const Target& target)
{
    const std::string page = work + "/page.html";
    {
        std::filesystem::remove_all(target.uploadFolder + "/site");
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(target.profile, Options(), listener);

        session->MakeFolder("site/a b/c");
        session->MakeFolder("site/a b");  // there already: no error
        EXPECT_TRUE(std::filesystem::is_directory(target.uploadFolder + "/site/a b/c"));

        WriteBytes(page, "first");
        EXPECT_EQ(session->Put(page, "site/a b/page.html").Bytes, 5u);
        WriteBytes(page, std::string("second\r\n\0\xff", 10));
        const TPutResult replaced = session->Put(page, "site/a b/page.html");
        EXPECT_NE(replaced.Mode, TReplaceMode::Direct);
        EXPECT_EQ(ReadBytes(target.uploadFolder + "/site/a b/page.html"), ReadBytes(page));
        ASSERT_TRUE(replaced.After);
        EXPECT_EQ(replaced.After->Size, 10u);
        EXPECT_TRUE(replaced.After->ModifiedUtc);

        const std::vector<TRemoteEntry> listed = session->List("site/a b");
        EXPECT_EQ(NamesIn(listed), (std::vector<std::string>{"c", "page.html"}));  // no temporary file left
        for (const TRemoteEntry& entry : listed)
            EXPECT_EQ(entry.Kind, entry.Name == "c" ? TRemoteKind::Folder : TRemoteKind::File) << entry.Name;

        const std::optional<TRemoteEntry> stat = session->Stat("site/a b/page.html");
        ASSERT_TRUE(stat);
        EXPECT_EQ(stat->Size, 10u);
        EXPECT_FALSE(session->Stat("site/missing.html"));

        EXPECT_EQ(session->Download("site/a b/page.html", work + "/back.html"), 10u);
        EXPECT_EQ(ReadBytes(work + "/back.html"), ReadBytes(page));

        session->Rename("site/a b/page.html", "site/moved.html");
        session->Remove("site/moved.html");
        EXPECT_FALSE(session->Stat("site/moved.html"));
        try {
            session->Remove("site/moved.html");
            ADD_FAILURE() << "removing a missing file succeeded";
        } catch (const ETransferError& error) {
            EXPECT_EQ(error.Kind(), TFailureKind::Permanent);
        }
        EXPECT_THROW(session->Stat("site/bad\nname"), ETransferError);
        session->Close();
    }
}

TEST_F(RemoteSessionTest, AStoppedUploadLeavesTheOldFileWhole)
{
    const std::string large = work + "/large.html";
    std::ofstream(large, std::ios::binary).close();
    ASSERT_EQ(::truncate(large.c_str(), 64 << 20), 0);
    for (const Target& target : Targets()) {
        SCOPED_TRACE(target.what);
        WriteBytes(target.uploadFolder + "/keep.html", "old page");
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(target.profile, Options(), listener);
        listener.OnBytes = [&](std::uint64_t done) {
            if (done > (1u << 20))
                session->Cancel();
        };
        try {
            session->Put(large, "keep.html");
            ADD_FAILURE() << "the upload was not stopped";
        } catch (const ETransferError& error) {
            EXPECT_EQ(error.Kind(), TFailureKind::Cancelled);
        }
        listener.OnBytes = nullptr;
        EXPECT_EQ(ReadBytes(target.uploadFolder + "/keep.html"), "old page");
        for (const auto& file : std::filesystem::directory_iterator(target.uploadFolder))
            EXPECT_FALSE(IsSafeReplaceTemporaryName(file.path().filename().string())) << file.path();
        // The session goes on after a stop, on a fresh connection.
        EXPECT_TRUE(session->Stat("keep.html"));
    }
}

// Sizes around the reads kept in flight (64 KiB each): none, one byte, one read, a window and more
// with a short last read; twice on one session, so nothing of the first download is left to the second.
TEST_F(RemoteSessionTest, DownloadsComeBackByteForByte)
{
    const std::size_t sizes[] = {0, 1, 65536, 20 * 65536 + 7};
    std::string bytes(20 * 65536 + 7, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 5);
    for (const Target& target : Targets()) {
        SCOPED_TRACE(target.what);
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(target.profile, Options(), listener);
        for (int round = 0; round < 2; ++round)
            for (const std::size_t size : sizes) {
                SCOPED_TRACE(size);
                WriteBytes(target.uploadFolder + "/down.bin", bytes.substr(0, size));
                EXPECT_EQ(session->Download("down.bin", work + "/down.bin"), size);
                EXPECT_EQ(ReadBytes(work + "/down.bin"), bytes.substr(0, size));
            }
    }
}

// The cancel comes before the upload's first command: it must hold through every exchange of the Put,
// so the Put ends without the silent server answering (the time-out is 20 s).
TEST_F(RemoteSessionTest, ACancelEndsTheWholeOperationOnASilentServer)
{
    const Target target = Targets().front();
    WriteBytes(work + "/page.html", "hello");
    const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(target.profile, Options(), listener);
    pyftpd->Pause();
    listener.OnStep = [&](TTransferStep step) {
        if (step == TTransferStep::Send)
            session->Cancel();
    };
    const auto started = std::chrono::steady_clock::now();
    try {
        session->Put(work + "/page.html", "page.html");
        ADD_FAILURE() << "the upload was not stopped";
    } catch (const ETransferError& error) {
        EXPECT_EQ(error.Kind(), TFailureKind::Cancelled);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    pyftpd->Resume();
    listener.OnStep = nullptr;
    // The next operation starts afresh.
    EXPECT_NO_THROW(session->Put(work + "/page.html", "page.html"));
}

// Asked for the direct write, an SFTP session stores straight under the name.
TEST_F(RemoteSessionTest, SftpWritesStraightToTheNameWhenAsked)
{
    const Target target = Targets().back();
    WriteBytes(work + "/page.html", "direct");
    TSessionOptions options = Options();
    options.PutWrite = TPutWrite::Direct;
    const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(target.profile, options, listener);
    EXPECT_EQ(session->Put(work + "/page.html", "page.html").Mode, TReplaceMode::Direct);
    EXPECT_EQ(ReadBytes(target.uploadFolder + "/page.html"), "direct");
}

TEST_F(RemoteSessionTest, AServerThatRefusesRenamesGetsTheBytesStraightAndSaysSo)
{
    // Asked for the direct write, the session sends the one STOR and nothing else. A large file is not
    // sent twice: an empty one tries the rename first.
    struct Case {
        const char* what;
        TPutWrite write;
        std::size_t bytes;
        std::vector<std::string> stores;
        std::vector<std::size_t> sizes;
    };
    const std::size_t large = 5 << 20;
    const Case cases[] = {
        {"safe replace", TPutWrite::SafeReplace, 5,
         {"STOR <temporary>", "RNFR <temporary>", "DELE <temporary>", "STOR page.html"}, {5, 5}},
        {"safe replace, large", TPutWrite::SafeReplace, large,
         {"STOR <temporary>", "RNFR <temporary>", "DELE <temporary>", "STOR page.html"}, {0, large}},
        {"direct", TPutWrite::Direct, 5, {"STOR page.html"}, {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFtpServer server;
        server.On("RNFR", {{"553 Renaming is not allowed\r\n"}});
        server.On("SIZE", {{"213 5\r\n"}});
        server.On("MDTM", {{"213 20240101000000\r\n"}});
        server.Start();
        WriteBytes(work + "/page.html", std::string(c.bytes, 'h'));
        const TConnectionProfile profile{"", "ann", "secret", "127.0.0.1", true, std::to_string(server.Port()), ""};
        TSessionOptions options = Options();
        options.PutWrite = c.write;
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(profile, options, listener);
        const TPutResult result = session->Put(work + "/page.html", "page.html");
        session->Close();
        EXPECT_EQ(result.Mode, TReplaceMode::Direct);
        std::vector<std::string> stores;
        for (const std::string& line : server.Transcript())
            if (line.rfind("STOR ", 0) == 0 || line.rfind("RNFR ", 0) == 0 || line.rfind("DELE ", 0) == 0)
                stores.push_back(line.substr(0, 5) +
                                 (IsSafeReplaceTemporaryName(line.substr(5)) ? "<temporary>" : line.substr(5)));
        EXPECT_EQ(stores, c.stores);
        EXPECT_EQ(server.UploadSizes(), c.sizes);
    }
}

}  // namespace

namespace {

// A scripted session: log-in as the defaults answer it, FEAT without MLST (so LIST, SIZE and MDTM).
struct ScriptedCase {
    const char* what;
    int keepAliveSeconds;
    std::vector<std::pair<std::string, ScriptedReply>> script;
    int sessions;                        // control connections the server should see
    std::vector<std::string> transcript;  // the commands after log-in, across every connection
};

const ScriptedReply kDropped{{"421 Timeout, closing control connection\r\n"}, ServerAction::CloseControl};
const ScriptedReply kSize{{"213 5\r\n"}};

}  // namespace

TEST_F(RemoteSessionTest, KeepAliveAndOneReconnectionOnAScriptedServer)
{
    const ScriptedCase cases[] = {
        {"an idle session sends NOOP first", 0, {{"SIZE", kSize}}, 1, {"NOOP", "SIZE a.html", "MDTM a.html"}},
        {"a busy one does not", 3600, {{"SIZE", kSize}}, 1, {"SIZE a.html", "MDTM a.html"}},
        {"421 to the keep-alive: connected again", 0, {{"NOOP", kDropped}, {"NOOP", {{"200 NOOP ok\r\n"}}}, {"SIZE", kSize}}, 2,
         {"NOOP", "SIZE a.html", "MDTM a.html"}},
        {"421 in the middle: connected again, tried once more", 3600, {{"SIZE", kDropped}, {"SIZE", kSize}}, 2,
         {"SIZE a.html", "SIZE a.html", "MDTM a.html"}},
    };
    for (const ScriptedCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFtpServer server;
        server.On("MDTM", {{"213 20240101000000\r\n"}});
        for (const auto& [verb, reply] : c.script)
            server.On(verb, reply);
        server.Start(2);
        TSessionOptions options = Options();
        options.KeepAliveSeconds = c.keepAliveSeconds;
        const TConnectionProfile profile{"", "ann", "secret", "127.0.0.1", true, std::to_string(server.Port()), ""};
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(profile, options, listener);
        const std::optional<TRemoteEntry> entry = session->Stat("a.html");
        session->Close();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->Size, 5u);
        std::vector<std::string> after;
        int logIns = 0;
        for (const std::string& line : server.Transcript()) {
            logIns += line.rfind("USER ", 0) == 0;
            if (line.rfind("SIZE", 0) == 0 || line.rfind("MDTM", 0) == 0 || line == "NOOP")
                after.push_back(line);
        }
        EXPECT_EQ(logIns, c.sessions);
        EXPECT_EQ(after, c.transcript);
    }
}

TEST_F(RemoteSessionTest, WindowsListingFromAScriptedServer)
{
    ScriptedFtpServer server;
    ScriptedReply listing{{"150 Opening ASCII mode data connection\r\n"}, ServerAction::SendData, {"226 Transfer complete\r\n"}};
    listing.data = "01-02-24  03:04PM       <DIR>          old site\r\n"
                   "12-31-2023  11:59PM                 42 index page.htm\r\n"
                   "01-02-24  03:04AM                  0 empty.txt\r\n";
    server.On("LIST", listing);
    server.Start();
    const TConnectionProfile profile{"", "ann", "secret", "127.0.0.1", true, std::to_string(server.Port()), ""};
    const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(profile, Options(), listener);
    const std::vector<TRemoteEntry> entries = session->List("site");
    session->Close();
    struct Expected {
        const char* name;
        TRemoteKind kind;
        std::optional<std::uint64_t> size;
        std::int64_t time;
    };
    const Expected expected[] = {
        {"old site", TRemoteKind::Folder, std::nullopt, 1704207840},
        {"index page.htm", TRemoteKind::File, 42, 1704067140},
        {"empty.txt", TRemoteKind::File, 0, 1704164640},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].Name, expected[i].name);
        EXPECT_EQ(entries[i].Kind, expected[i].kind);
        EXPECT_EQ(entries[i].Size, expected[i].size);
        EXPECT_EQ(entries[i].ModifiedUtc, expected[i].time);
    }
    const std::vector<std::string> transcript = server.Transcript();
    EXPECT_NE(std::find(transcript.begin(), transcript.end(), "LIST site"), transcript.end());
}

// Each letter one use of the kept session: L a listing, R a removal the server refuses (550), X a local
// failure in the middle of an operation, N a listing while another use holds the session.
TEST_F(RemoteSessionTest, AKeptSessionLogsInAgainOnlyWhenItsStateIsInDoubtOrItIsLentOut)
{
    const struct {
        const char* uses;
        int logIns;
    } cases[] = {{"LL", 1}, {"LRL", 1}, {"LXL", 2}, {"NL", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uses);
        auto counting = std::make_unique<TrustingListener>();
        int logIns = 0;
        counting->OnStep = [&](TTransferStep step) { logIns += step == TTransferStep::LogIn; };
        TKeptSession kept(Targets()[0].profile, Options(), std::move(counting));
        const auto list = [](TRemoteSession& session) { session.List("."); };
        for (const char* use = c.uses; *use; ++use) {
            if (*use == 'L')
                kept.Use(list);
            if (*use == 'R')
                EXPECT_THROW(kept.Use([](TRemoteSession& session) { session.Remove("no-such-file"); }), ETransferError);
            if (*use == 'X')
                EXPECT_THROW(kept.Use([](TRemoteSession&) { throw std::runtime_error("local"); }), std::runtime_error);
            if (*use == 'N')
                kept.Use([&](TRemoteSession& session) {
                    kept.Use(list);
                    session.List(".");
                });
        }
        EXPECT_EQ(logIns, c.logIns);
    }
}

namespace {

struct RenameCase {
    const char* what;
    std::vector<std::pair<std::string, ScriptedReply>> script;
    int sessions;
    std::optional<TReplaceMode> mode;  // nothing: the Put fails
    int failureCode;
    std::vector<std::string> transcript;  // STOR, RNFR, RNTO, DELE and SIZE, temporary names as <t>
};

}  // namespace

// RNFR and RNTO go out together; each reply is still judged in order, and one left unread never
// becomes the reply of a later command (the Stat after the Put reads its own).
TEST_F(RemoteSessionTest, ARenameSentWithItsPartnerIsJudgedInOrder)
{
    const ScriptedReply ready{{"350 Ready for RNTO\r\n"}};
    const RenameCase cases[] = {
        {"RNFR refused for now: the temporary file goes, the failure is RNFR's", {{"RNFR", {{"450 Busy\r\n"}}}}, 1,
         std::nullopt, 450, {"STOR <t>", "RNFR <t>", "RNTO page.html", "DELE <t>", "SIZE a.html"}},
        {"421 to RNFR: connected again, sent again", {{"RNFR", kDropped}, {"RNFR", ready}}, 2, TReplaceMode::Renamed, 0,
         {"STOR <t>", "RNFR <t>", "STOR <t>", "RNFR <t>", "RNTO page.html", "SIZE a.html"}},
        {"RNTO refused over a file: removed, then renamed", {{"RNFR", ready}, {"RNTO", {{"553 Exists\r\n"}}}, {"RNTO", {{"250 Renamed\r\n"}}}},
         1, TReplaceMode::RemovedThenRenamed, 0,
         {"STOR <t>", "RNFR <t>", "RNTO page.html", "SIZE page.html", "DELE page.html", "RNFR <t>", "RNTO page.html",
          "SIZE a.html"}},
    };
    for (const RenameCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedFtpServer server;
        server.On("SIZE", kSize);
        server.On("MDTM", {{"213 20240101000000\r\n"}});
        for (const auto& [verb, reply] : c.script)
            server.On(verb, reply);
        server.Start(c.sessions);
        WriteBytes(work + "/page.html", "hello");
        TSessionOptions options = Options();
        options.AfterPut = TAfterPut::Nothing;
        const TConnectionProfile profile{"", "ann", "secret", "127.0.0.1", true, std::to_string(server.Port()), ""};
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(profile, options, listener);
        try {
            EXPECT_EQ(session->Put(work + "/page.html", "page.html").Mode, c.mode);
        } catch (const ETransferError& error) {
            EXPECT_FALSE(c.mode) << error.what();
            EXPECT_EQ(error.ReplyCode(), c.failureCode);
        }
        const std::optional<TRemoteEntry> entry = session->Stat("a.html");
        session->Close();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->Size, 5u);
        std::vector<std::string> commands;
        for (const std::string& line : server.Transcript()) {
            const std::string verb = line.substr(0, 5);
            if (verb == "STOR " || verb == "RNFR " || verb == "RNTO " || verb == "DELE " || verb == "SIZE ")
                commands.push_back(verb + (IsSafeReplaceTemporaryName(line.substr(5)) ? "<t>" : line.substr(5)));
        }
        EXPECT_EQ(commands, c.transcript);
    }
}
