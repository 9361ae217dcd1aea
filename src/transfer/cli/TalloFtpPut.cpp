// tallo-ftp-put: the transfer service for scripts. The plain form uploads one file with the safe
// replace; the verbs list a folder, download, remove and make folders. HOST takes the Host line's
// schemes (a plain name is FTP, "ftps://name" FTP with explicit TLS, "sftp://name" SFTP); the password
// comes from TALLO_FTP_PASSWORD, never from the command line.
#include "base/PathName.h"
#include "net/ReadableText.h"
#include "net/ReplyParsing.h"
#include "transfer/RemoteSession.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// An error fit for the terminal: it may carry a server's words, escape sequences included.
std::string Shown(const char* error)
{
    return ReadableServerText(WithoutLineEnd(error), kReadableMessageLength);
}

enum class TVerb { Put, List, Get, Remove, MakeFolder };
enum class TTrustNew { Ask, Trust };

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct TVerbForm {
    const char* Name;
    TVerb Verb;
    int Arguments;  // after the verb: HOST PORT USER and the rest
};

constexpr TVerbForm kVerbs[] = {
    {"ls", TVerb::List, 4}, {"get", TVerb::Get, 5}, {"rm", TVerb::Remove, 4}, {"mkdir", TVerb::MakeFolder, 4}};

constexpr const char* kUsage =
    "usage: tallo-ftp-put HOST PORT USER FILE... [options]  upload each FILE under its own name (safe replace)\n"
    "       tallo-ftp-put ls HOST PORT USER DIR [options]   list DIR: d or f, size or -, UTC time\n"
    "                                                       YYYYMMDDHHMMSS or -, name; one entry a line\n"
    "       tallo-ftp-put get HOST PORT USER REMOTE LOCAL [options]   download REMOTE to LOCAL\n"
    "       tallo-ftp-put rm HOST PORT USER REMOTE [options]          delete the file REMOTE\n"
    "       tallo-ftp-put mkdir HOST PORT USER DIR [options]          make DIR with its parents\n"
    "       tallo-ftp-put --help | --version\n"
    "HOST: name or address (FTP), ftps://name (FTP with TLS) or sftp://name (SFTP); [::1] for IPv6.\n"
    "The password is read from the environment variable TALLO_FTP_PASSWORD.\n"
    "options (every form):\n"
    "  --active           active FTP data connections (PORT) instead of passive\n"
    "  --dir DIR          the server folder that relative names start from (default: the log-in folder)\n"
    "  --timeout SECONDS  a wait gives up after SECONDS without progress (default 60, 0: never)\n"
    "  --trust-new        trust and remember a certificate or SSH host key seen for the first time\n"
    "                     (never a changed one); without it, and without a terminal, it is refused\n"
    "exit codes: 0 done, 1 the operation failed (the error names the step), 2 wrong usage\n";

struct TOptions {
    TVerb Verb = TVerb::Put;
    std::vector<std::string> Arguments;  // HOST PORT USER and the verb's own
    bool Active = false;
    std::string Directory;
    int TimeoutSeconds = 60;
    TTrustNew TrustNew = TTrustNew::Ask;
};

