#include "net/SocketErrors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

struct ErrnoCase {
    int errnoValue;
    const char* message;
};

TEST(SocketErrors, ErrnoValuesGiveTheClassicCodeAndText)
{
    const ErrnoCase cases[] = {
        {ECONNREFUSED, "10061:Connection refused"},
        {ECONNRESET, "10054:Connection reset by peer"},
        {ETIMEDOUT, "10060:Connection timed out"},
        {EADDRINUSE, "10048:Address already in use"},
        {EADDRNOTAVAIL, "10049:Can't assign requested address"},
        {ENETUNREACH, "10051:Network is unreachable"},
        {EHOSTUNREACH, "10065:No route to Host"},
        {ENOTCONN, "10057:Socket is not connected"},
        {EPIPE, "10058:Can't send after socket shutdown"},
        {EWOULDBLOCK, "10035:Operation would block"},
        {EINPROGRESS, "10036:Operation now in progress"},
        {EBADF, "10009:Bad file number"},
        {EMFILE, "10024:Too many open files"},
        {EAFNOSUPPORT, "10047:Address family not supported by protocol family"},
        {ENOBUFS, "10055:No buffer space available"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SocketErrorMessage(SocketErrorCodeFromErrno(c.errnoValue)), c.message) << c.errnoValue;
}

TEST(SocketErrors, LookUpFailuresGiveHostCodes)
{
    EXPECT_EQ(SocketErrorMessage(SocketErrorCodeFromLookup(EAI_NONAME)), "11001:Host not found");
    EXPECT_EQ(SocketErrorMessage(SocketErrorCodeFromLookup(EAI_AGAIN)), "11002:Non-Authoritative Host not found");
    EXPECT_EQ(SocketErrorCodeFromLookup(0), 0);
}

TEST(SocketErrors, CodesOutsideTheTable)
{
    EXPECT_EQ(SocketErrorMessage(10099), "Unknown Error No. 10099");
    EXPECT_EQ(SocketErrorMessage(42), "Unknown Error No. 42");
    // An errno without a classic code is still an error (above 10000) with the system's text.
    int code = SocketErrorCodeFromErrno(EIO);
    EXPECT_GT(code, 10000);
    EXPECT_EQ(SocketErrorMessage(code), std::to_string(code) + ":Input/output error");
}

}  // namespace
