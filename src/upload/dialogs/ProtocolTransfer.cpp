#include "upload/dialogs/ProtocolTransfer.h"

#include "platform/Platform.h"
#include "upload/dialogs/ProfileText.h"

#include <QStringList>

namespace {

// Refuse first, so that it is the default: Enter pressed without reading must not trust a stranger.
const QStringList kTrustButtons = {QStringLiteral("&Refuse"), QStringLiteral("&Trust and remember")};
constexpr int kTrustButton = 1;

TTrustAnswer Ask(const QString& caption, const QString& text)
{
    return platform().Ask(caption, text, kTrustButtons) == kTrustButton ? TTrustAnswer::TrustAndRemember
                                                                        : TTrustAnswer::Refuse;
}

// Another certificate was trusted for the server before: the warning of a changed SSH host key, with
// replacing the old one behind it and refusal, again, the default.
TTrustAnswer AskToReplace(const TUntrustedCertificate& question)
{
    const TTlsCertificate& shown = question.Certificate;
    const QString text =
        QStringLiteral("WARNING: the certificate of %1 (port %2) has changed since you trusted it, and the new one "
                       "could not be verified: %3.\n\nTrusted before, SHA-256 fingerprint: %4\n"
                       "Shown now, SHA-256 fingerprint: %5\nSubject: %6\nIssuer: %7\n\n"
                       "Someone may be intercepting the connection. Replace the trusted certificate only if your "
                       "hosting provider confirms the new fingerprint; otherwise refuse and send nothing.")
            .arg(ProfileText(question.Host))
            .arg(question.Port)
            .arg(ProfileText(shown.Problem), ProfileText(question.PinnedFingerprint), ProfileText(shown.Fingerprint),
                 ProfileText(shown.Subject), ProfileText(shown.Issuer));
    const QStringList buttons = {QStringLiteral("&Refuse"), QStringLiteral("Re&place the trusted certificate")};
    return platform().Ask(QStringLiteral("Certificate changed"), text, buttons) == 1 ? TTrustAnswer::ReplaceRemembered
                                                                                   : TTrustAnswer::Refuse;
}

}  // namespace

TTrustAnswer AskAboutHostKey(const THostKeyQuestion& question)
{
    return Ask(QStringLiteral("Unknown server key"),
               QStringLiteral("This is the first connection to %1 (port %2) over SFTP, so its key is not known yet.\n\n"
                              "Key type: %3\nSHA-256 fingerprint: %4\n\n"
                              "Compare the fingerprint with the one your hosting provider gives. Trust this key and "
                              "remember it for later connections, or refuse and send nothing?")
                   .arg(ProfileText(question.Host))
                   .arg(question.Port)
                   .arg(ProfileText(question.KeyType), ProfileText(question.Fingerprint)));
}

TTrustAnswer AskAboutCertificate(const TUntrustedCertificate& question)
{
    const TTlsCertificate& shown = question.Certificate;
    if (question.Changed())
        return AskToReplace(question);
    return Ask(QStringLiteral("Unverified certificate"),
               QStringLiteral("The certificate of %1 could not be verified: %2.\n\n"
                              "Subject: %3\nIssuer: %4\nSHA-256 fingerprint: %5\n\n"
                              "Someone may be intercepting the connection. Trust this certificate only if the "
                              "fingerprint matches the one your hosting provider gives. Trust it and remember it "
                              "for later connections, or refuse and send nothing?")
                   .arg(ProfileText(question.Host), ProfileText(shown.Problem), ProfileText(shown.Subject),
                        ProfileText(shown.Issuer), ProfileText(shown.Fingerprint)));
}

QString StepFailureText(TTransferStep step)
{
    switch (step) {
    case TTransferStep::LookUp: return QStringLiteral("the host name could not be found");
    case TTransferStep::Connect: return QStringLiteral("no connection could be made to the server");
    case TTransferStep::Secure: return QStringLiteral("the server's certificate or key was not accepted");
    case TTransferStep::LogIn: return QStringLiteral("the log-in was refused");
    case TTransferStep::Directory: return QStringLiteral("the folder could not be opened");
    case TTransferStep::Send: return QStringLiteral("the page could not be sent");
    case TTransferStep::Closing: return QStringLiteral("the server did not take the goodbye");
    }
    return QString();
}
