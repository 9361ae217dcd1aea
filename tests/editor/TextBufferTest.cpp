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

// Enter in a line of megabytes leaves both halves in one storage: edits of either half, joins in
// any order and the loss of one half must leave the other's bytes alone.
struct SharedHalvesCase {
    const char* Name;
    struct Step {
        enum class TKind { Split, Join, Insert, Remove, RemoveLine } Kind;
        int Line;
        double At;  // share of the line's bytes
        std::size_t Bytes = 1;  // inserted or removed
    };
    std::vector<Step> Steps;
};

class SharedHalves : public testing::TestWithParam<SharedHalvesCase> {};

TEST_P(SharedHalves, KeepTheirBytesApart)
{
    using TKind = SharedHalvesCase::Step::TKind;
    std::string longLine(3u << 20, ' ');
    for (std::size_t i = 0; i < longLine.size(); ++i) longLine[i] = static_cast<char>('a' + i * 7 % 26);
    TTextBuffer buffer;
    buffer.LoadBytes("top\n" + longLine + "\nend");
    buffer.InsertText(1, 0, "#");
    std::vector<std::string> model = {"top", "#" + longLine, "end"};
    int step = 0;
    for (const auto& s : GetParam().Steps) {
        std::string& text = model[static_cast<std::size_t>(s.Line)];
        const auto at = static_cast<std::size_t>(s.At * static_cast<double>(text.size()));
        const std::string bytes(s.Bytes, static_cast<char>('A' + step++ % 26));
        switch (s.Kind) {
        case TKind::Split:
            buffer.SplitLine(s.Line, at);
            model.insert(model.begin() + s.Line + 1, text.substr(at));
            model[static_cast<std::size_t>(s.Line)].resize(at);
            break;
        case TKind::Join:
            buffer.JoinLine(s.Line);
            text += model[static_cast<std::size_t>(s.Line) + 1];
            model.erase(model.begin() + s.Line + 1);
            break;
        case TKind::Insert: buffer.InsertText(s.Line, at, bytes); text.insert(at, bytes); break;
        case TKind::Remove: buffer.RemoveText(s.Line, at, s.Bytes); text.erase(at, s.Bytes); break;
        case TKind::RemoveLine:
            buffer.RemoveLines(s.Line, 1);
            model.erase(model.begin() + s.Line);
            break;
        }
        ASSERT_TRUE(LinesOf(buffer) == model) << "step " << step;
    }
    std::string saved = model[0];
    for (std::size_t i = 1; i < model.size(); ++i) saved += "\n" + model[i];
    EXPECT_TRUE(buffer.Snapshot().SavedBytes() == saved);
}

using TStep = SharedHalvesCase::Step;
using TStepKind = TStep::TKind;
INSTANTIATE_TEST_SUITE_P(
    Cases, SharedHalves,
    testing::Values(
        SharedHalvesCase{"typing_on_both_sides_of_the_cut",
                         {{TStepKind::Split, 1, 0.5}, {TStepKind::Insert, 2, 0}, {TStepKind::Insert, 2, 0},
                          {TStepKind::Insert, 1, 1}, {TStepKind::Remove, 2, 0, 3}, {TStepKind::Join, 1, 0}}},
        SharedHalvesCase{"pastes_past_the_room_of_each_half",
                         {{TStepKind::Split, 1, 0.5}, {TStepKind::Insert, 2, 0, 300000},
                          {TStepKind::Insert, 1, 1, 300000}, {TStepKind::Join, 1, 0}}},
        SharedHalvesCase{"three_parts_joined_out_of_order",
                         {{TStepKind::Split, 1, 0.7}, {TStepKind::Split, 1, 0.5}, {TStepKind::Insert, 3, 0},
                          {TStepKind::Join, 2, 0}, {TStepKind::Insert, 1, 1}, {TStepKind::Join, 1, 0}}},
        SharedHalvesCase{"one_half_removed",
                         {{TStepKind::Split, 1, 0.5}, {TStepKind::RemoveLine, 1, 0}, {TStepKind::Insert, 1, 0},
                          {TStepKind::Insert, 1, 1}, {TStepKind::Split, 1, 0.5}, {TStepKind::RemoveLine, 2, 0},
                          {TStepKind::Insert, 1, 1, 100}}},
        SharedHalvesCase{"short_line_made_long_by_a_paste",
                         {{TStepKind::Insert, 0, 1, 3u << 20}, {TStepKind::Split, 0, 0.5}, {TStepKind::Insert, 1, 0},
                          {TStepKind::Join, 0, 0}}}),
    [](const testing::TestParamInfo<SharedHalvesCase>& info) { return info.param.Name; });

