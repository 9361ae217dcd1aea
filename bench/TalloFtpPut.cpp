// tallo-ftp-put HOST PORT USER FILE [--active] [--dir DIR] [--timeout SECONDS]
// Uploads one file with TFtpClient the way the upload dialog does: connect and log in, change to DIR if
// given, store the file under its own name, quit. The password comes from TALLO_FTP_PASSWORD (never from
// the command line). Every wait gives up after SECONDS without progress (60 by default; 0 waits for
// ever). Prints each event and the error text of a failure; exits non-zero on failure.

#include "net/FtpClient.h"
#include "base/PathName.h"
#include "net/ReplyParsing.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Options {
    std::string host;
    int port = 0;
    std::string user;
    std::string file;
    bool active = false;
    std::string directory;
    int timeoutSeconds = 60;
};

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

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: tallo-ftp-put HOST PORT USER FILE [--active] [--dir DIR] [--timeout SECONDS]\n"
                             "       the password is read from the environment variable TALLO_FTP_PASSWORD;\n"
                             "       a wait gives up after SECONDS without progress (default 60, 0: never)\n");
        return 2;
    }
    const char* password = std::getenv("TALLO_FTP_PASSWORD");

    TFtpClient client;
    client.Host = options.host;
    client.Port = options.port;
    client.UserID = options.user;
    client.Password = password ? password : "";
    client.Passive = !options.active;
    client.TimeOut = options.timeoutSeconds * 1000;

    bool failed = false;
    using Clock = std::chrono::steady_clock;
    Clock::time_point transferStart;
    auto say = [](const std::string& text) { std::printf("%s\n", text.c_str()); std::fflush(stdout); };
    auto uploadAndQuit = [&] {
        client.Upload(options.file, FileNamePart(options.file));
        client.Disconnect();
    };

    client.OnHostResolved = [&](TSocketConnection&) { say("OnHostResolved"); };
    client.OnConnectionFailed = [&](TSocketConnection&) { say("OnConnectionFailed"); };
    client.OnError = [&](TSocketConnection&, std::uint16_t code, const std::string& text) {
        say("OnError " + std::to_string(code) + " " + text);
    };
    client.OnDisconnect = [&](TSocketConnection&) { say("OnDisconnect"); };
    client.OnConnect = [&](TSocketConnection&) {
        say("OnConnect");
        if (options.directory.empty())
            uploadAndQuit();
        else
            client.ChangeDirectory(options.directory);
    };
    client.OnSuccess = [&](TFtpClient&, TCmdType type) {
        say(std::string("OnSuccess ") + CommandName(type));
        if (type == ctChangeDirectory)
            uploadAndQuit();
    };
    client.OnFailure = [&](TFtpClient&, bool&, TCmdType type) {
        failed = true;
        say(std::string("OnFailure ") + CommandName(type));
    };
    client.OnUnSupportedFunction = [&](TFtpClient&, TCmdType type) {
        say(std::string("OnUnSupportedFunction ") + CommandName(type));
    };
    client.OnTransactionStart = [&](TSocketConnection&) {
        say("OnTransactionStart");
        transferStart = Clock::now();
    };
    client.OnTransactionStop = [&](TSocketConnection&) {
        double seconds = std::chrono::duration<double>(Clock::now() - transferStart).count();
        double megabytes = static_cast<double>(client.BytesTotal()) / 1e6;
        std::printf("OnTransactionStop %lld bytes in %.3f s (%.1f MB/s)\n", static_cast<long long>(client.BytesTotal()),
                    seconds, seconds > 0 ? megabytes / seconds : 0.0);
        std::fflush(stdout);
    };

    try {
        client.Connect();
    } catch (const std::exception& error) {
        std::string note = client.TimedOut()
                               ? " (no progress for " + std::to_string(options.timeoutSeconds) + " s)"
                               : "";
        std::fprintf(stderr, "error: %s%s\n", std::string(WithoutLineEnd(error.what())).c_str(), note.c_str());
        return 1;
    }
    return failed ? 1 : 0;
}
