#include "upload/dialogs/ConnectU.h"

#include "base/PathName.h"
#include "net/ServerAddress.h"
#include "platform/NativePath.h"
#include "platform/Platform.h"
#include "transfer/RemoteSession.h"
#include "upload/dialogs/FTPU.h"
#include "upload/dialogs/ProfileText.h"
#include "upload/dialogs/TransferPanel.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

const QString kCreateProfileMessage = QStringLiteral("Please, create new FTP Connection!");
const QString kSelectProfileMessage = QStringLiteral("Please, select the FTP Connection!");

QString UploadFailureMessage(TTransferStep step)
{
    switch (step) {
    case TTransferStep::Directory: return QStringLiteral("Bad Directory!");
    case TTransferStep::Send: return QStringLiteral("Upload is failed!");
    default: return QString();  // as for FTP: the error box alone
    }
}

}  // namespace

TForm3::TForm3(TForm4& profileDialog, std::string profilePath, QWidget* parent)
    : TButtonClosedDialog(kHelpContext, parent),
      ListBox1(new QListWidget(this)),
      Button1(MakeButton(QStringLiteral("New"), this)),
      Button2(MakeButton(QStringLiteral("Delete"), this)),
      Button5(MakeButton(QStringLiteral("Edit"), this)),
      Button3(MakeButton(QStringLiteral("Upload"), this)),
      Button4(MakeButton(QStringLiteral("Close"), this)),
      Panel(new TTransferPanel(this)),
      form4_(profileDialog),
      file_(std::move(profilePath))
{
    setWindowTitle(QStringLiteral("Upload"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    BuildLayout();
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(Panel, &TTransferPanel::BusyChanged, this, &TForm3::LockButtons);
    LoadList();
}

void TForm3::BuildLayout()
{
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(4);
    grid->addWidget(new QLabel(QStringLiteral("FTP Connections"), this), 0, 0);
    grid->addWidget(ListBox1, 1, 0, 4, 1);
    grid->addWidget(Button1, 1, 1);
    grid->addWidget(Button2, 2, 1);
    grid->addWidget(Button5, 3, 1);
    grid->setRowStretch(4, 1);
    ListBox1->setMinimumSize(140, 100);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button3);
    buttons->addStretch();
    buttons->addWidget(Button4);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(Panel);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(233, 175);
    QWidget* const order[] = {ListBox1, Button1, Button2, Button5, Button3, Button4};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

std::optional<TProfileLines> TForm3::ReadProfiles()
{
    try {
        return file_.Read();
    } catch (const std::exception& error) {
        platform().ShowError(ErrorText(error));
        return std::nullopt;
    }
}

void TForm3::LoadList()
{
    const std::optional<TProfileLines> lines = ReadProfiles();
    if (!lines)
        return;
    ListBox1->clear();
    for (const std::string& name : ProfileNames(*lines)) {
        auto* item = new QListWidgetItem(ProfileText(name), ListBox1);
        // The name as the file holds it: look-ups compare bytes, whatever the text shows.
        item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
}

std::optional<std::string> TForm3::SelectedName(TEmptyListCheck check)
{
    if (check == TEmptyListCheck::Report && ListBox1->count() == 0) {
        platform().ShowMessage(kCreateProfileMessage);
        return std::nullopt;
    }
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    if (selected.isEmpty()) {
        platform().ShowMessage(kSelectProfileMessage);
        return std::nullopt;
    }
    return selected.front()->data(Qt::UserRole).toByteArray().toStdString();
}

std::optional<TForm3::TSelectedProfile> TForm3::SelectedProfile(TEmptyListCheck check)
{
    const std::optional<std::string> name = SelectedName(check);
    if (!name)
        return std::nullopt;
    std::optional<TProfileLines> lines = ReadProfiles();
    const std::optional<std::size_t> start = lines ? FindProfile(*lines, *name) : std::nullopt;
    if (!start)
        return std::nullopt;
    return TSelectedProfile{std::move(*lines), *start};
}

void TForm3::ShowProfileDialog()
{
    hide();
    platform().ExecModal(form4_);
    show();
    raise();
    LoadList();
}

void TForm3::Button1Click()
{
    if (Panel->Busy())
        return;
    form4_.PrepareNewProfile();
    ShowProfileDialog();
}

void TForm3::Button5Click()
{
    if (Panel->Busy())
        return;
    const std::optional<TSelectedProfile> selected = SelectedProfile(TEmptyListCheck::Report);
    if (!selected)
        return;
    form4_.PrepareEditProfile(ProfileAt(selected->Lines, selected->Start), selected->Start);
    ShowProfileDialog();
}

void TForm3::Button2Click()
{
    if (Panel->Busy())
        return;
    std::optional<TSelectedProfile> selected = SelectedProfile(TEmptyListCheck::Skip);
    if (!selected)
        return;
    RemoveProfile(selected->Lines, selected->Start);
    try {
        file_.Write(selected->Lines);
    } catch (const std::exception& error) {
        platform().ShowError(ErrorText(error));
        return;
    }
    // The list shows what the file now holds: with two profiles of one name, the upper one went.
    LoadList();
}

void TForm3::Button3Click()
{
    if (Panel->Busy())
        return;
    const std::optional<TSelectedProfile> selected = SelectedProfile(TEmptyListCheck::Report);
    if (!selected)
        return;
    const TConnectionProfile profile = ProfileAt(selected->Lines, selected->Start);
    const std::optional<int> port = PortNumber(profile.Port);
    if (!port) {
        platform().ShowMessage(QStringLiteral("The Port must be number!"));
        return;
    }
    const std::string page = NativePath(UploadPath);
    const TTransferEnd end = Upload(profile, page);
    if (end == TTransferEnd::Completed)
        Panel->SetPhase(QStringLiteral("Upload finished."));
    else if (end == TTransferEnd::Failed)
        Panel->SetPhase(QStringLiteral("Upload failed."));
}

TTransferEnd TForm3::Upload(const TConnectionProfile& profile, const std::string& page)
{
    TSessionOptions options;
    options.TimeoutSeconds = TTransferPanel::kTimeOutSeconds;
    options.TrustedServersPath = TrustedServersPath;
    options.KnownHostsPath = KnownHostsPath;
    // One STOR under the page's name, as the user's server expects it; no temporary name, no rename.
    options.PutWrite = TPutWrite::Direct;
    const std::unique_ptr<TRemoteSession> session = MakeRemoteSession(profile, options, *Panel);
    const std::string name = FileNamePart(page);
    const TTransferPanel::TNames names{ProfileText(ParseServerAddress(profile.Host).Host), ProfileText(name)};
    return Panel->Run(names, QStringLiteral("Upload cancelled."), [&session] { session->Cancel(); }, [&] {
        try {
            session->Open();
            session->Put(page, name);
        } catch (const ETransferError& error) {
            const QString message = UploadFailureMessage(error.Step());
            if (!message.isEmpty() && !Panel->CancelRequested())
                platform().ShowMessage(message);
            CloseQuietly(*session);
            throw;
        }
        platform().ShowMessage(QStringLiteral("Upload is successfully!"));
        session->Close();
    });
}

void TForm3::Button4Click()
{
    // A hidden window's upload would go on unseen, and its messages come out of nowhere.
    Panel->StopIfBusy();
    hide();
}

void TForm3::closeEvent(QCloseEvent* event)
{
    Panel->StopIfBusy();
    TButtonClosedDialog::closeEvent(event);
}

void TForm3::LockButtons(bool busy)
{
    for (QPushButton* button : {Button1, Button2, Button5, Button3})
        button->setEnabled(!busy);
}
