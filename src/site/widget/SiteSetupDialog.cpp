#include "site/widget/SiteSetupDialog.h"

#include "platform/Platform.h"
#include "site/widget/ProfileChoice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;

QWidget* Row(QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets)
        layout->addWidget(widget, widget == *widgets.begin() ? 1 : 0);
    return row;
}

}  // namespace

TSiteSetupDialog::TSiteSetupDialog(std::string connectSetPath, TRemoteLister lister, QWidget* parent)
    : QDialog(parent), FolderEdit(new QLineEdit(this)), FolderButton(new QPushButton(QStringLiteral("&Browse..."), this)),
      ProfileBox(new QComboBox(this)), NewProfileButton(new QPushButton(QStringLiteral("&New..."), this)),
      EditProfileButton(new QPushButton(QStringLiteral("&Edit..."), this)), RemoteEdit(new QLineEdit(this)),
      RemoteButton(new QPushButton(QStringLiteral("Bro&wse..."), this)), AddressEdit(new QLineEdit(this)),
      OkButton(new QPushButton(QStringLiteral("OK"), this)), CancelButton(new QPushButton(QStringLiteral("Cancel"), this)),
      connectSetPath_(std::move(connectSetPath)), lister_(std::move(lister))
{
    setWindowTitle(QStringLiteral("New Site"));
    RemoteEdit->setPlaceholderText(QStringLiteral("the profile's Directory"));
    AddressEdit->setPlaceholderText(QStringLiteral("https://www.example.org/"));
    auto* form = new QFormLayout;
    const auto add = [&](const QString& caption, QWidget* field, QWidget* buddy) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(buddy);
        form->addRow(label, field);
    };
    add(QStringLiteral("&Folder:"), Row(this, {FolderEdit, FolderButton}), FolderEdit);
    add(QStringLiteral("&Profile:"), Row(this, {ProfileBox, NewProfileButton, EditProfileButton}), ProfileBox);
    add(QStringLiteral("&Remote folder:"), Row(this, {RemoteEdit, RemoteButton}), RemoteEdit);
    add(QStringLiteral("&Address:"), AddressEdit, AddressEdit);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(OkButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(CancelButton, QDialogButtonBox::RejectRole);
    OkButton->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(520);

    connect(OkButton, &QPushButton::clicked, this, &TSiteSetupDialog::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FolderButton, &QPushButton::clicked, this, &TSiteSetupDialog::BrowseFolderClick);
    connect(RemoteButton, &QPushButton::clicked, this, &TSiteSetupDialog::BrowseRemoteClick);
    connect(NewProfileButton, &QPushButton::clicked, this, &TSiteSetupDialog::NewProfileClick);
    connect(EditProfileButton, &QPushButton::clicked, this, &TSiteSetupDialog::EditProfileClick);
    LoadProfiles(QString());
}

void TSiteSetupDialog::LoadProfiles(const QString& select)
{
    ProfileBox->clear();
    ProfileBox->addItems(ProfileNamesIn(connectSetPath_));
    if (!select.isEmpty())
        ProfileBox->setCurrentText(select);
}

void TSiteSetupDialog::OkClick()
{
    if (FolderEdit->text().isEmpty()) {
        platform().ShowMessage(QStringLiteral("Choose the folder of the site."));
        return;
    }
    if (ProfileBox->currentText().isEmpty()) {
        platform().ShowMessage(QStringLiteral("Please, create new FTP Connection!"));
        return;
    }
    TSiteSettings settings;
    settings.Profile = ProfileBox->currentText().toStdString();
    settings.Remote = RemoteEdit->text().toStdString();
    settings.Url = AddressEdit->text().toStdString();
    try {
        made_ = TSite::Create(QFile::encodeName(FolderEdit->text()).toStdString(), settings);
    } catch (const std::exception& error) {
        platform().ShowError(QString::fromStdString(error.what()));
        return;
    }
    accept();
}

void TSiteSetupDialog::BrowseFolderClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Folder of the Site"), FolderEdit->text());
    if (!folder.isEmpty())
        FolderEdit->setText(folder);
}

void TSiteSetupDialog::BrowseRemoteClick()
{
    const std::optional<TConnectionProfile> profile =
        ProfileNamed(connectSetPath_, ProfileBox->currentText().toStdString());
    if (!profile) {
        platform().ShowMessage(QStringLiteral("Please, select the FTP Connection!"));
        return;
    }
    TRemoteFolderDialog browser(*profile, lister_, this);
    if (platform().ExecModal(browser) == QDialog::Accepted)
        RemoteEdit->setText(QString::fromStdString(browser.Chosen()));
}

void TSiteSetupDialog::NewProfileClick()
{
    if (MakeProfile(this, connectSetPath_)) {
        const QStringList names = ProfileNamesIn(connectSetPath_);
        LoadProfiles(names.isEmpty() ? QString() : names.front());
    }
}

void TSiteSetupDialog::EditProfileClick()
{
    const QString name = ProfileBox->currentText();
    if (name.isEmpty()) {
        platform().ShowMessage(QStringLiteral("Please, create new FTP Connection!"));
        return;
    }
    EditProfile(this, connectSetPath_, name.toStdString());
    LoadProfiles(name);
}

TRemoteFolderDialog::TRemoteFolderDialog(TConnectionProfile profile, TRemoteLister lister, QWidget* parent)
    : QDialog(parent), Tree(new QTreeWidget(this)), profile_(std::move(profile)), lister_(std::move(lister))
{
    setWindowTitle(QStringLiteral("Remote Folder"));
    Tree->setHeaderLabels({QStringLiteral("Folder")});
    auto* root = new QTreeWidgetItem(Tree, {QStringLiteral("(log-in folder)")});
    root->setData(0, kPathRole, QString());
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    Tree->setCurrentItem(root);
    connect(Tree, &QTreeWidget::itemExpanded, this, &TRemoteFolderDialog::Expand);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Tree);
    layout->addWidget(buttons);
    resize(420, 360);
    root->setExpanded(true);
}

std::string TRemoteFolderDialog::Chosen() const
{
    const QTreeWidgetItem* item = Tree->currentItem();
    return item ? item->data(0, kPathRole).toString().toStdString() : std::string();
}

void TRemoteFolderDialog::Expand(QTreeWidgetItem* item)
{
    if (item->data(0, kListedRole).toBool())
        return;
    item->setData(0, kListedRole, true);
    const std::string folder = item->data(0, kPathRole).toString().toStdString();
    QPointer<TRemoteFolderDialog> alive(this);
    lister_(profile_, folder.empty() ? std::string(".") : folder,
            [alive, item, folder](std::vector<TRemoteEntry> entries, QString error) {
                if (!alive)
                    return;
                if (!error.isEmpty()) {
                    item->setData(0, kListedRole, false);
                    platform().ShowError(error);
                    return;
                }
                for (const TRemoteEntry& entry : entries) {
                    if (entry.Kind != TRemoteKind::Folder)
                        continue;
                    auto* child = new QTreeWidgetItem(item, {QString::fromStdString(entry.Name)});
                    child->setData(0, kPathRole, QString::fromStdString(folder.empty() ? entry.Name : folder + "/" + entry.Name));
                    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
                }
                item->sortChildren(0, Qt::AscendingOrder);
            });
}
