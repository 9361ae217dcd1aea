#include "net/TrustedServers.h"

#include "base/FileWrites.h"
#include "base/PathName.h"
#include "base/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

namespace {

struct TEntry {
    std::string host;
    int port = 0;
    std::string fingerprint;
};

bool ParseLine(const std::string& line, TEntry& entry)
{
    std::istringstream fields(line);
    std::string rest;
    return static_cast<bool>(fields >> entry.host >> entry.port >> entry.fingerprint) && !(fields >> rest);
}

// A host name never holds blanks; one that does would break the line apart.
void RequireOneWord(const std::string& text, const char* what)
{
    if (text.empty() || text.find_first_of(" \t\r\n") != std::string::npos)
        throw std::runtime_error(std::string("Cannot remember the certificate: the ") + what + " is not one word");
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Makes the folder and its missing parents; the new ones private to the user.
void MakeFolders(const std::string& folder)
{
    for (std::size_t at = 1; at != std::string::npos;) {
        at = folder.find('/', at + 1);
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::runtime_error("Cannot make the folder \"" + part + "\": " + std::strerror(errno));
    }
}

void WriteWhole(const std::string& path, const std::string& text)
{
    MakeFolders(FolderPart(path));
    if (const int error = ReplacePrivateFile(path, text))
        throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(error));
}

}  // namespace

bool TTrustedServers::Trusts(const std::string& host, int port, const std::string& fingerprint) const
{
    return !fingerprint.empty() && FingerprintOf(host, port) == fingerprint;
}

std::string TTrustedServers::FingerprintOf(const std::string& host, int port) const
{
    TEntry entry;
    for (const std::string& line : ReadLines(path_))
        if (ParseLine(line, entry) && entry.host == host && entry.port == port)
            return entry.fingerprint;
    return {};
}

void TTrustedServers::Remember(const std::string& host, int port, const std::string& fingerprint) const
{
    if (path_.empty())
        throw std::runtime_error("Cannot remember the certificate: no home folder was found to keep it in");
    RequireOneWord(host, "host name");
    RequireOneWord(fingerprint, "fingerprint");
    std::string text;
    TEntry entry;
    for (const std::string& line : ReadLines(path_))
        if (!ParseLine(line, entry) || entry.host != host || entry.port != port)
            text += line + "\n";
    text += host + " " + std::to_string(port) + " " + fingerprint + "\n";
    WriteWhole(path_, text);
}

std::string CertificateRefusal(const TUntrustedCertificate& question, const std::string& trustedServersPath)
{
    const TTlsCertificate& shown = question.Certificate;
    if (!question.Changed())
        return "The certificate of " + question.Host + " is not trusted: " + shown.Problem +
               (shown.Fingerprint.empty() ? "" : ". Its SHA-256 fingerprint is " + shown.Fingerprint);
    return "WARNING: the certificate of " + question.Host + " (port " + std::to_string(question.Port) +
           ") has changed since it was trusted, and the new one does not verify (" + shown.Problem +
           "). Trusted before, SHA-256: " + question.PinnedFingerprint + ". Shown now, SHA-256: " +
           shown.Fingerprint + ". Someone may be intercepting the connection, so nothing was sent. If the server's "
           "certificate was replaced on purpose, check the new fingerprint with the hosting provider and remove the "
           "server's line from " + trustedServersPath + ".";
}

std::string DefaultTrustedServersPath()
{
    const std::string config = UserConfigFolder();
    return config.empty() ? std::string() : config + "/tallo/trusted_servers";
}
