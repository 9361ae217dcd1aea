// A profile's Host line: plain names stay FTP, the two schemes choose FTPS or SFTP, and writing the
// address back gives the same line.

#include "net/ServerAddress.h"

#include <gtest/gtest.h>

TEST(ServerAddressTest, SchemeChoosesTheProtocolAndRoundTrips)
{
    struct Case {
        const char* line;
        TTransferProtocol protocol;
        const char* host;
        const char* written;
    } const cases[] = {
        {"ftp.example.com", TTransferProtocol::Ftp, "ftp.example.com", "ftp.example.com"},
        {"", TTransferProtocol::Ftp, "", ""},
        {"ftps://secure.example", TTransferProtocol::Ftps, "secure.example", "ftps://secure.example"},
        {"SFTP://Shell.Example", TTransferProtocol::Sftp, "Shell.Example", "sftp://Shell.Example"},
        {"sftp://[::1]", TTransferProtocol::Sftp, "[::1]", "sftp://[::1]"},
        {"http://example.com", TTransferProtocol::Ftp, "http://example.com", "http://example.com"},
        {"ftps:/half", TTransferProtocol::Ftp, "ftps:/half", "ftps:/half"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TServerAddress address = ParseServerAddress(c.line);
        EXPECT_EQ(address.Protocol, c.protocol);
        EXPECT_EQ(address.Host, c.host);
        EXPECT_EQ(HostLineOf(address), c.written);
    }
    EXPECT_EQ(WithoutBrackets("[::1]"), "::1");
    EXPECT_EQ(WithoutBrackets("::1"), "::1");
    EXPECT_EQ(DefaultPort(TTransferProtocol::Sftp), 22);
    EXPECT_EQ(DefaultPort(TTransferProtocol::Ftps), 21);
}
