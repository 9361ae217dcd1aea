// The Upload window and the New FTP Connection dialog against real FTP servers on 127.0.0.1, with the
// scripted platform recording their messages.
#include "app/ShellFixture.h"
#include "net/MessagePump.h"
#include "support/ScriptedPlatform.h"
#include "support/net/RealFtpServer.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ConnectU.h"
#include "upload/dialogs/FTPU.h"
#include "upload/dialogs/TransferPanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RealFtpServer& Server(FtpServerKind kind)
{
    static std::map<FtpServerKind, std::unique_ptr<RealFtpServer>> servers;
    if (!servers.count(kind))
        servers[kind] = RealFtpServer::Start(kind);  // a server that cannot start fails the test with why
    return *servers[kind];
}

std::string ReadBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

struct Buttons {
    std::vector<bool> enabled;
    bool operator==(const Buttons&) const = default;
};

Buttons StatesOf(std::initializer_list<QPushButton*> buttons)
{
    Buttons states;
    for (QPushButton* button : buttons)
        states.enabled.push_back(button->isEnabled());
    return states;
}

class UploadWindowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetMessagePump([] { QCoreApplication::processEvents(); });
        std::string page = "<html>\r\n<body>\nLF\rCR\r\n";
        for (int byte = 0; byte < 256; ++byte)
            page += static_cast<char>(byte);
        std::ofstream(pagePath, std::ios::binary) << page;
        pageBytes = page;
        form3.UploadPath = QString::fromStdString(pagePath);
    }

    void TearDown() override
    {
        SetMessagePump(nullptr);
        RemoveTree(folder);
    }

    static TConnectionProfile ProfileOf(RealFtpServer& server, const std::string& name, bool passive,
                                        const std::string& directory)
    {
        return {name, server.User(), server.Password(), "127.0.0.1", passive, std::to_string(server.Port()),
                directory};
    }

    void SaveProfiles(const std::vector<TConnectionProfile>& profiles)
    {
        TProfileLines lines;
        for (auto profile = profiles.rbegin(); profile != profiles.rend(); ++profile)
            InsertProfileOnTop(lines, *profile);
        TProfileFile(profilePath).Write(lines);
        form3.LoadList();
    }

    void UploadWith(int row)
    {
        form3.ListBox1->setCurrentRow(row);
        form3.Button3Click();
    }

    void FillForm4(const TConnectionProfile& profile)
    {
        form4.PrepareNewProfile();
        form4.Edit1->setText(QString::fromStdString(profile.Name));
        form4.Edit2->setText(QString::fromStdString(profile.UserID));
        form4.Edit3->setText(QString::fromStdString(profile.Password));
        form4.Edit4->setText(QString::fromStdString(profile.Host));
        form4.CheckBox1->setChecked(profile.Passive);
        form4.Edit5->setText(QString::fromStdString(profile.Port));
        form4.Edit6->setText(QString::fromStdString(profile.Directory));
    }

    // The first line of each error box, as the servers word their replies differently.
    std::vector<std::string> ErrorCodes() const
    {
        std::vector<std::string> codes;
        for (const QString& text : desktop.MessageTexts(MessageKind::Error))
            codes.push_back(text.left(3).toStdString());
        return codes;
    }

    void ExpectNoPasswordShown(const std::string& password) const
    {
        for (const RecordedMessage& message : desktop.messages)
            EXPECT_FALSE(message.text.contains(QString::fromStdString(password))) << message.text.toStdString();
        EXPECT_FALSE(form3.Panel->StatusLabel->text().contains(QString::fromStdString(password)));
    }

    ScriptedPlatform desktop;
    std::string folder = MakeTempDirectory("tallo-upload-");
    std::string profilePath = folder + "/connect.set";
    std::string pagePath = folder + "/index.html";
    std::string pageBytes;
    TForm4 form4{profilePath};
    TForm3 form3{form4, profilePath};
};