// Random primitive edits of loaded pages against plain strings: lines kept as views of every kind
// (ending at a break, cut by an edit, longer than a short view) keep their bytes through them.
TEST(TextBufferEdits, RandomEditsOfLoadedViewsMatchPlainLines)
{
    const std::string longLine(5000, 'L');
    const struct {
        const char* Name;
        std::string Bytes;
    } pages[] = {
        {"short_lf", "ab\ncd\n\nefgh\ni\njk"},
        {"crlf_and_cr", "one\r\ntwo\rthree\r\n\r\nfour"},
        {"around_the_short_view_length", std::string(4095, 'a') + "\n" + std::string(4096, 'b') + "\r\n" + longLine + "\nz"},
    };
    for (const auto& page : pages) {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            TTextBuffer buffer;
            buffer.LoadBytes(page.Bytes);
            std::vector<std::string> model = LinesOf(buffer);
            std::uint64_t random = seed * 0x9E3779B97F4A7C15ull;
            const auto next = [&](std::size_t bound) {
                random = random * 6364136223846793005ull + 1442695040888963407ull;
                return bound == 0 ? 0 : static_cast<std::size_t>((random >> 33) % bound);
            };
            for (int step = 0; step < 300; ++step) {
                const int line = static_cast<int>(next(model.size()));
                std::string& text = model[static_cast<std::size_t>(line)];
                const std::size_t at = next(text.size() + 1);
                switch (next(6)) {
                case 0: buffer.InsertText(line, at, "+"); text.insert(at, "+"); break;
                case 1: {
                    // From the start, to the end, or inside.
                    const std::size_t from = next(3) == 0 ? 0 : at;
                    const std::size_t length = next(2) == 0 ? text.size() - from : next(text.size() - from + 1);
                    buffer.RemoveText(line, from, length);
                    text.erase(from, length);
                    break;
                }
                case 2:
                    buffer.SplitLine(line, at);
                    model.insert(model.begin() + line + 1, text.substr(at));
                    model[static_cast<std::size_t>(line)].resize(at);
                    break;
                case 3:
                    if (line + 1 < static_cast<int>(model.size())) {
                        buffer.JoinLine(line);
                        text += model[static_cast<std::size_t>(line) + 1];
                        model.erase(model.begin() + line + 1);
                    }
                    break;
                case 4:
                    if (model.size() > 1) {
                        buffer.RemoveLines(line, 1);
                        model.erase(model.begin() + line);
                    }
                    break;
                default: buffer.InsertLines(line, {"new"}); model.insert(model.begin() + line, "new"); break;
                }
                ASSERT_EQ(LinesOf(buffer), model) << page.Name << " seed " << seed << " step " << step;
            }
            std::string saved;
            for (std::size_t i = 0; i < model.size(); ++i) saved += (i > 0 ? std::string(LineBreakBytes(buffer.LineBreak())) : "") + model[i];
            EXPECT_TRUE(buffer.Snapshot().SavedBytes() == saved) << page.Name << " seed " << seed;
            EXPECT_EQ(buffer.SavedSize(), saved.size()) << page.Name << " seed " << seed;
        }
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
        model.Document().SaveToFile(path);
        EXPECT_EQ(ReadWholeFile(path), bytes);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
