// tallo-ftp-put HOST PORT USER FILE [--active] [--dir DIR] [--timeout SECONDS] [--trust-new]
// Uploads one file the way the upload dialog does: connect and log in, change to DIR if given, store the
// file under its own name, quit. HOST takes the Host line's schemes: a plain name is FTP, "ftps://name"
// FTP with explicit TLS (TFtpClient), "sftp://name" SSH file transfer (TSftpSession). The password comes
// from TALLO_FTP_PASSWORD (never from the command line). Every wait gives up after SECONDS without
// progress (60 by default; 0 waits for ever). A certificate that does not verify, or an SSH host key seen
// for the first time, is shown and put to the user on the terminal; without a terminal it is refused
// unless --trust-new says to trust and remember it. A certificate that differs from the one trusted
// before, like a changed host key, is always refused. Prints each event and the error text of a failure
// with the step it failed in; exits non-zero on failure.

#include "base/PathName.h"
#include "net/FtpClient.h"
#include "net/ReadableText.h"
#include "net/ReplyParsing.h"
#include "net/ServerAddress.h"
#include "net/SftpSession.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Options {
    std::string host;
    int port = 0;
    std::string user;
    std::string file;
    bool active = false;
    std::string directory;
    int timeoutSeconds = 60;
    bool trustNew = false;
};

using Clock = std::chrono::steady_clock;

// An error fit for the terminal: it may carry a server's words, escape sequences included.
std::string Shown(const char* error)
{
    return ReadableServerText(WithoutLineEnd(error), kReadableMessageLength);
}

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
    case TTransferStep::Send: return "upload";
    }
    return "?";
}

void ReportThroughput(const char* what, std::int64_t bytes, Clock::time_point start)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s %lld bytes in %.3f s (%.1f MB/s)\n", what, static_cast<long long>(bytes), seconds,
                seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0);
    std::fflush(stdout);
}

// The user's word on a server not known yet: --trust-new, else a question on the terminal, else no.
TTrustAnswer AskTrust(const Options& options, const std::string& what)
{
    std::printf("%s\n", what.c_str());
    if (options.trustNew) {
        std::printf("trusted and remembered (--trust-new)\n");
        return TTrustAnswer::TrustAndRemember;
    }
    if (!::isatty(STDIN_FILENO)) {
        std::printf("refused: no terminal to ask on (--trust-new trusts it)\n");
        return TTrustAnswer::Refuse;
    }
    std::printf("Trust it and remember it? [y/N] ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" ? TTrustAnswer::TrustAndRemember : TTrustAnswer::Refuse;
}

// A whole number from 0 to max; false for anything else.
bool ParseCount(const std::string& text, int max, int& value)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long long number = std::stoll(text);
    if (number > max)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseArguments(int argc, char** argv, Options& options)
{
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--active") {
            options.active = true;
        } else if (argument == "--trust-new") {
            options.trustNew = true;
        } else if (argument == "--dir" && i + 1 < argc) {
            options.directory = argv[++i];
        } else if (argument == "--timeout" && i + 1 < argc) {
            if (!ParseCount(argv[++i], INT_MAX / 1000, options.timeoutSeconds))
                return false;
        } else if (argument.rfind("--", 0) == 0) {
            return false;
        } else {
            switch (positional++) {
            case 0: options.host = argument; break;
            case 1:
                if (!ParseCount(argument, 65535, options.port))
                    return false;
                break;
            case 2: options.user = argument; break;
            case 3: options.file = argument; break;
            default: return false;
            }
        }
    }
    return positional == 4;
}

const char* CommandName(TCmdType type)
{
    switch (type) {
    case ctChangeDirectory: return "change directory";
    case ctMakeDirectory: return "make directory";
    case ctDeleteFile: return "delete file";
    case ctRemoveDirectory: return "remove directory";
    case ctUpload: return "upload";
    case ctPrintWorkingDirectory: return "print working directory";
    case ctOtherCommand: break;
    }
    return "command";
}


