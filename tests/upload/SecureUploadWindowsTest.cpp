// The protocol choice of the New FTP Connection dialog, and Test and Upload over SFTP and FTPS against
// real servers on loopback (paramiko, vsftpd with TLS), with the scripted platform answering the trust
// questions.
#include "net/MessagePump.h"
#include "net/TrustedServers.h"
#include "support/ScriptedPlatform.h"
#include "support/net/RealFtpServer.h"
#include "support/net/SftpTestServer.h"
#include "support/net/TlsTestCertificates.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ConnectU.h"
#include "upload/dialogs/FTPU.h"
#include "upload/dialogs/TransferPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

int FilesIn(const std::string& folder)
{
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files += entry.is_regular_file() ? 1 : 0;
    return files;
}

SftpTestServer& Server()
{
    static std::unique_ptr<SftpTestServer> server = SftpTestServer::Start();
    return *server;
}

// vsftpd requiring TLS with a certificate the test authority signed or a self-signed one, vsftpd
// without TLS (on 127.0.0.1 or ::1), and pyftpdlib for a log-in that can be refused.
enum class Ftp { Signed, SelfSigned, Plain, PlainIpv6, WithPassword };

RealFtpServer& FtpServer(Ftp which)
{
    static std::map<Ftp, std::unique_ptr<RealFtpServer>> servers;
    std::unique_ptr<RealFtpServer>& server = servers[which];
    if (!server) {
        const TlsTestCertificates& certificates = TestCertificates();
        FtpServerOptions options;
        if (which == Ftp::Signed)
            options = {"127.0.0.1", certificates.Certificate, certificates.Key};
        if (which == Ftp::SelfSigned)
            options = {"127.0.0.1", certificates.SelfSigned, certificates.SelfSignedKey};
        if (which == Ftp::PlainIpv6)
            options.Address = "::1";
        server = RealFtpServer::Start(which == Ftp::WithPassword ? FtpServerKind::Pyftpdlib : FtpServerKind::Vsftpd,
                                      options);
    }
    return *server;
}

TConnectionProfile FtpProfile(Ftp which, const std::string& hostLine, bool passive, const std::string& directory)
{
    RealFtpServer& server = FtpServer(which);
    return {"site", server.User(), server.Password(), hostLine, passive, std::to_string(server.Port()), directory};
}

// The buttons of a trust question: "Refuse" (the default), "Trust and remember" (for a changed
// certificate: "Replace the trusted certificate").
constexpr int kRefuse = 0;
constexpr int kTrust = 1;
constexpr int kReplace = 1;

class SecureUploadWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetMessagePump([] { QCoreApplication::processEvents(); });
        std::ofstream(pagePath, std::ios::binary) << pageBytes;
        form3.UploadPath = QString::fromStdString(pagePath);
        form4.KnownHostsPath = form3.KnownHostsPath = knownHosts;
        form4.TrustedServersPath = form3.TrustedServersPath = trustedServers;
        TestCertificates();  // before the first TLS connection: it names the trust store
    }

    void TearDown() override
    {
        SetMessagePump(nullptr);
        RemoveTree(folder);
    }

    void ForgetKnownHosts() const { RemoveTree(folder + "/config"); }

    void KnowAForeignKey() const
    {
        ForgetKnownHosts();
        ::mkdir((folder + "/config").c_str(), 0700);
        ::mkdir((folder + "/config/tallo").c_str(), 0700);
        std::ofstream(knownHosts) << Server().ForeignKnownHostsLine();
    }

    static TConnectionProfile SftpProfile(const std::string& directory)
    {
        return {"site", Server().User(), Server().Password(), "sftp://127.0.0.1", true,
                std::to_string(Server().Port()), directory};
    }

    void Fill(const TConnectionProfile& profile)
    {
        form4.PrepareEditProfile(profile, 0);
    }

    void SaveProfile(const TConnectionProfile& profile)
    {
        TProfileLines lines;
        InsertProfileOnTop(lines, profile);
        TProfileFile(profilePath).Write(lines);
        form3.LoadList();
        form3.ListBox1->setCurrentRow(0);
    }

    std::vector<QString> Questions() const { return desktop.MessageTexts(MessageKind::Question); }

    ScriptedPlatform desktop;
    std::string folder = MakeTempDirectory("tallo-secure-upload-");
    std::string profilePath = folder + "/connect.set";
    std::string knownHosts = folder + "/config/tallo/known_hosts";
    std::string trustedServers = folder + "/config/tallo/trusted_servers";
    std::string pagePath = folder + "/page.html";
    std::string pageBytes = std::string("<html>\r\n\xC3\xA9\0\xFF</html>\n", 18);
    TForm4 form4{profilePath};
    TForm3 form3{form4, profilePath};
};

