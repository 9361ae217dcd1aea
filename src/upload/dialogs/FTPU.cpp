#include "upload/dialogs/FTPU.h"

#include "net/ServerAddress.h"
#include "platform/Platform.h"
#include "transfer/RemoteSession.h"
#include "upload/dialogs/ProfileText.h"
#include "upload/dialogs/ProtocolTransfer.h"
#include "upload/dialogs/TransferPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Every value is one line of connect.set: a line break pasted into a field would split the profile
// and shift every one after it, so line breaks are dropped as they come in.
class TOneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override
    {
        const qsizetype before = input.size();
        input.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        position = std::max(0, position - static_cast<int>(before - input.size()));
        return Acceptable;
    }
};

struct TProtocolChoice {
    const char* Caption;
    const char* Security;
};

// In the order of TTransferProtocol.
constexpr TProtocolChoice kProtocols[] = {
    {"FTP", "Not secure: the password and the page go in clear text."},
    {"FTPS (secure)", "Secure: TLS encrypts the password and the page."},
    {"SFTP (secure)", "Secure: SSH encrypts the password and the page."},
};

// A name that cannot be looked up never reached a server: the error box alone says so.
QString TestFailureMessage(TTransferStep step)
{
    switch (step) {
    case TTransferStep::LookUp: return QString();
    case TTransferStep::Directory: return QStringLiteral("Bad Directory!");
    default: return QStringLiteral("Connection is failed!");
    }
}

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TForm4::TForm4(std::string profilePath, QWidget* parent)
    : TButtonClosedDialog(kHelpContext, parent),
      Edit1(new QLineEdit(this)),
      Edit2(new QLineEdit(this)),
      Edit3(new QLineEdit(this)),
      ComboBox1(new QComboBox(this)),
      Edit4(new QLineEdit(this)),
      SecurityLabel(new QLabel(this)),
      CheckBox1(new QCheckBox(QStringLiteral("Passive Mode"), this)),
      Edit5(new QLineEdit(QStringLiteral("21"), this)),
      Edit6(new QLineEdit(this)),
      Button1(MakeButton(QStringLiteral("OK"), this)),
      Button2(MakeButton(QStringLiteral("Test"), this)),
      Button3(MakeButton(QStringLiteral("Cancel"), this)),
      Panel(new TTransferPanel(this)),
      file_(std::move(profilePath))
{
    for (const TProtocolChoice& choice : kProtocols)
        ComboBox1->addItem(QString::fromLatin1(choice.Caption));
    SecurityLabel->setWordWrap(true);
    ShowSecurity();
    setWindowTitle(QStringLiteral("New FTP Connection"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* oneLine = new TOneLineValidator(this);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        edit->setValidator(oneLine);
    Edit3->setEchoMode(QLineEdit::Password);
    // "*" for every character, whatever mask the desktop style prefers.
    Edit3->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    CheckBox1->setChecked(true);
    BuildLayout();
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Panel, &TTransferPanel::BusyChanged, this, &TForm4::LockButtons);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm4::ComboBox1Change);
    connect(Edit4, &QLineEdit::textEdited, this, &TForm4::Edit4Edited);
}

void TForm4::BuildLayout()
{
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), this); };
    grid->addWidget(label("Name"), 0, 0);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(label("User ID"), 2, 0);
    grid->addWidget(label("Password"), 2, 1);
    grid->addWidget(Edit2, 3, 0);
    grid->addWidget(Edit3, 3, 1);
    grid->addWidget(label("Host"), 4, 0);
    grid->addWidget(label("Protocol"), 4, 1);
    grid->addWidget(Edit4, 5, 0);
    grid->addWidget(ComboBox1, 5, 1);
    grid->addWidget(SecurityLabel, 6, 0);
    grid->addWidget(CheckBox1, 6, 1);
    auto* portRow = new QGridLayout;
    portRow->setHorizontalSpacing(10);
    portRow->setVerticalSpacing(2);
    portRow->addWidget(label("Port"), 0, 0);
    portRow->addWidget(label("Directory"), 0, 1);
    portRow->addWidget(Edit5, 1, 0);
    portRow->addWidget(Edit6, 1, 1);
    portRow->setColumnStretch(1, 1);
    Edit5->setMaximumWidth(60);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(portRow);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->addWidget(Panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(296);
    QWidget* const order[] = {Edit1, Edit2, Edit3, Edit4, ComboBox1, CheckBox1, Edit5, Edit6, Button1, Button2, Button3};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TForm4::PrepareNewProfile()
{
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6})
        edit->clear();
    CheckBox1->setChecked(true);
    SetProtocol(TTransferProtocol::Ftp);
    editMode_ = false;
    startLine_ = 0;
    shown_ = {};
    Panel->SetPhase(QString());
}

void TForm4::PrepareEditProfile(const TConnectionProfile& profile, std::size_t startLine)
{
    Edit1->setText(ProfileText(profile.Name));
    Edit2->setText(ProfileText(profile.UserID));
    Edit3->setText(ProfileText(profile.Password));
    const TServerAddress address = ParseServerAddress(profile.Host);
    SetProtocol(address.Protocol);
    Edit4->setText(ProfileText(address.Host));
    CheckBox1->setChecked(profile.Passive);
    Edit5->setText(ProfileText(profile.Port));
    Edit6->setText(ProfileText(profile.Directory));
    editMode_ = true;
    startLine_ = startLine;
    shown_ = profile;
    Panel->SetPhase(QString());
}