TEST_F(UploadWindowsTest, TestReportsEachOutcome)
{
    struct Case {
        const char* what;
        FtpServerKind kind;
        std::function<void(TConnectionProfile&)> change;
        std::vector<QString> messages;
        std::vector<std::string> errorCodes;
    };
    const Case cases[] = {
        {"no directory", FtpServerKind::Vsftpd, [](TConnectionProfile&) {}, {"Connection is successfully!"}, {}},
        {"with directory", FtpServerKind::Pyftpdlib, [](TConnectionProfile& p) { p.Directory = "upload"; },
         {"Connection is successfully!"}, {}},
        {"refused directory", FtpServerKind::Pyftpdlib, [](TConnectionProfile& p) { p.Directory = "missing"; },
         {"Bad Directory!"}, {"550"}},
        {"refused log-in", FtpServerKind::Pyftpdlib, [](TConnectionProfile& p) { p.Password = "wrong one"; },
         {"Connection is failed!"}, {"530"}},
        {"port not a number", FtpServerKind::Vsftpd, [](TConnectionProfile& p) { p.Port = "ftp"; },
         {"The Port must be number!"}, {}},
        {"empty name", FtpServerKind::Vsftpd, [](TConnectionProfile& p) { p.Name.clear(); },
         {"The Name must not be empty!"}, {}},
        {"empty user", FtpServerKind::Vsftpd, [](TConnectionProfile& p) { p.UserID.clear(); },
         {"The User ID must not be empty!"}, {}},
        {"empty password and host", FtpServerKind::Vsftpd,
         [](TConnectionProfile& p) { p.Password.clear(), p.Host.clear(); }, {"The Password must not be empty!"}, {}},
        {"empty host", FtpServerKind::Vsftpd, [](TConnectionProfile& p) { p.Host.clear(); },
         {"The Host must not be empty!"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RealFtpServer& server = Server(c.kind);
        TConnectionProfile profile = ProfileOf(server, "test", true, "");
        c.change(profile);
        FillForm4(profile);
        desktop.ClearRecords();
        form4.Button2Click();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), c.messages);
        EXPECT_EQ(ErrorCodes(), c.errorCodes);
        EXPECT_EQ(OpenConnectionsTo(server.Port()), 0);
        EXPECT_FALSE(std::ifstream(profilePath).good());  // a test saves nothing
        ExpectNoPasswordShown(server.Password());
    }
}

TEST_F(UploadWindowsTest, UploadStoresTheSavedPageByteForByte)
{
    struct Case {
        FtpServerKind kind;
        bool passive;
        const char* directory;
    };
    const Case cases[] = {
        {FtpServerKind::Vsftpd, true, "upload"},
        {FtpServerKind::Vsftpd, false, "upload"},
        {FtpServerKind::Pyftpdlib, true, ""},
        {FtpServerKind::Pyftpdlib, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " passive " << c.passive << " dir '"
                                        << c.directory << "'");
        RealFtpServer& server = Server(c.kind);
        const std::string stored = (*c.directory ? server.UploadPath() : server.UploadPath() + "/..") + "/index.html";
        std::remove(stored.c_str());
        SaveProfiles({ProfileOf(server, "site", c.passive, c.directory)});
        desktop.ClearRecords();
        UploadWith(0);
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is successfully!"});
        EXPECT_TRUE(desktop.MessageTexts(MessageKind::Error).empty());
        EXPECT_EQ(ReadBytes(stored), pageBytes);
        EXPECT_EQ(form3.Panel->ProgressBar->value(), form3.Panel->ProgressBar->maximum());
        EXPECT_EQ(OpenConnectionsTo(server.Port()), 0);
        ExpectNoPasswordShown(server.Password());
    }
}

TEST_F(UploadWindowsTest, ARefusedUploadShowsItsMessageOnceThenTheErrorOnce)
{
    // vsftpd's anonymous root is not writable.
    SaveProfiles({ProfileOf(Server(FtpServerKind::Vsftpd), "site", true, "")});
    UploadWith(0);
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is failed!"});
    EXPECT_EQ(ErrorCodes(), std::vector<std::string>{"553"});
    EXPECT_EQ(form3.Panel->StatusLabel->text(), QStringLiteral("Upload failed."));

    // A directory the server refuses: its message, then the reply; the client is left disconnected.
    SaveProfiles({ProfileOf(Server(FtpServerKind::Pyftpdlib), "site", true, "missing")});
    desktop.ClearRecords();
    UploadWith(0);
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Bad Directory!"});
    EXPECT_EQ(ErrorCodes(), std::vector<std::string>{"550"});
    EXPECT_EQ(OpenConnectionsTo(Server(FtpServerKind::Pyftpdlib).Port()), 0);
}

