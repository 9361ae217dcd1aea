#include "net/ServerAddress.h"

#include <algorithm>
#include <cctype>

namespace {

struct TScheme {
    std::string_view Prefix;
    TTransferProtocol Protocol;
};

constexpr TScheme kSchemes[] = {{"ftps://", TTransferProtocol::Ftps}, {"sftp://", TTransferProtocol::Sftp}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

TServerAddress ParseServerAddress(std::string_view hostLine)
{
    for (const TScheme& scheme : kSchemes) {
        if (StartsWithNoCase(hostLine, scheme.Prefix))
            return {scheme.Protocol, std::string(hostLine.substr(scheme.Prefix.size()))};
    }
    return {TTransferProtocol::Ftp, std::string(hostLine)};
}

std::string HostLineOf(const TServerAddress& address)
{
    for (const TScheme& scheme : kSchemes) {
        if (scheme.Protocol == address.Protocol) return std::string(scheme.Prefix) + address.Host;
    }
    return address.Host;
}

int DefaultPort(TTransferProtocol protocol)
{
    return protocol == TTransferProtocol::Sftp ? 22 : 21;
}

std::string WithoutBrackets(std::string_view host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') return std::string(host.substr(1, host.size() - 2));
    return std::string(host);
}
