#include "upload/dialogs/TransferPanel.h"

#include "net/FtpClient.h"
#include "net/ReplyParsing.h"
#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kBarSteps = 1000;
constexpr auto kBarInterval = std::chrono::milliseconds(40);
}  // namespace

QString ErrorText(const std::exception& error)
{
    const std::string_view text = WithoutLineEnd(error.what());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TTransferPanel::TTransferPanel(TFtpClient& client, QWidget* parent)
    : QWidget(parent),
      StatusLabel(new QLabel(this)),
      ProgressBar(new QProgressBar(this)),
      StopButton(new QPushButton(QStringLiteral("Stop"), this)),
      client_(client)
{
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->setMinimumWidth(120);
    // A long host or file name is clipped: the fixed-size windows do not grow with what they report.
    StatusLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ProgressBar->setRange(0, kBarSteps);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setMaximumHeight(12);
    StopButton->setAutoDefault(false);
    StopButton->setEnabled(false);
    // Hidden between transfers, without the window changing its size when it shows.
    QSizePolicy keepRoom = StopButton->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    StopButton->setSizePolicy(keepRoom);
    StopButton->hide();
    connect(StopButton, &QPushButton::clicked, this, &TTransferPanel::CancelClick);

    auto* bar = new QHBoxLayout;
    bar->addWidget(ProgressBar, 1);
    bar->addWidget(StopButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(StatusLabel);
    layout->addLayout(bar);
    BindClientEvents();
}

void TTransferPanel::BindClientEvents()
{
    client_.TimeOut = kTimeOutMs;
    // Level 1 brings the commands as the client sends them; the panel only names the phase they begin
    // and shows none of the texts (the password is never among them).
    client_.ReportLevel = 1;
    client_.OnStatus = [this](TSocketConnection&, const std::string& status) {
        if (!busy_)
            return;
        if (status.rfind("AUTH ", 0) == 0)
            SetPhase(QStringLiteral("Securing the connection..."));
        else if (status.rfind("USER ", 0) == 0)
            SetPhase(QStringLiteral("Logging in..."));
        // After a cancel the client still logs out; a server that stopped answering must not hold the
        // window until the time-out, so the log-out is cut short as well.
        if (status == "QUIT" && cancelRequested_)
            client_.Cancel();
    };
    client_.OnTransactionStart = [this](TSocketConnection&) {
        ProgressBar->setRange(0, kBarSteps);
        bytesSent_ = 0;
        ShowBytesSent(client_.BytesTotal());
    };
    client_.OnTransactionStop = [this](TSocketConnection&) {
        ShowBytesSent(client_.BytesTotal());
        if (!cancelRequested_)
            SetPhase(QStringLiteral("Waiting for the server..."));
    };
    // The data connection reports each block it sent; its own count is the progress. The bar follows
    // it a few dozen times a second: smooth to the eye, and painting no more often keeps the transfer fast.
    client_.OnPacketSent = [this](TSocketConnection& data) {
        bytesSent_ = data.BytesSent();
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown_ >= kBarInterval)
            ShowBytesSent(client_.BytesTotal());
    };
}

void TTransferPanel::ShowProgress(long long sent, long long total)
{
    if (ProgressBar->maximum() == 0)
        ProgressBar->setRange(0, kBarSteps);
    bytesSent_ = sent;
    if (sent == total || std::chrono::steady_clock::now() - lastShown_ >= kBarInterval)
        ShowBytesSent(total);
}

void TTransferPanel::ShowBytesSent(long long total)
{
    lastShown_ = std::chrono::steady_clock::now();
    const int step = total > 0 ? static_cast<int>(bytesSent_ * kBarSteps / total) : kBarSteps;
    if (step != ProgressBar->value())
        ProgressBar->setValue(step);
}

void TTransferPanel::SetPhase(const QString& phase)
{
    StatusLabel->setText(phase);
}

TTransferEnd TTransferPanel::Run(const QString& firstPhase, const QString& cancelledText,
                                 const std::function<void()>& work)
{
    busy_ = true;
    cancelRequested_ = false;
    // Until data flows there is nothing to count: the bar only shows that something is going on.
    ProgressBar->setRange(0, 0);
    SetPhase(firstPhase);
    StopButton->setEnabled(true);
    StopButton->show();
    emit BusyChanged(true);

    TTransferEnd end = TTransferEnd::Completed;
    try {
        work();
    } catch (const std::exception& error) {
        end = TTransferEnd::Failed;
        if (!cancelRequested_)
            platform().ShowError(ErrorText(error));
    }
    if (cancelRequested_) {
        end = TTransferEnd::Cancelled;
        SetPhase(cancelledText);
    }
    ProgressBar->setRange(0, kBarSteps);
    if (end != TTransferEnd::Completed)
        ProgressBar->setValue(0);
    StopButton->setEnabled(false);
    StopButton->hide();
    busy_ = false;
    emit BusyChanged(false);
    return end;
}

void TTransferPanel::StopIfBusy()
{
    if (busy_ && !cancelRequested_)
        CancelClick();
}

void TTransferPanel::CancelClick()
{
    if (!busy_)
        return;
    cancelRequested_ = true;
    SetPhase(QStringLiteral("Cancelling..."));
    // Abort ends the data connection's wait or send; Cancel ends a wait on the control connection.
    client_.Abort();
    client_.Cancel();
    if (OnCancel)
        OnCancel();
}