TEST_F(UploadWindowsTest, StopOrClosingEndsALargeUploadAndTheNextOneWorks)
{
    RealFtpServer& server = Server(FtpServerKind::Vsftpd);
    const std::string largePath = folder + "/large.html";
    // Sparse: large enough to be stopped midway, without writing it to disk.
    std::ofstream(largePath, std::ios::binary).close();
    ASSERT_EQ(::truncate(largePath.c_str(), 256 << 20), 0);
    SaveProfiles({ProfileOf(server, "site", false, "upload")});
    // Between transfers the strip shows no button of its own: the window's "Close" is the only one.
    EXPECT_FALSE(form3.Panel->StopButton->isVisibleTo(&form3));

    struct Case {
        const char* how;
        std::function<void()> stop;
    };
    const Case cases[] = {
        {"Stop", [this] { form3.Panel->StopButton->click(); }},
        {"closing the window", [this] { form3.close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        desktop.ClearRecords();
        std::remove((server.UploadPath() + "/large.html").c_str());  // anonymous users may not replace files
        form3.UploadPath = QString::fromStdString(largePath);
        Buttons during;
        bool stopShown = false;
        const auto connection = QObject::connect(form3.Panel->ProgressBar, &QProgressBar::valueChanged, &form3, [&](int value) {
            if (value == 0 || !during.enabled.empty())
                return;
            during = StatesOf({form3.Button1, form3.Button2, form3.Button5, form3.Button3, form3.Button4,
                               form3.Panel->StopButton});
            stopShown = form3.Panel->StopButton->isVisibleTo(&form3) && form3.Panel->StopButton->text() == "Stop";
            QTimer::singleShot(0, &form3, c.stop);
        });
        UploadWith(0);
        QObject::disconnect(connection);
        EXPECT_EQ(during, (Buttons{{false, false, false, false, true, true}}));
        EXPECT_TRUE(stopShown);
        EXPECT_EQ(form3.Panel->StatusLabel->text(), QStringLiteral("Upload cancelled."));
        EXPECT_TRUE(desktop.messages.empty());
        EXPECT_EQ(StatesOf({form3.Button1, form3.Button2, form3.Button5, form3.Button3, form3.Panel->StopButton}),
                  (Buttons{{true, true, true, true, false}}));
        EXPECT_FALSE(form3.Panel->StopButton->isVisibleTo(&form3));
        EXPECT_EQ(OpenConnectionsTo(server.Port()), 0);
    }

    form3.UploadPath = QString::fromStdString(pagePath);
    std::remove((server.UploadPath() + "/index.html").c_str());  // anonymous users may not replace files
    UploadWith(0);
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error), std::vector<QString>{});
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is successfully!"});
    EXPECT_EQ(ReadBytes(server.UploadPath() + "/index.html"), pageBytes);
}

TEST_F(UploadWindowsTest, TestLocksTheDialogsButtonsWhileItRuns)
{
    RealFtpServer& server = Server(FtpServerKind::Pyftpdlib);
    FillForm4(ProfileOf(server, "test", true, "upload"));
    Buttons during;
    QObject::connect(form4.Panel, &TTransferPanel::StepEntered, &form4, [&] {
        during = StatesOf({form4.Button1, form4.Button2, form4.Button3, form4.Panel->StopButton});
    });
    form4.Button2Click();
    EXPECT_EQ(during, (Buttons{{false, false, false, true}}));
    EXPECT_EQ(StatesOf({form4.Button1, form4.Button2, form4.Button3, form4.Panel->StopButton}),
              (Buttons{{true, true, true, false}}));
}

TEST_F(UploadWindowsTest, ListCommandsAskForAProfileFirst)
{
    const QString create = QStringLiteral("Please, create new FTP Connection!");
    const QString select = QStringLiteral("Please, select the FTP Connection!");
    struct Case {
        const char* what;
        int profiles;
        int row;
        void (TForm3::*command)();
        std::vector<QString> messages;
    };
    const Case cases[] = {
        {"upload, no profiles", 0, -1, &TForm3::Button3Click, {create}},
        {"edit, no profiles", 0, -1, &TForm3::Button5Click, {create}},
        {"delete, no profiles", 0, -1, &TForm3::Button2Click, {select}},
        {"upload, none selected", 2, -1, &TForm3::Button3Click, {select}},
        {"edit, none selected", 2, -1, &TForm3::Button5Click, {select}},
        {"delete, none selected", 2, -1, &TForm3::Button2Click, {select}},
        {"upload, port of letters", 2, 1, &TForm3::Button3Click, {"The Port must be number!"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<TConnectionProfile> profiles;
        for (int i = 0; i < c.profiles; ++i)
            profiles.push_back({"p" + std::to_string(i), "u", "p", "127.0.0.1", true, "ftp", ""});
        SaveProfiles(profiles);
        form3.ListBox1->setCurrentRow(c.row);
        desktop.ClearRecords();
        (form3.*c.command)();
        EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), c.messages);
        EXPECT_TRUE(desktop.dialogs.empty());
    }
}

