#pragma once
// The strip at the bottom of both FTP windows: what the window's client is doing now (connecting,
// logging in, changing folder, sending), how much of the file has gone out, and a "Stop" button, shown
// only while a transfer runs, that stops it. The window runs its work through Run; the panel follows the client's events meanwhile and
// says busy or idle, so the window can lock its own buttons while a transfer runs.

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class TFtpClient;

enum class TTransferEnd { Completed, Failed, Cancelled };

class TTransferPanel : public QWidget {
    Q_OBJECT
public:
    // Waits of the panel's client give up after this long without progress.
    static constexpr int kTimeOutMs = 60000;

    TTransferPanel(TFtpClient& client, QWidget* parent);

    // Runs the work (a connect and all that the client's events do inside it). An error that leaves it
    // goes to the error box, unless the user cancelled; then the panel says so with cancelledText.
    TTransferEnd Run(const QString& firstPhase, const QString& cancelledText, const std::function<void()>& work);
    void SetPhase(const QString& phase);
    // Progress of a transfer that does not go through the panel's FTP client (SFTP).
    void ShowProgress(long long sent, long long total);

    // Also run by Cancel, for work that does not go through the panel's FTP client.
    std::function<void()> OnCancel;

    bool Busy() const { return busy_; }
    bool CancelRequested() const { return cancelRequested_; }

    QLabel* StatusLabel;
    QProgressBar* ProgressBar;
    QPushButton* StopButton;

public slots:
    void CancelClick();
    // What closing the window does: a running transfer stops as "Stop" stops it.
    void StopIfBusy();

signals:
    void BusyChanged(bool busy);

private:
    void BindClientEvents();
    void ShowBytesSent(long long total);

    TFtpClient& client_;
    bool busy_ = false;
    bool cancelRequested_ = false;
    long long bytesSent_ = 0;
    std::chrono::steady_clock::time_point lastShown_{};
};

// The text of an error for a message box: a server reply without its line end.
QString ErrorText(const std::exception& error);
