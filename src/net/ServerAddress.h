#pragma once
// The protocol a profile's Host line asks for. A plain host name is FTP exactly as it always was;
// "ftps://name" is FTP with explicit TLS and "sftp://name" is SSH file transfer, so profiles keep their
// seven lines and older files read as before.

#include <string>
#include <string_view>

enum class TTransferProtocol { Ftp, Ftps, Sftp };

struct TServerAddress {
    TTransferProtocol Protocol = TTransferProtocol::Ftp;
    std::string Host;  // without the scheme; an IPv6 literal keeps its brackets
};

// The scheme is matched without regard to case; any other "xyz://" stays part of the host, which then
// fails to resolve with the usual message rather than being taken for plain FTP silently.
TServerAddress ParseServerAddress(std::string_view hostLine);
std::string HostLineOf(const TServerAddress& address);
// The port a protocol uses when the profile names none: 21 for FTP and FTPS, 22 for SFTP.
int DefaultPort(TTransferProtocol protocol);
// "[::1]" -> "::1"; anything else as it is.
std::string WithoutBrackets(std::string_view host);
