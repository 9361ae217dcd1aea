#pragma once
// The commands of tallo-site, each returning its exit code. Settings, record and local file errors are
// thrown (ESiteSettingsError, ERecordError, EFileError) and transfer errors too (ETransferError); main
// turns them into a message and the exit code.

#include "site/cli/SiteCommandLine.h"
#include "site/cli/TerminalOutput.h"
#include "site/Site.h"
#include "transfer/RemoteSession.h"

#include <memory>

int RunInit(const TSiteCommand& command);
int RunStatus(const TSiteCommand& command);
int RunCheck(const TSiteCommand& command);
int RunPublish(const TSiteCommand& command);

// Hears a session's trust questions and asks them on the terminal.
class TTerminalListener : public TTransferListener {
public:
    explicit TTerminalListener(TTrustPolicy policy) : policy_(policy) {}
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override
    {
        return AskCertificateOnTerminal(question, policy_);
    }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override { return AskHostKeyOnTerminal(question, policy_); }

private:
    TTrustPolicy policy_;
};

TSessionOptions SessionOptionsFor(const TSiteCommand& command);
std::string LinkProblemName(TLinkProblemKind kind);