bool TForm4::CheckFields()
{
    const std::pair<QLineEdit*, const char*> required[] = {
        {Edit1, "The Name must not be empty!"},
        {Edit2, "The User ID must not be empty!"},
        {Edit3, "The Password must not be empty!"},
        {Edit4, "The Host must not be empty!"},
    };
    for (const auto& [edit, message] : required) {
        if (edit->text().isEmpty()) {
            platform().ShowMessage(QString::fromLatin1(message));
            return false;
        }
    }
    return true;
}

TConnectionProfile TForm4::ProfileFromFields() const
{
    return {ProfileBytes(Edit1->text(), shown_.Name), ProfileBytes(Edit2->text(), shown_.UserID),
            ProfileBytes(Edit3->text(), shown_.Password), HostLine(),
            CheckBox1->isChecked(), ProfileBytes(Edit5->text(), shown_.Port),
            ProfileBytes(Edit6->text(), shown_.Directory)};
}

std::string TForm4::HostLine() const
{
    // An untouched host keeps its bytes, its scheme's spelling included.
    const TServerAddress shown = ParseServerAddress(shown_.Host);
    if (protocol_ == shown.Protocol && Edit4->text() == ProfileText(shown.Host))
        return shown_.Host;
    return HostLineOf({protocol_, ProfileBytes(Edit4->text())});
}

TTransferProtocol TForm4::Protocol() const
{
    return protocol_;
}

void TForm4::SetProtocol(TTransferProtocol protocol)
{
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->setCurrentIndex(static_cast<int>(protocol));
    protocol_ = protocol;
    ShowSecurity();
}

void TForm4::ShowSecurity()
{
    SecurityLabel->setText(QString::fromLatin1(kProtocols[static_cast<int>(protocol_)].Security));
    // SSH has no data connections to open either way.
    CheckBox1->setEnabled(protocol_ != TTransferProtocol::Sftp);
}

void TForm4::ComboBox1Change(int index)
{
    const auto protocol = static_cast<TTransferProtocol>(index);
    // The usual port follows the protocol; a port the user typed stays.
    const QString port = Edit5->text();
    if (port.isEmpty() || port == QString::number(DefaultPort(protocol_)))
        Edit5->setText(QString::number(DefaultPort(protocol)));
    protocol_ = protocol;
    ShowSecurity();
}

void TForm4::Edit4Edited(const QString& text)
{
    // "sftp://name" typed or pasted: the list takes the scheme, the field keeps the name.
    const TServerAddress typed = ParseServerAddress(ProfileBytes(text));
    if (typed.Protocol == TTransferProtocol::Ftp)
        return;
    ComboBox1->setCurrentIndex(static_cast<int>(typed.Protocol));
    Edit4->setText(ProfileText(typed.Host));
}

void TForm4::Button1Click()
{
    if (Panel->Busy() || !CheckFields())
        return;
    try {
        // A missing file means no profiles: nothing left over from an earlier showing is written back.
        TProfileLines lines = file_.Read().value_or(TProfileLines());
        if (editMode_)
            ReplaceProfile(lines, startLine_, ProfileFromFields());
        else
            InsertProfileOnTop(lines, ProfileFromFields());
        file_.Write(lines);
    } catch (const std::exception& error) {
        platform().ShowError(ErrorText(error));
        return;
    }
    accept();
}

void TForm4::Button2Click()
{
    if (Panel->Busy() || !CheckFields())
        return;
    const TConnectionProfile profile = ProfileFromFields();
    const std::optional<int> port = PortNumber(profile.Port);
    if (!port) {
        platform().ShowMessage(QStringLiteral("The Port must be number!"));
        return;
    }
    std::optional<TTransferStep> failedStep;
    const TTransferEnd end = Test(profile, failedStep);
    if (end == TTransferEnd::Completed)
        Panel->SetPhase(QStringLiteral("Test passed."));
    else if (end == TTransferEnd::Failed && failedStep)
        Panel->SetPhase(QStringLiteral("Test failed: ") + StepFailureText(*failedStep) + QStringLiteral("."));
    else if (end == TTransferEnd::Failed)
        Panel->SetPhase(QStringLiteral("Test failed."));
}

TTransferEnd TForm4::Test(const TConnectionProfile& profile, std::optional<TTransferStep>& failedStep)
{
    TSessionOptions options;
    options.TimeoutSeconds = TTransferPanel::kTimeOutSeconds;
    options.TrustedServersPath = TrustedServersPath;
    options.KnownHostsPath = KnownHostsPath;
    const std::unique_ptr<TRemoteSession> session = MakeRemoteSession(profile, options, *Panel);
    const TTransferPanel::TNames names{ProfileText(ParseServerAddress(profile.Host).Host), QString()};
    // Opening goes as far as the folder and sends nothing.
    return Panel->Run(names, QStringLiteral("Test cancelled."), [&session] { session->Cancel(); }, [&] {
        try {
            session->Open();
        } catch (const ETransferError& error) {
            failedStep = error.Step();
            const QString message = TestFailureMessage(error.Step());
            if (!message.isEmpty() && !Panel->CancelRequested())
                platform().ShowMessage(message);
            CloseQuietly(*session);
            throw;
        }
        platform().ShowMessage(QStringLiteral("Connection is successfully!"));
        session->Close();
    });
}

void TForm4::Button3Click()
{
    if (!Panel->Busy())
        reject();
}

void TForm4::closeEvent(QCloseEvent* event)
{
    // The test runs inside this dialog's showing: it stops, and the dialog closes once it is over.
    Panel->StopIfBusy();
    TButtonClosedDialog::closeEvent(event);
}

void TForm4::LockButtons(bool busy)
{
    for (QPushButton* button : {Button1, Button2, Button3})
        button->setEnabled(!busy);
}