TEST_F(SecureUploadWindowsTest, TheProtocolChoiceRoundTripsThroughTheHostLine)
{
    struct Case {
        const char* what;
        int choose;  // -1: the list is left alone
        const char* typedHost;
        const char* portBefore;
        const char* hostLine;
        const char* port;
    };
    const Case cases[] = {
        {"plain FTP as always", -1, "example.com", "21", "example.com", "21"},
        {"FTPS keeps 21", 1, "example.com", "21", "ftps://example.com", "21"},
        {"SFTP offers 22 for 21", 2, "example.com", "21", "sftp://example.com", "22"},
        {"SFTP offers 22 for none", 2, "[::1]", "", "sftp://[::1]", "22"},
        {"SFTP keeps a typed port", 2, "example.com", "2222", "sftp://example.com", "2222"},
        {"back to FTP from SFTP's 22", 0, "sftp://example.com", "21", "example.com", "21"},
        {"a scheme typed into Host", -1, "SFTP://example.com", "21", "sftp://example.com", "22"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(profilePath.c_str());
        form4.PrepareNewProfile();
        form4.Edit1->setText(QStringLiteral("n"));
        form4.Edit2->setText(QStringLiteral("u"));
        form4.Edit3->setText(QStringLiteral("p"));
        form4.Edit5->setText(QString::fromLatin1(c.portBefore));
        form4.Edit4->setText(QString::fromLatin1(c.typedHost));
        form4.Edit4Edited(form4.Edit4->text());
        if (c.choose >= 0)
            form4.ComboBox1->setCurrentIndex(c.choose);
        form4.Button1Click();
        const TProfileLines lines = ParseProfileLines(ReadBytes(profilePath));
        ASSERT_EQ(lines.size(), kProfileLineCount);
        EXPECT_EQ(lines[3], c.hostLine);
        EXPECT_EQ(lines[5], c.port);

        // Opened again: the list shows the protocol, the field the name alone; saved untouched, same bytes.
        const std::string saved = ReadBytes(profilePath);
        form4.PrepareEditProfile(ProfileAt(lines, 0), 0);
        const TServerAddress address = ParseServerAddress(c.hostLine);
        EXPECT_EQ(form4.ComboBox1->currentIndex(), static_cast<int>(address.Protocol));
        EXPECT_EQ(form4.Edit4->text().toStdString(), address.Host);
        EXPECT_EQ(form4.SecurityLabel->text().startsWith("Not secure"), address.Protocol == TTransferProtocol::Ftp);
        EXPECT_EQ(form4.CheckBox1->isEnabled(), address.Protocol != TTransferProtocol::Sftp);
        form4.Button1Click();
        EXPECT_EQ(ReadBytes(profilePath), saved);
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SecureUploadWindowsTest, AnUntouchedHostLineKeepsItsSchemesSpelling)
{
    std::ofstream(profilePath, std::ios::binary) << "n\r\nu\r\np\r\nSFTP://Host\r\nYes\r\n22\r\n\r\n";
    form4.PrepareEditProfile(ProfileAt(ParseProfileLines(ReadBytes(profilePath)), 0), 0);
    EXPECT_EQ(form4.Protocol(), TTransferProtocol::Sftp);
    form4.Edit6->setText(QStringLiteral("www"));
    form4.Button1Click();
    EXPECT_EQ(ReadBytes(profilePath), "n\r\nu\r\np\r\nSFTP://Host\r\nYes\r\n22\r\nwww\r\n");
}

TEST_F(SecureUploadWindowsTest, SftpTestNamesWhatHappenedAndAsksBeforeTrusting)
{
    struct Case {
        const char* what;
        std::function<void(TConnectionProfile&)> change;
        std::deque<int> answers;
        bool foreignKey;
        std::vector<QString> messages;
        size_t errors;
        size_t questions;
        QString status;
        bool passwordSent;
    };
    const QString failed = QStringLiteral("Connection is failed!");
    const Case cases[] = {
        {"trusted, no folder", [](TConnectionProfile&) {}, {kTrust}, false, {"Connection is successfully!"}, 0, 1,
         "Test passed.", true},
        {"trusted, folder", [](TConnectionProfile& p) { p.Directory = "upload"; }, {kTrust}, false,
         {"Connection is successfully!"}, 0, 1, "Test passed.", true},
        {"key refused", [](TConnectionProfile&) {}, {kRefuse}, false, {failed}, 1, 1,
         "Test failed: the server's certificate or key was not accepted.", false},
        {"question closed with Esc", [](TConnectionProfile&) {}, {}, false, {failed}, 1, 1,
         "Test failed: the server's certificate or key was not accepted.", false},
        {"key changed", [](TConnectionProfile&) {}, {kTrust}, true, {failed}, 1, 0,
         "Test failed: the server's certificate or key was not accepted.", false},
        {"wrong password", [](TConnectionProfile& p) { p.Password += "x"; }, {kTrust}, false, {failed}, 1, 1,
         "Test failed: the log-in was refused.", true},
        {"missing folder", [](TConnectionProfile& p) { p.Directory = "nowhere"; }, {kTrust}, false,
         {"Bad Directory!"}, 1, 1, "Test failed: the folder could not be opened.", true},
        {"unknown host", [](TConnectionProfile& p) { p.Host = "sftp://no-such-host.invalid"; }, {}, false, {}, 1,
         0, "Test failed: the host name could not be found.", false},
        {"nothing listening", [](TConnectionProfile& p) { p.Port = std::to_string(FreeLoopbackPort()); }, {},
         false, {failed}, 1, 0, "Test failed: no connection could be made to the server.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.foreignKey ? KnowAForeignKey() : ForgetKnownHosts();
        TConnectionProfile profile = SftpProfile("");
        c.change(profile);
        Fill(profile);
        desktop.ClearRecords();
        desktop.askAnswers = c.answers;
        const int attempts = Server().LogInAttempts();
        const int filesBefore = FilesIn(Server().Root());
        form4.Button2Click();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), c.messages);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Error).size(), c.errors);
        ASSERT_EQ(Questions().size(), c.questions);
        EXPECT_EQ(form4.Panel->StatusLabel->text(), c.status);
        EXPECT_EQ(Server().LogInAttempts() > attempts, c.passwordSent);
        EXPECT_FALSE(std::ifstream(profilePath).good());
        EXPECT_EQ(FilesIn(Server().Root()), filesBefore) << "a test sends nothing";
        for (const RecordedMessage& message : desktop.messages)
            EXPECT_FALSE(message.text.contains(QString::fromStdString(Server().Password())));
        if (c.foreignKey)
            EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).front().startsWith("WARNING"));
        if (c.questions) {
            const RecordedMessage& question = desktop.messages.front();
            EXPECT_EQ(question.caption, QStringLiteral("Unknown server key"));
            EXPECT_TRUE(question.text.contains("127.0.0.1") && question.text.contains("ssh-ed25519") &&
                        question.text.contains("SHA256:"))
                << question.text.toStdString();
        }
    }
}

