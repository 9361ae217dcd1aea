#pragma once
// The "New FTP Connection" dialog: one connection profile typed in, checked, tried against the server
// through a transfer session ("Test": as far as the folder, sending nothing) and saved to connect.set
// ("OK"), either on top as a new profile or in place of the one being edited. The protocol list beside Host (FTP, FTPS or SFTP) writes its scheme
// into the stored Host line; a line without one is plain FTP. While a test runs its buttons are locked
// and its panel can cancel it.

#include "platform/ButtonClosedDialog.h"
#include "net/ServerAddress.h"
#include "net/SftpSession.h"
#include "net/TransferStep.h"
#include "net/TrustedServers.h"
#include "upload/ConnectionProfiles.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/TransferPanel.h"

#include <cstddef>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm4 : public TButtonClosedDialog {
    Q_OBJECT
public:
    TForm4(std::string profilePath, QWidget* parent = nullptr);

    static constexpr int kHelpContext = 6;

    // Empty fields, "Passive Mode" checked, "OK" adds a profile on top.
    void PrepareNewProfile();
    // The fields from a profile of the file; "OK" rewrites the profile starting at that line.
    void PrepareEditProfile(const TConnectionProfile& profile, std::size_t startLine);
    bool EditMode() const { return editMode_; }
    std::size_t StartLine() const { return startLine_; }
    TTransferProtocol Protocol() const;

    // Where SFTP host keys and trusted FTPS certificates are remembered.
    std::string KnownHostsPath = DefaultKnownHostsPath();
    std::string TrustedServersPath = DefaultTrustedServersPath();

    QLineEdit* Edit1;       // Name
    QLineEdit* Edit2;       // User ID
    QLineEdit* Edit3;       // Password, shown as "*"
    QComboBox* ComboBox1;   // protocol: "FTP", "FTPS (secure)", "SFTP (secure)"
    QLineEdit* Edit4;       // Host, without the scheme
    QLabel* SecurityLabel;  // whether the chosen protocol is secure
    QCheckBox* CheckBox1;   // Passive Mode
    QLineEdit* Edit5;       // Port
    QLineEdit* Edit6;       // Directory
    QPushButton* Button1;   // OK
    QPushButton* Button2;   // Test
    QPushButton* Button3;   // Cancel
    TTransferPanel* Panel;

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ComboBox1Change(int index);
    void Edit4Edited(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    // The first empty one of Name, User ID, Password, Host is reported; true when none is empty.
    bool CheckFields();
    TConnectionProfile ProfileFromFields() const;
    std::string HostLine() const;
    void SetProtocol(TTransferProtocol protocol);
    void ShowSecurity();
    TTransferEnd Test(const TConnectionProfile& profile, std::optional<TTransferStep>& failedStep);
    void LockButtons(bool busy);

    TProfileFile file_;
    bool editMode_ = false;
    std::size_t startLine_ = 0;
    // The profile as it was shown, so untouched fields keep their bytes.
    TConnectionProfile shown_;
    TTransferProtocol protocol_ = TTransferProtocol::Ftp;
};
