#pragma once
// The "New FTP Connection" dialog: one connection profile typed in, checked, tried against the server
// with its own FTP client ("Test") and saved to connect.set ("OK"), either on top as a new profile or
// in place of the one being edited. While a test runs its buttons are locked and its panel can cancel it.

#include "app/ButtonClosedDialog.h"
#include "net/FtpClient.h"
#include "upload/ConnectionProfiles.h"
#include "upload/ProfileFile.h"

#include <cstddef>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TTransferPanel;

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

    // First, so that it exists before the panel that binds its events.
    TFtpClient FtpClient1;
    QLineEdit* Edit1;       // Name
    QLineEdit* Edit2;       // User ID
    QLineEdit* Edit3;       // Password, shown as "*"
    QLineEdit* Edit4;       // Host
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BindClientEvents();
    // The first empty one of Name, User ID, Password, Host is reported; true when none is empty.
    bool CheckFields();
    TConnectionProfile ProfileFromFields() const;
    void Succeed();
    void LockButtons(bool busy);

    TProfileFile file_;
    bool editMode_ = false;
    std::size_t startLine_ = 0;
    // The profile as it was shown, so untouched fields keep their bytes.
    TConnectionProfile shown_;
    std::string directory_;
};
