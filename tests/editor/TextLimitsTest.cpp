// Pages beyond what the line index can hold are refused whole, and lines whose length does not fit
// the short form of the index keep every byte through edits.
#include "editor/control/EditorModel.h"
#include "editor/text/FileIO.h"
#include "editor/text/TextBuffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Lowers the limits for one test, so that no test needs gigabytes.
class ScopedTextLimits {
public:
    explicit ScopedTextLimits(const TTextLimits& limits) { SetTextLimits(limits); }
    ~ScopedTextLimits() { SetTextLimits(DefaultTextLimits()); }
};

struct LimitCase {
    const char* Name;
    TTextLimits Limits;
    std::string Bytes;
    std::string Reason;  // empty: the page opens
};

class PageLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(PageLimits, RefusedPageNamesFileAndReasonAndKeepsTheOldText)
{
    const LimitCase& c = GetParam();
    const std::string path = testing::TempDir() + "tallo_limits_" + std::to_string(::getpid()) + ".html";
    std::ofstream(path, std::ios::binary) << c.Bytes;
    TEditorModel model;
    model.SetText("keep me");
    const ScopedTextLimits limits(c.Limits);
    if (c.Reason.empty()) {
        model.LoadFromFile(path);
        EXPECT_EQ(model.Document().Text(), c.Bytes);
    } else {
        try {
            model.LoadFromFile(path);
            ADD_FAILURE() << "the page was opened";
        } catch (const EFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file " + path + ". " + c.Reason);
        }
        EXPECT_EQ(model.Document().Text(), "keep me");
        EXPECT_EQ(model.Document().LineLength(0), 7);
    }
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, PageLimits,
    testing::Values(
        LimitCase{"line_at_the_limit", {5, 100}, "12345\r\nab", ""},
        LimitCase{"line_over_the_limit", {5, 100}, "ab\r\n123456", "A line is longer than 5 characters."},
        LimitCase{"last_line_over_the_limit", {5, 100}, "ab\n\n123456", "A line is longer than 5 characters."},
        LimitCase{"lines_at_the_limit", {100, 3}, "a\r\nb\r\n", ""},
        LimitCase{"lines_over_the_limit", {100, 3}, "a\rb\rc\rd", "The page has more than 3 lines."},
        LimitCase{"crlf_counts_once", {100, 3}, "a\r\nb\r\nc", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

// An edit that would make a line longer than positions can count is refused and changes nothing.
TEST(LineLimit, EditsThatWouldPassItAreRefused)
{
    const struct {
        const char* Text;
        std::u32string Typed;
        bool Refused;
    } cases[] = {{"1234", U"5678", false}, {"1234", U"56789", true}, {"12\r\n34", U"5678", false},
                 {"123456", U"x\ny", false}};
    for (const auto& c : cases) {
        TEditorModel model;
        model.SetText(c.Text);
        const std::string before = model.Document().Text();
        const ScopedTextLimits limits({8, 100});
        model.SetCaret({0, 2});
        if (c.Refused) {
            EXPECT_THROW(model.ReplaceSelection(c.Typed), EEncodingError) << c.Text;
            EXPECT_EQ(model.Document().Text(), before);
            EXPECT_FALSE(model.Document().UndoList().CanUndo());
        } else {
            EXPECT_NO_THROW(model.ReplaceSelection(c.Typed)) << c.Text;
        }
    }
}

// A line longer than the index's short length field: edits at its start, middle and end, splits and
// joins keep every byte.
TEST(LongLineViews, EditsKeepEveryByte)
{
    std::string longLine(9 << 20, 'x');
    for (std::size_t i = 0; i < longLine.size(); i += 4099) longLine[i] = static_cast<char>('a' + i % 26);
    TTextBuffer buffer;
    buffer.LoadBytes("a\r\n" + longLine + "\r\nb");
    std::string expected = longLine;
    ASSERT_EQ(buffer.Line(1), expected);

    buffer.RemoveText(1, 0, 3);  // the view moves on
    expected.erase(0, 3);
    buffer.RemoveText(1, expected.size() - 2, 2);  // the view shrinks
    expected.resize(expected.size() - 2);
    ASSERT_EQ(buffer.Line(1), expected);

    buffer.SplitLine(1, expected.size() / 2);
    buffer.JoinLine(1);
    EXPECT_EQ(buffer.OwnedLineCount(), 0u);
    ASSERT_EQ(buffer.Line(1), expected);

    buffer.InsertText(1, expected.size() / 2, "<b>");
    expected.insert(expected.size() / 2, "<b>");
    EXPECT_EQ(buffer.SavedBytes(), "a\r\n" + expected + "\r\nb");
}

}  // namespace
