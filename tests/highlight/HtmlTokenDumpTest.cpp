// The token dump behind tallo-tokens: line splitting, escaping, and a golden page whose dump must
// not depend on the page's line-break style.

#include "highlight/HtmlTokenDump.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

TEST(SplitPageLines, BreaksAsTheEditorLoadsAPage)
{
    using Lines = std::vector<std::string_view>;
    const std::pair<std::string, Lines> cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n", {"a", ""}},
        {"a\r\n\r\n", {"a", "", ""}},
        {"\n\r", {"", "", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r", {"a", ""}},
        {"x\0y\r\n"s, {"x\0y"sv, ""}},
    };
    for (const auto& [page, lines] : cases)
        EXPECT_EQ(SplitPageLines(page), lines) << ::testing::PrintToString(page);
}

TEST(EscapeTokenText, WritesUnprintableBytesAsEscapes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain <text> & \"quotes\" ~", "plain <text> & \"quotes\" ~"},
        {"back\\slash", "back\\\\slash"},
        {"\t", "\\t"},
        {"\0\x01\x1f"s, "\\x00\\x01\\x1f"},
        {"\r\n", "\\x0d\\x0a"},
        {"\x7f\x80\xff", "\\x7f\\x80\\xff"},
        {"caf\xc3\xa9", "caf\\xc3\\xa9"},
    };
    for (const auto& [bytes, escaped] : cases)
        EXPECT_EQ(EscapeTokenText(bytes), escaped) << ::testing::PrintToString(bytes);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Dump(std::string_view page)
{
    std::ostringstream out;
    WriteTokenDump(page, out);
    return out.str();
}

TEST(WriteTokenDump, GoldenPageWithEveryLineBreakStyle)
{
    const std::string dir = TALLO_SOURCE_DIR "/tests/highlight/golden/";
    const std::string page = ReadFile(dir + "page.html");
    const std::string expected = ReadFile(dir + "page.tokens");
    ASSERT_EQ(page.find('\r'), std::string::npos) << "the golden page is kept with LF line ends";
    EXPECT_EQ(Dump(page), expected);
    EXPECT_EQ(Dump(ReplaceAll(page, "\n", "\r\n")), expected);
    EXPECT_EQ(Dump(ReplaceAll(page, "\n", "\r")), expected);
}

TEST(WriteTokenDump, EveryLineEndsWithNullAndItsState)
{
    EXPECT_EQ(Dump("<a\n\tb=\"c\\"),
              "0 0 6 <\n"
              "0 1 3 a\n"
              "0 2 4 \n"
              "0 END 2\n"
              "1 0 5 \\t\n"
              "1 1 2 b\n"
              "1 2 6 =\n"
              "1 3 9 \"c\\\\\n"
              "1 6 4 \n"
              "1 END 5\n");
}

}  // namespace