TEST_F(SecureUploadWindowsTest, SftpUploadStoresThePageOrSaysWhyNot)
{
    struct Case {
        const char* what;
        const char* directory;
        std::deque<int> answers;
        std::vector<QString> messages;
        size_t errors;
        const char* stored;  // nullptr: nothing may arrive
    };
    const Case cases[] = {
        {"log-in folder", "", {kTrust}, {"Upload is successfully!"}, 0, "/page.html"},
        {"into a folder, key remembered", "upload", {}, {"Upload is successfully!"}, 0, "/upload/page.html"},
        {"missing folder", "nowhere", {}, {"Bad Directory!"}, 1, nullptr},
        {"key refused", "", {kRefuse}, {}, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.answers.size())
            ForgetKnownHosts();
        std::remove((Server().Root() + "/page.html").c_str());
        std::remove((Server().Root() + "/upload/page.html").c_str());
        SaveProfile(SftpProfile(c.directory));
        desktop.ClearRecords();
        desktop.askAnswers = c.answers;
        form3.Button3Click();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), c.messages);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Error).size(), c.errors);
        EXPECT_EQ(Questions().size(), c.answers.size());
        if (c.stored) {
            EXPECT_EQ(ReadBytes(Server().Root() + c.stored), pageBytes);
            EXPECT_EQ(form3.Panel->ProgressBar->value(), form3.Panel->ProgressBar->maximum());
        } else {
            EXPECT_FALSE(std::ifstream(Server().Root() + "/page.html").good());
        }
    }
}

