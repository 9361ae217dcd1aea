#include "upload/dialogs/TransferPanel.h"

#include "net/ReadableText.h"
#include "net/ReplyParsing.h"
#include "platform/Platform.h"
#include "upload/dialogs/ProtocolTransfer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kBarSteps = 1000;
constexpr auto kBarInterval = std::chrono::milliseconds(40);
}  // namespace

QString ErrorText(const std::exception& error)
{
    // Any error may carry a server's words (an SSH library's text among them).
    const std::string text = ReadableServerText(WithoutLineEnd(error.what()), kReadableMessageLength);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void CloseQuietly(TRemoteSession& session)
{
    try {
        session.Close();
    } catch (const std::exception&) {
        // The connection is gone either way.
    }
}

TTransferPanel::TTransferPanel(QWidget* parent)
    : QWidget(parent),
      StatusLabel(new QLabel(this)),
      ProgressBar(new QProgressBar(this)),
      StopButton(new QPushButton(QStringLiteral("Stop"), this))
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
}

QString TTransferPanel::PhaseOf(TTransferStep step) const
{
    switch (step) {
    case TTransferStep::LookUp: return QStringLiteral("Looking up ") + names_.Host + QStringLiteral("...");
    case TTransferStep::Connect: return QStringLiteral("Connecting to ") + names_.Host + QStringLiteral("...");
    case TTransferStep::Secure: return QStringLiteral("Securing the connection...");
    case TTransferStep::LogIn: return QStringLiteral("Logging in...");
    case TTransferStep::Directory: return QStringLiteral("Changing folder...");
    case TTransferStep::Send: return QStringLiteral("Sending ") + names_.FileName + QStringLiteral("...");
    case TTransferStep::Closing: return QStringLiteral("Disconnecting...");
    }
    return QString();
}

void TTransferPanel::StepStarted(TTransferStep step)
{
    // After a cancel the panel keeps saying so, whatever the session still does on its way out.
    if (!cancelRequested_)
        SetPhase(PhaseOf(step));
    emit StepEntered(step);
}

// The bar follows the bytes a few dozen times a second: smooth to the eye, and painting no more often
// keeps the transfer fast.
void TTransferPanel::BytesMoved(std::uint64_t done, std::uint64_t total)
{
    if (ProgressBar->maximum() == 0)
        ProgressBar->setRange(0, kBarSteps);
    if (done == total || std::chrono::steady_clock::now() - lastShown_ >= kBarInterval)
        ShowBytesSent(done, total);
}

void TTransferPanel::ShowBytesSent(std::uint64_t done, std::uint64_t total)
{
    lastShown_ = std::chrono::steady_clock::now();
    const int step = total > 0 ? static_cast<int>(std::min(done, total) * kBarSteps / total) : kBarSteps;
    if (step != ProgressBar->value())
        ProgressBar->setValue(step);
}

TTrustAnswer TTransferPanel::AskCertificate(const TCertificateQuestion& question)
{
    return AskAboutCertificate(question);
}

TTrustAnswer TTransferPanel::AskHostKey(const THostKeyQuestion& question)
{
    return AskAboutHostKey(question);
}

void TTransferPanel::SetPhase(const QString& phase)
{
    StatusLabel->setText(phase);
}

TTransferEnd TTransferPanel::Run(const TNames& names, const QString& cancelledText,
                                 const std::function<void()>& cancel, const std::function<void()>& work)
{
    busy_ = true;
    cancelRequested_ = false;
    names_ = names;
    cancel_ = cancel;
    // Until data flows there is nothing to count: the bar only shows that something is going on.
    ProgressBar->setRange(0, 0);
    SetPhase(PhaseOf(TTransferStep::LookUp));
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
    cancel_ = nullptr;
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
    if (cancel_)
        cancel_();
}
