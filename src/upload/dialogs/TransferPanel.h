#pragma once
// The strip at the bottom of both FTP windows: the listener of the window's transfer session. It names
// the step now running (looking up, connecting, securing, logging in, changing folder, sending), shows
// how much of the file has gone out, puts a new certificate or host key to the user, and shows a "Stop"
// button, only while a transfer runs, that cancels the session. The window runs its work through Run;
// the panel says busy or idle meanwhile, so the window can lock its own buttons.

#include "net/TransferStep.h"
#include "transfer/RemoteSession.h"

#include <QString>
#include <QWidget>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

enum class TTransferEnd { Completed, Failed, Cancelled };

class TTransferPanel : public QWidget, public TTransferListener {
    Q_OBJECT
public:
    // Waits of a session give up after this long without progress.
    static constexpr int kTimeOutSeconds = 60;

    explicit TTransferPanel(QWidget* parent);

    // What the steps name: the server's host and the file being sent (empty for a test).
    struct TNames {
        QString Host;
        QString FileName;
    };

    // Runs the work (a session opened and used). An error that leaves it goes to the error box, unless
    // the user cancelled; then the panel says so with cancelledText. Stop and closing run cancel.
    TTransferEnd Run(const TNames& names, const QString& cancelledText, const std::function<void()>& cancel,
                     const std::function<void()>& work);
    void SetPhase(const QString& phase);

    bool Busy() const { return busy_; }
    bool CancelRequested() const { return cancelRequested_; }

    void StepStarted(TTransferStep step) override;
    void BytesMoved(std::uint64_t done, std::uint64_t total) override;
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override;
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override;

    QLabel* StatusLabel;
    QProgressBar* ProgressBar;
    QPushButton* StopButton;

public slots:
    void CancelClick();
    // What closing the window does: a running transfer stops as "Stop" stops it.
    void StopIfBusy();

signals:
    void BusyChanged(bool busy);
    void StepEntered(TTransferStep step);

private:
    QString PhaseOf(TTransferStep step) const;
    void ShowBytesSent(std::uint64_t done, std::uint64_t total);

    bool busy_ = false;
    bool cancelRequested_ = false;
    TNames names_;
    std::function<void()> cancel_;
    std::chrono::steady_clock::time_point lastShown_{};
};

// The text of an error for a message box: without its line end, control characters and endless text.
QString ErrorText(const std::exception& error);

// Says goodbye after a failure without a second error: the failure is the one to report.
void CloseQuietly(TRemoteSession& session);