TEST_F(SecureUploadWindowsTest, CancelEndsALargeSftpUploadAndTheNextOneWorks)
{
    const std::string largePath = folder + "/large.html";
    std::ofstream(largePath, std::ios::binary).close();
    ASSERT_EQ(::truncate(largePath.c_str(), 256 << 20), 0);  // sparse: no disk written for it
    SaveProfile(SftpProfile("upload"));
    desktop.askAnswers = {kTrust};
    form3.UploadPath = QString::fromStdString(largePath);
    bool locked = false;
    QObject::connect(form3.Panel->ProgressBar, &QProgressBar::valueChanged, &form3, [&](int value) {
        if (value <= 0 || locked)
            return;
        locked = !form3.Button3->isEnabled() && form3.Panel->StopButton->isEnabled();
        QMetaObject::invokeMethod(form3.Panel->StopButton, "click", Qt::QueuedConnection);
    });
    form3.Button3Click();
    EXPECT_TRUE(locked);
    EXPECT_EQ(form3.Panel->StatusLabel->text(), QStringLiteral("Upload cancelled."));
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{});
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{});
    EXPECT_TRUE(form3.Button3->isEnabled());

    form3.UploadPath = QString::fromStdString(pagePath);
    form3.Button3Click();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is successfully!"});
    EXPECT_EQ(ReadBytes(Server().Root() + "/upload/page.html"), pageBytes);
}

TEST_F(SecureUploadWindowsTest, FtpsUploadStoresThePageOnceTheServerIsTrusted)
{
    struct Case {
        const char* what;
        Ftp server;
        const char* hostLine;
        bool passive;
        std::deque<int> answers;
        size_t questions;
        const char* refusal;  // nullptr: the page arrives
        const char* pinned = nullptr;  // another certificate trusted for the server before
    };
    const Case cases[] = {
        {"verified, passive", Ftp::Signed, "ftps://localhost", true, {}, 0, nullptr},
        {"verified, active", Ftp::Signed, "ftps://127.0.0.1", false, {}, 0, nullptr},
        {"self-signed, refused", Ftp::SelfSigned, "ftps://localhost", true, {kRefuse}, 1, "is not trusted"},
        {"self-signed, trusted", Ftp::SelfSigned, "ftps://localhost", false, {kTrust}, 1, nullptr},
        {"self-signed, remembered", Ftp::SelfSigned, "ftps://localhost", true, {}, 0, nullptr},
        {"changed since trusted, refused", Ftp::SelfSigned, "ftps://localhost", true, {kRefuse}, 1, "WARNING", "AA:BB"},
        {"changed since trusted, replaced", Ftp::SelfSigned, "ftps://localhost", true, {kReplace}, 1, nullptr, "AA:BB"},
        {"server without TLS", Ftp::Plain, "ftps://127.0.0.1", true, {kTrust}, 0, "does not offer TLS"},
        {"IPv6 address in brackets", Ftp::PlainIpv6, "[::1]", false, {}, 0, nullptr},
    };
    const std::vector<QString> success = {"Upload is successfully!"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.server == Ftp::PlainIpv6 && !HasIpv6Loopback()) {
            std::cout << "[ SKIPPED  ] this machine has no IPv6 loopback address (::1)\n";
            continue;
        }
        const std::string stored = FtpServer(c.server).UploadPath() + "/page.html";
        std::remove(stored.c_str());
        SaveProfile(FtpProfile(c.server, c.hostLine, c.passive, "upload"));
        const TTrustedServers trusted(trustedServers);
        const int port = FtpServer(c.server).Port();
        if (c.pinned) trusted.Remember("localhost", port, c.pinned);
        desktop.ClearRecords();
        desktop.askAnswers = c.answers;
        form3.Button3Click();
        ASSERT_EQ(Questions().size(), c.questions);
        const std::string& fingerprint = TestCertificates().SelfSignedFingerprint;
        if (c.questions) {
            const RecordedMessage& question = desktop.messages.front();
            EXPECT_EQ(question.caption, c.pinned ? "Certificate changed" : "Unverified certificate");
            EXPECT_EQ(question.buttons.value(0), "&Refuse") << "refusal is the default";
            for (const char* named : {fingerprint.c_str(), c.pinned ? c.pinned : ""})
                EXPECT_TRUE(question.text.contains(named)) << named;
        }
        if (c.pinned)
            EXPECT_EQ(trusted.FingerprintOf("localhost", port), c.refusal ? c.pinned : fingerprint);
        if (c.refusal) {
            EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{});
            ASSERT_EQ(desktop.MessageTexts(MessageKind::Error).size(), 1u);
            EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).front().contains(c.refusal));
            EXPECT_FALSE(std::ifstream(stored).good());
        } else {
            EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), success);
            EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{});
            EXPECT_EQ(ReadBytes(stored), pageBytes);
        }
        EXPECT_EQ(OpenConnectionsTo(port), 0);
    }
}

