#include "net/ReplyParsing.h"
#include "net/SocketErrors.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplyParsing, ReplyNumberIsTheLeadingDigits)
{
    const std::pair<const char*, int> cases[] = {
        {"220 Ready\r\n", 220},  {"331-More\r\n", 331}, {"no digits\r\n", 0}, {"", 0},
        {"0000000230x", 230},   {"5", 5},              {" 220 blank first", 0},
    };
    for (const auto& [line, number] : cases)
        EXPECT_EQ(ReplyNumberOf(line), number) << line;
    EXPECT_THROW(ReplyNumberOf("99999 too big"), ESockError);
}

TEST(ReplyParsing, PassivePortFromTheLastTwoNumbers)
{
    const std::pair<const char*, int> cases[] = {
        {"227 Entering Passive Mode (10,0,0,1,4,1)\r\n", 1025},
        {"227 Entering Passive Mode (127,0,0,1,195,80).\r\n", 195 * 256 + 80},
        {"227 =127,0,0,1, 0 , 1 )\r\n", 1},
        {"227 (1,2,3,4,255,255)\r\n", 65535},
    };
    for (const auto& [reply, port] : cases)
        EXPECT_EQ(PassivePortOf(reply), port) << reply;
}

TEST(ReplyParsing, MalformedPassiveRepliesAreErrors)
{
    const char* cases[] = {
        "227 Entering Passive Mode 127,0,0,1,4,1\r\n",    // no ")"
        "227 Entering Passive Mode (127,0,0,1,4)\r\n",    // five fields
        "227 Entering Passive Mode (127,0,0,1,x,1)\r\n",  // not a number
        "227 Entering Passive Mode (127,0,0,1,4,)\r\n",   // empty field
        "227 Entering Passive Mode (127,0,0,1,0,0)\r\n",  // port 0
        "227 Entering Passive Mode (127,0,0,1,256,1)\r\n",
        "227 Entering Passive Mode (127,0,0,1,-1,1)\r\n",
        "",
    };
    for (const char* reply : cases)
        EXPECT_FALSE(PassivePortOf(reply)) << reply;
}

TEST(ReplyParsing, ExtendedPassivePort)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"229 Entering Extended Passive Mode (|||6446|)\r\n", 6446},
        {"229 Entering Extended Passive Mode (!!!65535!)\r\n", 65535},
        {"229 (|||1|)", 1},
        {"229 Entering Extended Passive Mode (|||0|)\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode (|||65536|)\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode (|2|::1|6446|)\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode (|||64x6|)\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode (|||6446|\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode (||||)\r\n", std::nullopt},
        {"229 Entering Extended Passive Mode |||6446|\r\n", std::nullopt},
        {"229 (", std::nullopt},
    };
    for (const auto& [reply, port] : cases)
        EXPECT_EQ(ExtendedPassivePortOf(reply), port) << reply;
}

TEST(ReplyParsing, ControlCharacters)
{
    EXPECT_FALSE(HoldsControlCharacter("index.html"));
    EXPECT_FALSE(HoldsControlCharacter("naïve name.html"));
    EXPECT_TRUE(HoldsControlCharacter("a\r\nDELE b"));
    EXPECT_TRUE(HoldsControlCharacter(std::string("a\0b", 3)));
    EXPECT_TRUE(HoldsControlCharacter("tab\there"));
}

TEST(ReplyParsing, WithoutLineEnd)
{
    EXPECT_EQ(WithoutLineEnd("550 No\r\n"), "550 No");
}

}  // namespace
