// Load, replace-all and save rules of the text buffer, and its primitive edits.
#include "editor/control/EditorModel.h"
#include "editor/text/FileIO.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::vector<std::string> LinesOf(const TTextBuffer& buffer)
{
    std::vector<std::string> lines;
    for (int i = 0; i < buffer.LineCount(); ++i) lines.emplace_back(buffer.Line(i));
    return lines;
}

struct LoadCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Lines;
    TLineBreak Break;
};

class LoadRule : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadRule, SplitsRemembersBreakAndSavesTheSameBytes)
{
    const LoadCase& c = GetParam();
    TTextBuffer buffer;
    buffer.LoadBytes(c.Bytes);
    EXPECT_EQ(LinesOf(buffer), c.Lines);
    EXPECT_EQ(buffer.LineBreak(), c.Break);
    if (std::string(c.Name) != "mixed_breaks") EXPECT_EQ(buffer.SavedBytes(), c.Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadRule,
    testing::Values(
        LoadCase{"empty", "", {""}, TLineBreak::CrLf},
        LoadCase{"lf_only", "a\nbb\nccc", {"a", "bb", "ccc"}, TLineBreak::Lf},
        LoadCase{"cr_only", "a\rbb\rccc", {"a", "bb", "ccc"}, TLineBreak::Cr},
        LoadCase{"crlf", "a\r\nbb\r\nccc", {"a", "bb", "ccc"}, TLineBreak::CrLf},
        LoadCase{"final_lf", "a\nb\n", {"a", "b", ""}, TLineBreak::Lf},
        LoadCase{"final_crlf", "a\r\n", {"a", ""}, TLineBreak::CrLf},
        LoadCase{"final_cr", "a\r\r", {"a", "", ""}, TLineBreak::Cr},
        LoadCase{"only_breaks", "\n\n\n", {"", "", "", ""}, TLineBreak::Lf},
        LoadCase{"no_break", "<html>", {"<html>"}, TLineBreak::CrLf},
        LoadCase{"high_bytes", "caf\xE9\n\xFF\xFE\x80", {"caf\xE9", "\xFF\xFE\x80"}, TLineBreak::Lf},
        LoadCase{"nul_bytes", std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string("\0", 1)},
                 TLineBreak::CrLf},
        LoadCase{"utf8", "\xC3\xA9t\xC3\xA9\r\n\xE2\x82\xAC", {"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC"}, TLineBreak::CrLf},
        LoadCase{"mixed_breaks", "a\nb\rc\r\nd", {"a", "b", "c", "d"}, TLineBreak::CrLf}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ReplaceAllRule, FinalBreakAddsNoEmptyLineAndPageSavesWithCrLf)
{
    const struct {
        std::string Text;
        std::vector<std::string> Lines;
        std::string Saved;
    } cases[] = {
        {"a\nb\n", {"a", "b"}, "a\r\nb"},
        {"a\r\nb", {"a", "b"}, "a\r\nb"},
        {"a\rb\r", {"a", "b"}, "a\r\nb"},
        {"x\n\n", {"x", ""}, "x\r\n"},
        {"", {""}, ""},
    };
    for (const auto& c : cases) {
        TTextBuffer buffer;
        buffer.LoadBytes("old\nfile\n");  // a remembered LF style must not survive replace-all
        buffer.SetText(c.Text);
        EXPECT_EQ(LinesOf(buffer), c.Lines) << c.Text;
        EXPECT_EQ(buffer.SavedBytes(), c.Saved) << c.Text;
    }
}

TEST(TextBufferEdits, PrimitivesKeepLinesAndOtherLinesIntact)
{
    TTextBuffer buffer;
    buffer.LoadBytes("alpha\nbeta\ngamma");
    buffer.InsertText(1, 2, "XY");
    buffer.SplitLine(0, 3);
    buffer.RemoveText(0, 0, 1);
    buffer.JoinLine(2);
    buffer.InsertLines(1, {"new1", "new2"});
    EXPECT_EQ(LinesOf(buffer), (std::vector<std::string>{"lp", "new1", "new2", "ha", "beXYtagamma"}));
    buffer.RemoveLines(1, 2);
    EXPECT_EQ(buffer.SavedBytes(), "lp\nha\nbeXYtagamma");
}

TEST(TextBufferEdits, SplitAndJoinOfViewsLeaveTheSavedBytesUnchanged)
{
    TTextBuffer buffer;
    buffer.LoadBytes("0123456789\nabc");
    for (int offset = 0; offset <= 10; ++offset) {
        buffer.SplitLine(0, static_cast<std::size_t>(offset));
        buffer.JoinLine(0);
        EXPECT_EQ(buffer.SavedBytes(), "0123456789\nabc");
    }
    EXPECT_EQ(buffer.OwnedLineCount(), 0u);  // neighbouring views join without copies
}

// An edited line of megabytes split anywhere and joined again: the shorter part is the one copied,
// and the neighbours, the halves and the joined line keep their bytes.
TEST(TextBufferEdits, SplitAndJoinOfALongEditedLineKeepItsBytes)
{
    std::string longLine(3u << 20, ' ');
    for (std::size_t i = 0; i < longLine.size(); ++i) longLine[i] = static_cast<char>('a' + i * 7 % 26);
    const std::string line = "#" + longLine;
    for (const std::size_t offset : {std::size_t{0}, std::size_t{1}, line.size() / 3, line.size() / 2,
                                     line.size() - 1, line.size()}) {
        TTextBuffer buffer;
        buffer.LoadBytes("top\n" + longLine + "\nend");
        buffer.InsertText(1, 0, "#");
        buffer.SplitLine(1, offset);
        ASSERT_EQ(buffer.LineCount(), 4) << offset;
        EXPECT_EQ(buffer.Line(0), "top") << offset;
        EXPECT_TRUE(buffer.Line(1) == std::string_view(line).substr(0, offset)) << offset;
        EXPECT_TRUE(buffer.Line(2) == std::string_view(line).substr(offset)) << offset;
        EXPECT_EQ(buffer.Line(3), "end") << offset;
        buffer.JoinLine(1);
        EXPECT_TRUE(buffer.SavedBytes() == "top\n" + line + "\nend") << offset;
        EXPECT_EQ(buffer.OwnedLineCount(), 1u) << offset;
    }
}

// A snapshot keeps the bytes of its moment through later edits, also when the first edit of a
// one-line page would hand the loaded block to the line, and after that hand-over.
struct SnapshotCase {
    const char* Name;
    std::string Bytes;
    int EditsBefore;  // "X" typed at (0, 1) before the snapshot is taken
    std::string Expected;
};

class SnapshotOfBuffer : public testing::TestWithParam<SnapshotCase> {};

TEST_P(SnapshotOfBuffer, KeepsItsBytesThroughLaterEdits)
{
    const SnapshotCase& c = GetParam();
    TTextBuffer buffer;
    buffer.LoadBytes(c.Bytes);
    for (int i = 0; i < c.EditsBefore; ++i) buffer.InsertText(0, 1, "X");
    const TTextSnapshot snapshot = buffer.Snapshot();
    buffer.InsertText(0, 0, "Y");
    buffer.RemoveText(0, 1, 1);
    EXPECT_EQ(snapshot.SavedBytes(), c.Expected);
    EXPECT_EQ(snapshot.SavedSize(), c.Expected.size());
    EXPECT_EQ(buffer.SavedBytes(), "Y" + c.Expected.substr(1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapshotOfBuffer,
    testing::Values(SnapshotCase{"OneLine", "abc", 0, "abc"},
                    SnapshotCase{"OneLineEndingInABreak", "abc\n", 0, "abc\n"},
                    SnapshotCase{"AfterTheBlockWentToTheLine", "abc\n", 1, "aXbc\n"},
                    SnapshotCase{"LinesOfTheBlock", "ab\r\ncd\r\n", 0, "ab\r\ncd\r\n"},
                    SnapshotCase{"LineLongerThanTheShortLengthField", std::string(9u << 20, 'x') + "\nz", 0,
                                 std::string(9u << 20, 'x') + "\nz"}),
    [](const testing::TestParamInfo<SnapshotCase>& info) { return info.param.Name; });

// Open then save through the model and real files: byte-identical.
TEST(ModelFiles, OpenThenSaveGivesBackTheSameBytes)
{
    const std::string folder = testing::TempDir() + "tallo_roundtrip_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string samples[] = {
        "<p>lf</p>\n<p>two</p>\n",
        "<p>cr</p>\r<p>two</p>",
        "<p>crlf</p>\r\n\r\n",
        std::string("nul\0byte\n\x80\x81\xFF", 12),
        "\xEF\xBB\xBF<p>bom and \xE2\x82\xAC</p>\r\n",
        "",
    };
    for (const std::string& bytes : samples) {
        const std::string path = folder + "/page.html";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        TEditorModel model;
        model.LoadFromFile(path);
        model.SaveToFile(path);
        EXPECT_EQ(ReadWholeFile(path), bytes);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
