#include "site/cli/TerminalOutput.h"

#include <iostream>
#include <unistd.h>

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string ByteCount(std::uint64_t bytes)
{
    char text[32];
    if (bytes < 1024)
        std::snprintf(text, sizeof text, "%llu B", static_cast<unsigned long long>(bytes));
    else if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    return text;
}

void TProgressLine::Show(const TPublishProgress& progress)
{
    const auto now = std::chrono::steady_clock::now();
    const bool finished = progress.FilesDone == progress.FilesTotal;
    if (!enabled_ || (shown_ && !finished && now - lastDraw_ < std::chrono::milliseconds(100)))
        return;
    lastDraw_ = now;
    const double rate = progress.Seconds > 0 ? progress.BytesDone / progress.Seconds : 0;
    const double fraction = progress.BytesTotal > 0 ? static_cast<double>(progress.BytesDone) / progress.BytesTotal
                            : progress.FilesTotal > 0 ? static_cast<double>(progress.FilesDone) / progress.FilesTotal
                                                      : 1.0;
    const int filled = static_cast<int>(std::min(1.0, fraction) * 20);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(20, ' ');
    const int left = rate > 0 && progress.BytesTotal > progress.BytesDone
                         ? static_cast<int>((progress.BytesTotal - progress.BytesDone) / rate) : 0;
    std::fprintf(stdout, "\r[%s] %zu/%zu files  %s/%s  %s/s  %d:%02d left \033[K", bar.c_str(), progress.FilesDone,
                 progress.FilesTotal, ByteCount(progress.BytesDone).c_str(), ByteCount(progress.BytesTotal).c_str(),
                 ByteCount(static_cast<std::uint64_t>(rate)).c_str(), left / 60, left % 60);
    std::fflush(stdout);
    shown_ = true;
}

void TProgressLine::Clear()
{
    if (enabled_ && shown_) {
        std::fputs("\r\033[K", stdout);
        std::fflush(stdout);
        shown_ = false;
    }
}

namespace {

TTrustAnswer Ask(const std::string& what, TTrustPolicy policy)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    if (policy == TTrustPolicy::TrustNew) {
        std::fprintf(stderr, "trusted and remembered (--trust-new)\n");
        return TTrustAnswer::TrustAndRemember;
    }
    if (!::isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "refused: no terminal to ask on (--trust-new trusts it)\n");
        return TTrustAnswer::Refuse;
    }
    std::fprintf(stderr, "Trust it and remember it? [y/N] ");
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" ? TTrustAnswer::TrustAndRemember : TTrustAnswer::Refuse;
}

}  // namespace

TTrustAnswer AskCertificateOnTerminal(const TCertificateQuestion& question, TTrustPolicy policy)
{
    const std::string details = "\n  subject: " + question.Certificate.Subject + "\n  issuer: " +
                                question.Certificate.Issuer + "\n  SHA-256 fingerprint: " + question.Certificate.Fingerprint;
    if (!question.PinnedFingerprint.empty()) {
        // A changed certificate is never taken on a yes: it may be someone in between.
        std::fprintf(stderr, "The certificate of %s changed since it was trusted (it was %s).%s\nrefused\n",
                     question.Host.c_str(), question.PinnedFingerprint.c_str(), details.c_str());
        return TTrustAnswer::Refuse;
    }
    return Ask("The certificate of the server does not verify (" + question.Certificate.Problem + ")." + details, policy);
}

TTrustAnswer AskHostKeyOnTerminal(const THostKeyQuestion& question, TTrustPolicy policy)
{
    return Ask("The host key of " + question.Host + " is not known yet: " + question.KeyType + " " + question.Fingerprint,
               policy);
}
