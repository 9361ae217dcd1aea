#pragma once
// What both FTP windows (and the site window) say about a transfer whatever its protocol: the trust
// questions put to the user when a server's certificate or host key is not known yet, and the plain
// words for the step in which a transfer failed.

#include "net/SftpSession.h"
#include "net/TlsSession.h"
#include "net/TransferStep.h"
#include "net/TrustedServers.h"

#include <QString>

// Both ask the user through the platform, refusal being the default button; Esc refuses. A changed
// certificate is shown as a warning naming both fingerprints, and only its "replace" button accepts it.
TTrustAnswer AskAboutHostKey(const THostKeyQuestion& question);
TTrustAnswer AskAboutCertificate(const TUntrustedCertificate& question);

// "the host name could not be found", "the log-in was refused", ...
QString StepFailureText(TTransferStep step);
