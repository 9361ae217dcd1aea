#pragma once
// What both FTP windows share across the three protocols a profile may name: the FTP client set up for
// FTP or FTPS, an SFTP test or upload run through the window's panel, the trust questions put to the
// user when a server's certificate or host key is not known yet, and the plain words for the step in
// which a transfer failed.

#include "net/ServerAddress.h"
#include "net/SftpSession.h"
#include "net/TlsSession.h"
#include "net/TransferStep.h"
#include "net/TrustedServers.h"
#include "upload/ConnectionProfiles.h"
#include "upload/dialogs/TransferPanel.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

class TFtpClient;

// Both ask the user through the platform, refusal being the default button; Esc refuses. A changed
// certificate is shown as a warning naming both fingerprints, and only its "replace" button accepts it.
TTrustAnswer AskAboutHostKey(const THostKeyQuestion& question);
TTrustAnswer AskAboutCertificate(const TUntrustedCertificate& question);

// "the host name could not be found", "the log-in was refused", ...
QString StepFailureText(TTransferStep step);

// User, password, host without its scheme, passive mode, port, TLS for FTPS, and the certificate question.
void PrepareFtpClient(TFtpClient& client, const TConnectionProfile& profile, const TServerAddress& address,
                      int port, const std::string& trustedServersPath);

TSftpTarget SftpTargetOf(const TConnectionProfile& profile, const TServerAddress& address, int port);

struct TSftpJob {
    TSftpTarget Target;
    std::string LocalPath;  // empty: only a check, as far as the folder
    std::string KnownHostsPath;
    QString CancelledText;
    QString SuccessMessage;
    // The window's message for a failure in a step, shown before the error box; empty for none.
    std::function<QString(TTransferStep)> FailureMessage;
};

struct TTransferOutcome {
    TTransferEnd End = TTransferEnd::Completed;
    std::optional<TTransferStep> FailedStep;  // when it failed
};

// Runs the job inside the panel: its steps and progress show there, its Cancel aborts the session, a
// new host key is put to the user, and the session gives up after the panel's time-out.
TTransferOutcome RunSftpJob(TTransferPanel& panel, const TSftpJob& job);