int RunSftp(const Options& options, const TServerAddress& address, const char* password)
{
    TSftpSession session(DefaultKnownHostsPath());
    session.Timeout = options.timeoutSeconds;
    session.OnNewHostKey = [&](const THostKeyQuestion& question) {
        return AskTrust(options, "The host key of " + question.Host + " is not known yet: " + question.KeyType +
                                     " " + question.Fingerprint);
    };
    Clock::time_point start;
    session.OnStep = [&](TTransferStep step) {
        Say(std::string("step: ") + StepName(step));
        if (step == TTransferStep::Send)
            start = Clock::now();
    };
    const TSftpTarget target{address.Host, options.port, options.user, password ? password : "", options.directory};
    try {
        session.Upload(target, options.file);
    } catch (const ESftpError& error) {
        std::fprintf(stderr, "error (%s): %s\n", StepName(error.Step()), Shown(error.what()).c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", Shown(error.what()).c_str());
        return 1;
    }
    struct stat info {};
    ReportThroughput("transfer", ::stat(options.file.c_str(), &info) == 0 ? info.st_size : 0, start);
    return 0;
}

void WireFtpEvents(TFtpClient& client, const Options& options, bool& failed, Clock::time_point& transferStart)
{
    auto uploadAndQuit = [&client, &options] {
        client.Upload(options.file, FileNamePart(options.file));
        client.Disconnect();
    };
    client.OnHostResolved = [](TSocketConnection&) { Say("OnHostResolved"); };
    client.OnConnectionFailed = [](TSocketConnection&) { Say("OnConnectionFailed"); };
    client.OnError = [](TSocketConnection&, std::uint16_t code, const std::string& text) {
        Say("OnError " + std::to_string(code) + " " + text);
    };
    client.OnDisconnect = [](TSocketConnection&) { Say("OnDisconnect"); };
    client.OnConnect = [&client, &options, uploadAndQuit](TSocketConnection&) {
        Say("OnConnect");
        if (options.directory.empty())
            uploadAndQuit();
        else
            client.ChangeDirectory(options.directory);
    };
    client.OnSuccess = [uploadAndQuit](TFtpClient&, TCmdType type) {
        Say(std::string("OnSuccess ") + CommandName(type));
        if (type == ctChangeDirectory)
            uploadAndQuit();
    };
    client.OnFailure = [&failed](TFtpClient&, bool&, TCmdType type) {
        failed = true;
        Say(std::string("OnFailure ") + CommandName(type));
    };
    client.OnUnSupportedFunction = [](TFtpClient&, TCmdType type) {
        Say(std::string("OnUnSupportedFunction ") + CommandName(type));
    };
    client.OnTransactionStart = [&transferStart](TSocketConnection&) {
        Say("OnTransactionStart");
        transferStart = Clock::now();
    };
    client.OnTransactionStop = [&client, &transferStart](TSocketConnection&) {
        ReportThroughput("OnTransactionStop", client.BytesTotal(), transferStart);
    };
    client.OnUntrustedCertificate = [&options](const TUntrustedCertificate& question) {
        // Like a changed SSH host key: refused here whatever the options; the error names both fingerprints.
        if (question.Changed()) {
            Say("refused: the certificate differs from the one trusted before (--trust-new never replaces it)");
            return TTrustAnswer::Refuse;
        }
        const TTlsCertificate& certificate = question.Certificate;
        return AskTrust(options, "The certificate of the server does not verify (" + certificate.Problem +
                                     ").\n  subject: " + certificate.Subject + "\n  issuer: " + certificate.Issuer +
                                     "\n  SHA-256 fingerprint: " + certificate.Fingerprint);
    };
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: tallo-ftp-put HOST PORT USER FILE [--active] [--dir DIR] [--timeout SECONDS] [--trust-new]\n"
                     "       HOST: name (FTP), ftps://name (FTP with TLS) or sftp://name (SFTP);\n"
                     "       the password is read from the environment variable TALLO_FTP_PASSWORD;\n"
                     "       a wait gives up after SECONDS without progress (default 60, 0: never);\n"
                     "       --trust-new trusts an unknown certificate or host key without asking\n");
        return 2;
    }
    const char* password = std::getenv("TALLO_FTP_PASSWORD");
    const TServerAddress address = ParseServerAddress(options.host);
    if (address.Protocol == TTransferProtocol::Sftp)
        return RunSftp(options, address, password);

    TFtpClient client;
    client.Host = address.Host;
    client.Port = options.port;
    client.UserID = options.user;
    client.Password = password ? password : "";
    client.Passive = !options.active;
    client.TimeOut = options.timeoutSeconds * 1000;
    if (address.Protocol == TTransferProtocol::Ftps)
        client.Security = TFtpSecurity::ExplicitTls;
    bool failed = false;
    Clock::time_point transferStart;
    WireFtpEvents(client, options, failed, transferStart);
    try {
        client.Connect();
    } catch (const std::exception& error) {
        std::string note = client.TimedOut()
                               ? " (no progress for " + std::to_string(options.timeoutSeconds) + " s)"
                               : "";
        std::fprintf(stderr, "error (%s): %s%s\n", StepName(client.Step()),
                     Shown(error.what()).c_str(), note.c_str());
        return 1;
    }
    return failed ? 1 : 0;
}