TEST_F(UploadWindowsTest, NewEditAndDeleteKeepTheFileAndTheListInStep)
{
    const TConnectionProfile first{"first", "u1", "p 1;&", "h1", false, "", ""};
    const TConnectionProfile second{"second", "u2", "p2", "h2", true, "21", "www"};
    auto saveThrough = [this](TConnectionProfile profile) {
        desktop.AnswerModal([this, profile](QDialog&) {
            FillForm4(profile);
            form4.Button1Click();
            return form4.result();
        });
    };
    auto names = [this] {
        QStringList texts;
        for (int row = 0; row < form3.ListBox1->count(); ++row)
            texts << form3.ListBox1->item(row)->text();
        return texts;
    };
    const std::string firstLines = "first\r\nu1\r\np 1;&\r\nh1\r\nNo\r\n\r\n\r\n";
    const std::string secondLines = "second\r\nu2\r\np2\r\nh2\r\nYes\r\n21\r\nwww\r\n";

    form3.show();
    saveThrough(first);
    form3.Button1Click();
    EXPECT_EQ(ReadBytes(profilePath), firstLines);
    saveThrough(second);
    form3.Button1Click();
    EXPECT_EQ(ReadBytes(profilePath), secondLines + firstLines);
    EXPECT_EQ(names(), (QStringList{"second", "first"}));
    EXPECT_TRUE(form3.ListBox1->selectedItems().isEmpty());
    EXPECT_TRUE(form3.isVisible());

    // Edit fills the dialog from the file and rewrites the profile in place, renamed.
    form3.ListBox1->setCurrentRow(1);
    desktop.AnswerModal([this](QDialog&) {
        EXPECT_EQ(form4.Edit3->text(), QStringLiteral("p 1;&"));
        EXPECT_EQ(form4.Edit3->displayText(), QStringLiteral("*****"));
        EXPECT_FALSE(form4.CheckBox1->isChecked());
        form4.Edit1->setText(QStringLiteral("renamed"));
        form4.Button1Click();
        return form4.result();
    });
    form3.Button5Click();
    EXPECT_EQ(ReadBytes(profilePath), secondLines + "renamed" + firstLines.substr(5));

    // Two of one name: whichever is selected, the upper one goes.
    SaveProfiles({first, second, first});
    form3.ListBox1->setCurrentRow(2);
    form3.Button2Click();
    EXPECT_EQ(ReadBytes(profilePath), secondLines + firstLines);
    EXPECT_EQ(names(), (QStringList{"second", "first"}));
    for (int row : {0, 0}) {
        form3.ListBox1->setCurrentRow(row);
        form3.Button2Click();
    }
    EXPECT_EQ(ReadBytes(profilePath), "");
    EXPECT_TRUE(std::ifstream(profilePath).good());
    EXPECT_EQ(form3.ListBox1->count(), 0);
}

TEST_F(UploadWindowsTest, AFailedSaveKeepsTheFileAndTheDialogOpen)
{
    ::mkdir(profilePath.c_str(), 0700);  // a folder where the file should be
    FillForm4({"n", "u", "p", "h", true, "21", ""});
    form4.show();
    form4.Button1Click();
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Error).size(), 1u);
    EXPECT_TRUE(form4.isVisible());
}

TEST_F(UploadWindowsTest, BothWindowsKeepTheirSizeWhateverTheyReport)
{
    const QString longPhase = QStringLiteral("Sending ") + QString(60, QLatin1Char('x')) + QStringLiteral(".html...");
    for (auto [window, panel] : {std::pair<QDialog*, TTransferPanel*>{&form3, form3.Panel}, {&form4, form4.Panel}}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        window->show();
        QCoreApplication::processEvents();
        const QSize shown = window->size();
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        panel->SetPhase(longPhase);
        for (int round = 0; round < 3; ++round) {  // the panel's layout, then the window's
            QCoreApplication::processEvents();
            window->layout()->activate();
        }
        EXPECT_EQ(window->size(), shown);
        window->hide();
    }
}