void Say(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

const char* StepName(TTransferStep step)
{
    switch (step) {
    case TTransferStep::LookUp: return "name look-up";
    case TTransferStep::Connect: return "connection";
    case TTransferStep::Secure: return "TLS or host key";
    case TTransferStep::LogIn: return "log-in";
    case TTransferStep::Directory: return "directory";
    case TTransferStep::Send: return "transfer";
    case TTransferStep::Closing: return "closing";
    }
    return "?";
}

const char* ModeName(TReplaceMode mode)
{
    switch (mode) {
    case TReplaceMode::Renamed: return "renamed over the old file";
    case TReplaceMode::RemovedThenRenamed: return "old file removed, then renamed";
    case TReplaceMode::Direct: return "sent straight to the name (the server renames nothing)";
    }
    return "?";
}

// The user's word on a server not known yet: --trust-new, else a question on the terminal, else no.
TTrustAnswer AskTrust(TTrustNew trustNew, const std::string& what)
{
    Say(what);
    if (trustNew == TTrustNew::Trust) {
        Say("trusted and remembered (--trust-new)");
        return TTrustAnswer::TrustAndRemember;
    }
    if (!::isatty(STDIN_FILENO)) {
        Say("refused: no terminal to ask on (--trust-new trusts it)");
        return TTrustAnswer::Refuse;
    }
    std::printf("Trust it and remember it? [y/N] ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" ? TTrustAnswer::TrustAndRemember : TTrustAnswer::Refuse;
}

class TTerminalListener : public TTransferListener {
public:
    explicit TTerminalListener(TTrustNew trustNew) : trustNew_(trustNew) {}

    void StepStarted(TTransferStep step) override
    {
        Say(std::string("step: ") + StepName(step));
        if (step == TTransferStep::Send)
            TransferStart = Clock::now();
    }
    TTrustAnswer AskCertificate(const TCertificateQuestion& question) override
    {
        // Like a changed SSH host key: refused here whatever the options; the error names both fingerprints.
        if (question.Changed()) {
            Say("refused: the certificate differs from the one trusted before (--trust-new never replaces it)");
            return TTrustAnswer::Refuse;
        }
        return AskTrust(trustNew_, "The certificate of the server does not verify (" + question.Certificate.Problem +
                                       ").\n  subject: " + question.Certificate.Subject + "\n  issuer: " +
                                       question.Certificate.Issuer + "\n  SHA-256 fingerprint: " +
                                       question.Certificate.Fingerprint);
    }
    TTrustAnswer AskHostKey(const THostKeyQuestion& question) override
    {
        return AskTrust(trustNew_, "The host key of " + question.Host + " is not known yet: " + question.KeyType + " " +
                                       question.Fingerprint);
    }

    Clock::time_point TransferStart = Clock::now();

private:
    TTrustNew trustNew_;
};

bool ParseCount(const std::string& text, int max, int& value)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const long long number = std::stoll(text);
    if (number > max)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseArguments(int argc, char** argv, TOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--active") {
            options.Active = true;
        } else if (argument == "--trust-new") {
            options.TrustNew = TTrustNew::Trust;
        } else if (argument == "--dir" && i + 1 < argc) {
            options.Directory = argv[++i];
        } else if (argument == "--timeout" && i + 1 < argc) {
            if (!ParseCount(argv[++i], INT_MAX / 1000, options.TimeoutSeconds))
                return false;
        } else if (argument.rfind("--", 0) == 0) {
            return false;
        } else {
            options.Arguments.push_back(argument);
        }
    }
    if (options.Arguments.size() == 4)
        return true;  // the plain form: the upload
    for (const TVerbForm& form : kVerbs)
        if (!options.Arguments.empty() && options.Arguments[0] == form.Name &&
            static_cast<int>(options.Arguments.size()) == form.Arguments + 1) {
            options.Verb = form.Verb;
            options.Arguments.erase(options.Arguments.begin());
            return true;
        }
    return options.Arguments.size() > 4;  // several files, uploaded one after another on one connection
}

std::string TimeText(const std::optional<std::int64_t>& time)
{
    if (!time)
        return "-";
    const std::time_t seconds = static_cast<std::time_t>(*time);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &parts);
    return text;
}

void Perform(TRemoteSession& session, const TOptions& options, TTerminalListener& listener)
{
    const std::vector<std::string>& a = options.Arguments;
    switch (options.Verb) {
    case TVerb::Put:
        for (std::size_t file = 3; file < a.size(); ++file) {
            const TPutResult result = session.Put(a[file], FileNamePart(a[file]));
            const double seconds = std::chrono::duration<double>(Clock::now() - listener.TransferStart).count();
            std::printf("transfer %llu bytes in %.3f s (%.1f MB/s)\n", static_cast<unsigned long long>(result.Bytes),
                        seconds, seconds > 0 ? static_cast<double>(result.Bytes) / 1e6 / seconds : 0.0);
            Say(std::string("replace: ") + ModeName(result.Mode));
        }
        break;
    case TVerb::List:
        for (const TRemoteEntry& entry : session.List(a[3]))
            std::printf("%c %s %s %s\n", entry.Kind == TRemoteKind::Folder ? 'd' : 'f',
                        entry.Size ? std::to_string(*entry.Size).c_str() : "-", TimeText(entry.ModifiedUtc).c_str(),
                        entry.Name.c_str());
        break;
    case TVerb::Get: Say("received " + std::to_string(session.Download(a[3], a[4])) + " bytes"); break;
    case TVerb::Remove: session.Remove(a[3]); break;
    case TVerb::MakeFolder: session.MakeFolder(a[3]); break;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        Say("tallo-ftp-put " TALLO_VERSION);
        return kExitDone;
    }
    TOptions options;
    int port = 0;
    if (!ParseArguments(argc, argv, options) || !ParseCount(options.Arguments[1], 65535, port)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const char* password = std::getenv("TALLO_FTP_PASSWORD");
    const TConnectionProfile profile{"", options.Arguments[2], password ? password : "", options.Arguments[0],
                                     !options.Active, std::to_string(port), options.Directory};
    TSessionOptions sessionOptions;
    sessionOptions.TimeoutSeconds = options.TimeoutSeconds;
    // Nothing here prints what the server says of an uploaded file: no round trips for it.
    sessionOptions.AfterPut = TAfterPut::Nothing;
    TTerminalListener listener(options.TrustNew);
    try {
        const std::unique_ptr<TRemoteSession> session = OpenRemoteSession(profile, sessionOptions, listener);
        Perform(*session, options, listener);
        session->Close();
    } catch (const ETransferError& error) {
        std::fprintf(stderr, "error (%s): %s\n", StepName(error.Step()), Shown(error.what()).c_str());
        return kExitFailed;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", Shown(error.what()).c_str());
        return kExitFailed;
    }
    return kExitDone;
}