TEST_F(SecureUploadWindowsTest, FtpTestNamesTheStepThatFailed)
{
    struct Case {
        const char* what;
        TConnectionProfile profile;
        std::deque<int> answers;
        QString status;
    };
    const QString secure = QStringLiteral("Test failed: the server's certificate or key was not accepted.");
    TConnectionProfile wrongPassword = FtpProfile(Ftp::WithPassword, "127.0.0.1", true, "");
    wrongPassword.Password += "x";
    TConnectionProfile nothingListening = FtpProfile(Ftp::WithPassword, "127.0.0.1", true, "");
    nothingListening.Port = std::to_string(FreeLoopbackPort());
    const Case cases[] = {
        {"all well", FtpProfile(Ftp::WithPassword, "127.0.0.1", false, "upload"), {}, "Test passed."},
        {"wrong password", wrongPassword, {}, "Test failed: the log-in was refused."},
        {"bad folder", FtpProfile(Ftp::WithPassword, "127.0.0.1", true, "missing"), {},
         "Test failed: the folder could not be opened."},
        {"nothing listening", nothingListening, {}, "Test failed: no connection could be made to the server."},
        {"FTPS, certificate refused", FtpProfile(Ftp::SelfSigned, "ftps://localhost", true, ""), {kRefuse}, secure},
        {"FTPS, server without TLS", FtpProfile(Ftp::Plain, "ftps://127.0.0.1", true, ""), {}, secure},
        {"FTPS, verified, folder", FtpProfile(Ftp::Signed, "ftps://localhost", true, "upload"), {}, "Test passed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fill(c.profile);
        desktop.ClearRecords();
        desktop.askAnswers = c.answers;
        form4.Button2Click();
        EXPECT_EQ(form4.Panel->StatusLabel->text(), c.status);
        EXPECT_EQ(Questions().size(), c.answers.size());
        EXPECT_EQ(OpenConnectionsTo(std::stoi(c.profile.Port)), 0);
    }
}

TEST_F(SecureUploadWindowsTest, TheSessionFollowsTheProfilesProtocol)
{
    // TLS only where the Host line asks for it, the host without its scheme (the certificate is
    // remembered under it), and the window's own file of trusted servers.
    struct Case {
        Ftp server;
        const char* hostLine;
        size_t questions;
        const char* rememberedAs;  // nullptr: nothing remembered
    };
    const Case cases[] = {
        {Ftp::SelfSigned, "ftps://localhost", 1, "localhost"},
        {Ftp::Plain, "127.0.0.1", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hostLine);
        const std::string stored = FtpServer(c.server).UploadPath() + "/page.html";
        std::remove(stored.c_str());
        SaveProfile(FtpProfile(c.server, c.hostLine, true, "upload"));
        form3.TrustedServersPath = folder + "/trusted";
        desktop.ClearRecords();
        desktop.askAnswers = {kTrust};
        form3.Button3Click();
        EXPECT_EQ(Questions().size(), c.questions);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is successfully!"});
        EXPECT_EQ(ReadBytes(stored), pageBytes);
        const TTrustedServers trusted(folder + "/trusted");
        EXPECT_EQ(trusted.FingerprintOf(c.rememberedAs ? c.rememberedAs : "127.0.0.1", FtpServer(c.server).Port()),
                  c.rememberedAs ? TestCertificates().SelfSignedFingerprint : "");
    }
    // An unverified certificate is put to the user, with what identifies it; Esc refuses.
    const TUntrustedCertificate certificate{
        "127.0.0.1", 21, {"CN=www.example.com", "CN=Example CA", "AB:CD", "self-signed certificate"}, ""};
    desktop.ClearRecords();
    desktop.askAnswers = {kTrust};
    EXPECT_EQ(form3.Panel->AskCertificate(certificate), TTrustAnswer::TrustAndRemember);
    EXPECT_EQ(form3.Panel->AskCertificate(certificate), TTrustAnswer::Refuse);
    ASSERT_EQ(Questions().size(), 2u);
    for (const char* part : {"127.0.0.1", "CN=www.example.com", "CN=Example CA", "AB:CD", "self-signed"})
        EXPECT_TRUE(Questions().front().contains(part)) << part;
}

}  // namespace
