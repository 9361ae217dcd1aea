#pragma once
// The "Upload" window: lists the connection profiles of connect.set, adds, edits and deletes them
// through the "New FTP Connection" dialog, and sends the page recorded by File, Upload to the chosen
// profile's server through a transfer session (connect, log in, change folder if the profile names one,
// store the page under its file name, log out) over FTP, FTPS or SFTP as the profile's Host line says.
// Modeless and always on top; while an upload runs its buttons are locked and its panel, the session's
// listener, shows the progress and can cancel it.

#include "platform/ButtonClosedDialog.h"
#include "net/SftpSession.h"
#include "net/TrustedServers.h"
#include "upload/ConnectionProfiles.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/TransferPanel.h"

#include <QString>
#include <optional>
#include <string>

class QListWidget;
class QPushButton;
class TForm4;

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
    TTransferEnd Upload(const TConnectionProfile& profile, const std::string& page);
    void LockButtons(bool busy);

    TForm4& form4_;
    TProfileFile file_;
};