TEST_F(UploadWindowsTest, PastedLineBreaksNeverSplitAProfile)
{
    FillForm4({"n", "u", "p", "h", true, "21", ""});
    for (QLineEdit* edit : {form4.Edit1, form4.Edit2, form4.Edit3, form4.Edit4, form4.Edit5, form4.Edit6})
        edit->insert(QStringLiteral("x\r\ny\nz\r"));
    form4.Button1Click();
    EXPECT_EQ(ParseProfileLines(ReadBytes(profilePath)).size(), kProfileLineCount);
}

TEST_F(UploadWindowsTest, AHandEditedFileIsListedAndAnUntouchedProfileKeepsItsBytes)
{
    std::ofstream(profilePath, std::ios::binary) << "caf\xe9\nu\rp\xff\r\nh\nYes\n21\n\n\nu2\n";
    form3.LoadList();
    ASSERT_EQ(form3.ListBox1->count(), 2);
    EXPECT_EQ(form3.ListBox1->item(1)->text(), QString());  // an empty Name line, cut short after two lines

    form3.ListBox1->setCurrentRow(0);
    desktop.AnswerModal([this](QDialog&) {
        form4.Edit6->setText(QStringLiteral("www"));
        form4.Button1Click();
        return form4.result();
    });
    form3.Button5Click();
    EXPECT_EQ(ReadBytes(profilePath), "caf\xe9\r\nu\r\np\xff\r\nh\r\nYes\r\n21\r\nwww\r\n\r\nu2\r\n");
    form3.ListBox1->setCurrentRow(1);
    form3.Button2Click();
    EXPECT_EQ(ReadBytes(profilePath), "caf\xe9\r\nu\r\np\xff\r\nh\r\nYes\r\n21\r\nwww\r\n");
}

TEST_F(UploadWindowsTest, CancelEndsATestWaitingForAServerThatNeverAnswers)
{
    // A listener that never accepts: the connection is made, the greeting never comes.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    FillForm4({"n", "u", "p", "127.0.0.1", true, std::to_string(ntohs(address.sin_port)), ""});
    QTimer::singleShot(300, form4.Panel->StopButton, &QPushButton::click);
    form4.Button2Click();
    ::close(listener);
    EXPECT_EQ(form4.Panel->StatusLabel->text(), QStringLiteral("Test cancelled."));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(form4.Button2->isEnabled());
}

class UploadCommandTest : public ShellTest {};

TEST_F(UploadCommandTest, UploadSavesThePageAndShowsTheWindowForIt)
{
    const QString path = PathOf("page.html");
    WriteFile(path, "old");
    TForm2* page = OpenPage(path);
    page->CodeMemo1->Model().SetText("new page");
    mainWindow->Upload1Click();
    EXPECT_EQ(ReadFile(path), QByteArray("new page"));
    EXPECT_EQ(desktop.modelessWindows, std::vector<QWidget*>{mainWindow->Form3});
    EXPECT_EQ(mainWindow->Form3->UploadPath, path);
    EXPECT_TRUE(mainWindow->Form3->isVisible());
}

TEST_F(UploadCommandTest, TheRecordedPageIsSentEvenWhenAnotherIsActiveByThen)
{
    RealFtpServer& server = Server(FtpServerKind::Pyftpdlib);
    const std::string stored = server.UploadPath() + "/../chosen.html";
    std::remove(stored.c_str());
    // The window reads the profiles where the program started: the test's working folder.
    const std::string profiles = TProfileFile::PathInCurrentFolder();
    TProfileFile(profiles).Write(ParseProfileLines(
        "site\r\n" + server.User() + "\r\n" + server.Password() + "\r\n127.0.0.1\r\nYes\r\n" +
        std::to_string(server.Port()) + "\r\n\r\n"));
    SetMessagePump([] { QCoreApplication::processEvents(); });
    WriteFile(PathOf("chosen.html"), "chosen");
    OpenPage(PathOf("chosen.html"));
    mainWindow->Upload1Click();
    WriteFile(PathOf("other.html"), "other");
    OpenPage(PathOf("other.html"));
    mainWindow->Form3->LoadList();
    mainWindow->Form3->ListBox1->setCurrentRow(0);
    mainWindow->Form3->Button3Click();
    SetMessagePump(nullptr);
    std::remove(profiles.c_str());
    EXPECT_EQ(desktop.MessageTexts(MessageKind::Plain), std::vector<QString>{"Upload is successfully!"});
    EXPECT_EQ(ReadBytes(stored), "chosen");
}

}  // namespace
