#pragma once
// "New Site": makes a folder a site. The folder, the profile of connect.set it is published with
// (made or edited here with the New FTP Connection dialog), the remote folder (typed, or chosen by
// browsing the server) and the site's address. "OK" writes the site's settings; a folder that is
// already a site, or missing, is said so and the dialog stays open.

#include "site/Site.h"
#include "transfer/RemoteSession.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Lists a remote folder of a profile and calls back on the user-interface thread with its entries,
// or with an error text.
using TRemoteLister = std::function<void(const TConnectionProfile& profile, const std::string& folder,
                                         std::function<void(std::vector<TRemoteEntry>, QString error)> done)>;

class TSiteSetupDialog : public QDialog {
    Q_OBJECT
public:
    TSiteSetupDialog(std::string connectSetPath, TRemoteLister lister, QWidget* parent = nullptr);

    QLineEdit* FolderEdit;
    QPushButton* FolderButton;
    QComboBox* ProfileBox;
    QPushButton* NewProfileButton;
    QPushButton* EditProfileButton;
    QLineEdit* RemoteEdit;
    QPushButton* RemoteButton;
    QLineEdit* AddressEdit;
    QPushButton* OkButton;
    QPushButton* CancelButton;

    // The site made by "OK".
    const std::optional<TSite>& Made() const { return made_; }

public slots:
    void OkClick();
    void BrowseFolderClick();
    void BrowseRemoteClick();
    void NewProfileClick();
    void EditProfileClick();

private:
    void LoadProfiles(const QString& select);

    std::string connectSetPath_;
    TRemoteLister lister_;
    std::optional<TSite> made_;
};

// Chooses a folder on the server, listing each folder when it is opened.
class TRemoteFolderDialog : public QDialog {
    Q_OBJECT
public:
    TRemoteFolderDialog(TConnectionProfile profile, TRemoteLister lister, QWidget* parent = nullptr);

    QTreeWidget* Tree;
    // The folder chosen, relative to the log-in folder; "" for the log-in folder itself.
    std::string Chosen() const;

private:
    void Expand(QTreeWidgetItem* item);

    TConnectionProfile profile_;
    TRemoteLister lister_;
};
