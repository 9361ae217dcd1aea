// Columns inside long lines come from marks kept in step with edits; they must equal a count from
// the line's start after any edit, with tabs and multi-byte characters on either side of it.
#include "editor/text/LineColumns.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextDocument.h"

#include <gtest/gtest.h>

namespace {

// The plain count from the line's start that the marks stand in for.
struct TPlainColumns {
    std::int64_t Chars = 0;
    std::int64_t Display = 0;
};
TPlainColumns CountTo(std::string_view bytes, std::size_t offset, int tabWidth)
{
    TPlainColumns at;
    for (std::size_t byte = 0; byte < offset;) {
        const char32_t ch = DecodeCharAt(bytes, byte, TDocumentEncoding::Utf8);
        at.Display = ch == U'\t' ? (at.Display / tabWidth + 1) * tabWidth : at.Display + 1;
        ++at.Chars;
    }
    return at;
}

// A long line with tabs and multi-byte characters here and there.
std::string LongLine(std::size_t bytes)
{
    std::string line;
    for (std::size_t i = 0; line.size() < bytes; ++i) {
        line += "<p class=x>text ";
        if (i % 97 == 0) line += "\t";
        if (i % 131 == 0) line += "\xC3\xA9\xE2\x82\xAC";
    }
    return line;
}

void ExpectColumnsAgree(TLineColumns& columns, const TTextBuffer& buffer, int tabWidth, int line = 0)
{
    const std::string_view bytes = buffer.Line(line);
    const std::int64_t length = CountTo(bytes, bytes.size(), tabWidth).Chars;
    ASSERT_EQ(columns.LineChars(line), length);
    for (std::size_t offset = 0; offset < bytes.size(); offset += 7919) {
        while ((static_cast<unsigned char>(bytes[offset]) & 0xC0) == 0x80) ++offset;
        const TPlainColumns plain = CountTo(bytes, offset, tabWidth);
        ASSERT_EQ(columns.ColumnOfByte(line, offset), plain.Chars) << offset;
        ASSERT_EQ(columns.ByteOfColumn(line, plain.Chars), offset) << offset;
        ASSERT_EQ(columns.DisplayOfColumn(line, plain.Chars, tabWidth), plain.Display) << offset;
        ASSERT_EQ(columns.ColumnOfDisplay(line, plain.Display, tabWidth), plain.Chars) << offset;
    }
    EXPECT_EQ(columns.DisplayOfColumn(line, length + 3, tabWidth), CountTo(bytes, bytes.size(), tabWidth).Display + 3);
}

struct EditCase {
    const char* Name;
    double At;  // where in the line, as a share of its length
    std::size_t Removed;
    std::string Inserted;
};

class LongLineColumns : public testing::TestWithParam<EditCase> {};

TEST_P(LongLineColumns, AgreeWithACountFromTheStartAfterAnEdit)
{
    const EditCase& c = GetParam();
    const TDocumentEncoding encoding = TDocumentEncoding::Utf8;
    for (const int tabWidth : {8, 3}) {
        TTextBuffer buffer;
        buffer.LoadBytes(LongLine(300 * 1024));
        TLineColumns columns(buffer, encoding);
        ExpectColumnsAgree(columns, buffer, tabWidth);  // marks made before the edit
        std::size_t offset = static_cast<std::size_t>(c.At * static_cast<double>(buffer.Line(0).size()));
        while ((static_cast<unsigned char>(buffer.Line(0)[offset]) & 0xC0) == 0x80) ++offset;
        const std::size_t removed = std::min(c.Removed, buffer.Line(0).size() - offset);
        buffer.RemoveText(0, offset, removed);
        columns.LineEdited(0, offset, removed, 0);
        buffer.InsertText(0, offset, c.Inserted);
        columns.LineEdited(0, offset, 0, c.Inserted.size());
        ExpectColumnsAgree(columns, buffer, tabWidth);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, LongLineColumns,
    testing::Values(EditCase{"letter_at_start", 0, 0, "x"}, EditCase{"tab_at_start", 0, 0, "\t"},
                    EditCase{"tab_in_middle", 0.5, 0, "\t"}, EditCase{"euro_in_middle", 0.5, 0, "\xE2\x82\xAC"},
                    EditCase{"letter_at_end", 1, 0, "y"}, EditCase{"remove_across_marks", 0.3, 40000, ""},
                    EditCase{"remove_a_tab_run", 0.2, 100, "ab"},
                    EditCase{"paste_longer_than_a_stride", 0.6, 0, std::string(50000, 'z') + "\t"},
                    EditCase{"remove_to_the_end", 0.9, 1 << 30, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

// Wide tabs take a line's display columns past what an int holds: they end at the last column
// instead of wrapping round to small or negative ones, on short lines and on marked long ones.
TEST(DisplayColumns, EndAtTheLastColumnInsteadOfWrappingRound)
{
    const struct {
        const char* name;
        int tabs;
        int tabWidth;
    } cases[] = {
        {"short_line_to_2^32", 4096, 1 << 20},
        {"marked_line_past_2^31", 70000, 1 << 15},
        {"just_below_the_end", 1023, 1 << 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTextDocument page;
        page.SetText(std::string(static_cast<std::size_t>(c.tabs), '\t') + "x");
        int previous = 0;
        for (int column = 0; column <= c.tabs + 1; column += 61) {
            const int display = page.DisplayColumn({0, column}, c.tabWidth);
            ASSERT_GE(display, previous) << column;
            previous = display;
        }
        const std::int64_t allTabs = std::int64_t{c.tabs} * c.tabWidth;
        EXPECT_EQ(page.DisplayColumn({0, c.tabs}, c.tabWidth), std::min<std::int64_t>(allTabs, kMaxDisplayColumn));
        const int atTheEnd = page.ColumnAtDisplay(0, kMaxDisplayColumn, c.tabWidth);
        EXPECT_GE(atTheEnd, 0);
        EXPECT_LE(page.DisplayColumn({0, atTheEnd}, c.tabWidth), kMaxDisplayColumn);
    }
}

// Enter in a long line moves the marks after the break to the new line, and its undo moves them
// back; both sides must still count as from their start, tabs ending on either side of the break.
TEST(LongLineColumns, AgreeWithACountFromTheStartAfterASplitAndAJoin)
{
    const TDocumentEncoding encoding = TDocumentEncoding::Utf8;  // the columns keep a reference to it
    for (const double at : {0.001, 0.3, 0.5, 0.75, 0.999}) {
        for (const int tabWidth : {8, 3}) {
            TTextBuffer buffer;
            buffer.LoadBytes(LongLine(300 * 1024));
            TLineColumns columns(buffer, encoding);
            ExpectColumnsAgree(columns, buffer, tabWidth);
            std::size_t offset = static_cast<std::size_t>(at * static_cast<double>(buffer.Line(0).size()));
            while ((static_cast<unsigned char>(buffer.Line(0)[offset]) & 0xC0) == 0x80) ++offset;
            const std::size_t tail = buffer.Line(0).size() - offset;
            buffer.SplitLine(0, offset);
            columns.LineSplit(0, offset, tail);
            ExpectColumnsAgree(columns, buffer, tabWidth, 0);
            ExpectColumnsAgree(columns, buffer, tabWidth, 1);
            buffer.JoinLine(0);
            columns.LinesJoined(0, offset, tail);
            ExpectColumnsAgree(columns, buffer, tabWidth, 0);
        }
    }
}

}  // namespace
