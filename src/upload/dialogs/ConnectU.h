#pragma once
// The "Upload" window: lists the connection profiles of connect.set, adds, edits and deletes them
// through the "New FTP Connection" dialog, and sends the page recorded by File, Upload to the chosen
// profile's server: over FTP or FTPS with its own FTP client (connect, log in, change folder if the
// profile names one, store the page under its file name, log out), or over SFTP when the profile's Host
// line says so. Modeless and always on top; while an upload runs its
// buttons are locked and its panel shows the progress and can cancel it.

#include "platform/ButtonClosedDialog.h"
#include "net/FtpClient.h"
#include "net/ServerAddress.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ProtocolTransfer.h"

#include <QString>
#include <optional>
#include <string>

class QListWidget;
class QPushButton;
class TForm4;
class TTransferPanel;

class TForm3 : public TButtonClosedDialog {
    Q_OBJECT
public:
    TForm3(TForm4& profileDialog, std::string profilePath, QWidget* parent = nullptr);

    static constexpr int kHelpContext = 6;

    // The full path of the page to send, set by File, Upload each time.
    QString UploadPath;

    // The list from the file; a missing file leaves it as it is. Nothing is selected afterwards.
    void LoadList();

    // Where SFTP host keys and trusted FTPS certificates are remembered.
    std::string KnownHostsPath = DefaultKnownHostsPath();
    std::string TrustedServersPath = DefaultTrustedServersPath();

    // First, so that it exists before the panel that binds its events.
    TFtpClient FtpClient1;
    QListWidget* ListBox1;
    QPushButton* Button1;   // New
    QPushButton* Button2;   // Delete
    QPushButton* Button5;   // Edit
    QPushButton* Button3;   // Upload
    QPushButton* Button4;   // Close
    TTransferPanel* Panel;

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BindClientEvents();
    // The file's lines; nothing when it is missing or cannot be read (then after the error box).
    std::optional<TProfileLines> ReadProfiles();
    // The selected profile's name as the file holds it, after the messages for an empty list or no
    // selection (an empty list is only checked when asked).
    enum class TEmptyListCheck { Skip, Report };
    std::optional<std::string> SelectedName(TEmptyListCheck check);
    // The file's lines and where the selected profile starts in them, after the same messages.
    struct TSelectedProfile {
        TProfileLines Lines;
        std::size_t Start = 0;
    };
    std::optional<TSelectedProfile> SelectedProfile(TEmptyListCheck check);
    void ShowProfileDialog();
    void UploadAndDisconnect();
    TTransferEnd UploadFtp(const TConnectionProfile& profile, const TServerAddress& address, int port);
    TTransferEnd UploadSftp(const TConnectionProfile& profile, const TServerAddress& address, int port);
    void LockButtons(bool busy);

    TForm4& form4_;
    TProfileFile file_;
    std::string directory_;
    // The page of the upload that runs: File, Upload may record another one meanwhile.
    std::string transferPath_;
};
