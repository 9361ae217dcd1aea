#include "net/FtpReply.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(FtpReply, OnlyThreeDigitCodesFrom100To599AreReplies)
{
    const std::pair<std::string, int> cases[] = {
        {"220 Ready\r\n", 220},     {"331-More\r\n", 331},   {"150\r\n", 150},
        {"599 x\r\n", 599},         {"100 x\r\n", 100},      {"000 Nothing\r\n", 0},
        {"999 Odd\r\n", 0},         {"650 Beyond\r\n", 0},   {"099 x\r\n", 0},
        {"2200 Four digits\r\n", 0}, {"22 Two\r\n", 0},      {" 220 Blank first\r\n", 0},
        {"Hello there\r\n", 0},     {"220x\r\n", 0},         {"", 0},
        {std::string("\0\1\2\3\n", 5), 0},
    };
    for (const auto& [line, code] : cases)
        EXPECT_EQ(ReplyCodeOf(line), code) << line;
}

struct AssemblyCase {
    const char* name;
    std::vector<std::string> lines;
    std::size_t linesTaken;  // where the reply stopped reading
    TReplyState state;
    int code;
};

TEST(FtpReply, MultiLineRepliesEndOnlyAtTheirCodeAndABlank)
{
    const AssemblyCase cases[] = {
        {"single line", {"220 Ready\r\n", "331 next reply\r\n"}, 1, TReplyState::Complete, 220},
        {"multi-line", {"220-Welcome\r\n", "220 Ready\r\n"}, 2, TReplyState::Complete, 220},
        {"any text in between",
         {"220-Welcome\r\n", "123 other code\r\n", "220-still\r\n", " 220 indented\r\n", "2201 no\r\n",
          "220\r\n", "220end\r\n", "hello\r\n", "220 Ready\r\n"},
         9, TReplyState::Complete, 220},
        {"another code's end is not the end", {"211-Features\r\n", "200 x\r\n", "211 End\r\n"}, 3,
         TReplyState::Complete, 211},
        {"no valid code", {"999 Odd\r\n", "220 Ready\r\n"}, 1, TReplyState::Invalid, 0},
        {"unfinished", {"220-Welcome\r\n", "more\r\n"}, 2, TReplyState::NeedMore, 220},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TReplyAssembler reply;
        TReplyState state = TReplyState::NeedMore;
        std::size_t taken = 0;
        while (state == TReplyState::NeedMore && taken < c.lines.size())
            state = reply.Add(c.lines[taken++]);
        EXPECT_EQ(taken, c.linesTaken);
        EXPECT_EQ(state, c.state);
        if (state != TReplyState::Invalid)
            EXPECT_EQ(reply.Code(), c.code);
    }
}

TEST(FtpReply, EndlessRepliesAreCutOff)
{
    const std::pair<std::string, std::size_t> cases[] = {
        {"220-short line\r\n", kMaxReplyLines},
        {"220-" + std::string(1000, 'x') + "\r\n", kMaxReplyBytes / 1006 + 1},
    };
    for (const auto& [line, limit] : cases) {
        TReplyAssembler reply;
        std::size_t taken = 0;
        TReplyState state = TReplyState::NeedMore;
        while (state == TReplyState::NeedMore && taken <= kMaxReplyLines)
            state = reply.Add(line), ++taken;
        EXPECT_EQ(state, TReplyState::TooLong) << line.size();
        EXPECT_EQ(taken, limit) << line.size();
    }
}

}  // namespace
