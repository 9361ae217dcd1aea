#include "net/ReadableText.h"
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

TEST(ReplyParsing, ReadableServerText)
{
    const std::string e300 = [] {
        std::string text;
        for (int i = 0; i < 300; ++i)
            text += "\xC3\xA9";
        return text;
    }();
    const std::pair<std::string, std::string> cases[] = {
        {"550 No such file\r\n", "550 No such file\r\n"},
        {"550 a\rb\tc\x7F" "d\x1B[2J\n", "550 a?b?c?d?[2J\n"},
        {"\xC2\x85\xC2\x9F\xC2\xA0", "??\xC2\xA0"},            // C1 controls; U+00A0 stays
        {"f\xFCr \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "f?r ?? ??? ????"},  // not UTF-8
        {"\xF0\x9F\x98\x80 \xE2\x82", "\xF0\x9F\x98\x80 ??"},   // a cut-off sequence at the end
        {std::string(300, 'x'), std::string(300, 'x')},
        {std::string(301, 'x') + "\r\n", std::string(300, 'x') + "...\r\n"},
        {e300 + "\xC3\xA9", e300 + "..."},                             // cut between characters
    };
    for (const auto& [text, readable] : cases) {
        EXPECT_EQ(ReadableServerText(text), readable) << text;
        EXPECT_EQ(ReadableServerText(readable), readable) << "showing twice changes nothing";
    }
    EXPECT_EQ(ReadableServerText("abcdef", 3), "abc...");
}

}  // namespace
