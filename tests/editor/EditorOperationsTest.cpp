// The editor operations that commands use: SelectedText, ReplaceSelection, SelectionStart and
// SelectionLength, over UTF-8 and Windows-1252 pages, with line breaks counting 2.
#include "editor/control/EditorModel.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::u32string U(const char32_t* text) { return text; }

TEST(CharacterIndexes, PositionsAndIndexesInBothDirections)
{
    const struct {
        const char* Name;
        std::string Bytes;
        std::int64_t Index;
        TTextPosition Position;
        std::int64_t IndexBack;  // the index the position maps back to
    } cases[] = {
        {"start", "ab\r\ncd", 0, {0, 0}, 0},
        {"before_break", "ab\r\ncd", 2, {0, 2}, 2},
        {"inside_break", "ab\r\ncd", 3, {0, 2}, 2},
        {"next_line", "ab\r\ncd", 4, {1, 0}, 4},
        {"lf_counts_2_too", "ab\ncd", 5, {1, 1}, 5},
        {"past_end", "ab\ncd", 99, {1, 2}, 6},
        {"negative", "ab", -5, {0, 0}, 0},
        {"utf8_two_byte", "h\xC3\xA9llo\nw\xC3\xB6rld", 3, {0, 3}, 3},
        {"utf8_second_line", "h\xC3\xA9llo\nw\xC3\xB6rld", 9, {1, 2}, 9},
        {"utf8_four_byte", "\xF0\x9F\x98\x80x", 1, {0, 1}, 1},
        {"cp1252_bytes", "caf\xE9\n\x80uro", 7, {1, 1}, 7},
        {"empty_lines", "\n\n\nx", 6, {3, 0}, 6},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.LoadBytes(c.Bytes);
        EXPECT_EQ(model.Document().PositionOfCharIndex(c.Index), c.Position) << c.Name;
        EXPECT_EQ(model.Document().CharIndexOf(c.Position), c.IndexBack) << c.Name;
    }
}

// Indexes of a long page, edited here and there, against a plain count.
TEST(CharacterIndexes, StayRightAcrossEditsOfALongPage)
{
    std::mt19937 random(3);
    std::string page;
    for (int i = 0; i < 5000; ++i) page += (i % 7 == 0 ? "" : "l\xC3\xADne ") + std::to_string(i) + "\n";
    TEditorModel model;
    model.LoadBytes(page);
    const auto plainIndex = [&](TTextPosition p) {
        std::int64_t index = 0;
        for (int line = 0; line < p.Line; ++line) index += model.Document().LineLength(line) + 2;
        return index + std::min(p.Column, model.Document().LineLength(p.Line));
    };
    const std::u32string pieces[] = {U"x", U"\r\n", U"\u00E9\r\n\r\nzz", U""};
    for (int round = 0; round < 60; ++round) {
        const int line = static_cast<int>(random() % model.Document().LineCount());
        const TTextPosition at{line, static_cast<int>(random() % (model.Document().LineLength(line) + 1))};
        model.SetSelection(at, {std::min(line + static_cast<int>(random() % 3), model.Document().LineCount() - 1), 0});
        model.ReplaceSelection(pieces[random() % std::size(pieces)]);
        for (int probe = 0; probe < 5; ++probe) {
            const int l = static_cast<int>(random() % model.Document().LineCount());
            const TTextPosition p{l, static_cast<int>(random() % (model.Document().LineLength(l) + 1))};
            const std::int64_t index = plainIndex(p);
            ASSERT_EQ(model.Document().CharIndexOf(p), index) << "round " << round;
            ASSERT_EQ(model.Document().PositionOfCharIndex(index), p) << "round " << round;
        }
    }
}

TEST(CharacterIndexes, EncodingFollowsTheBytes)
{
    const struct {
        std::string Bytes;
        TDocumentEncoding Encoding;
        std::u32string FirstLine;
    } cases[] = {
        {"plain", TDocumentEncoding::Utf8, U"plain"},
        {"\xE2\x82\xAC 5", TDocumentEncoding::Utf8, U"\u20AC 5"},
        {"\x80 5", TDocumentEncoding::Windows1252, U"\u20AC 5"},
        {"\xC3(", TDocumentEncoding::Windows1252, U"\u00C3("},  // a broken sequence
        {"\xED\xA0\x80", TDocumentEncoding::Windows1252, U"\u00ED\u00A0\u20AC"},  // an encoded surrogate
        {"\x81\x8D\x8F\x90\x9D", TDocumentEncoding::Windows1252, U"\u0081\u008D\u008F\u0090\u009D"},
        // Long enough for the load's 16-byte steps and the test's 32-byte ones, with the odd byte
        // inside them, across their edges and in the tail after them.
        {std::string(15, 'a') + "\xE2\x82\xAC" + std::string(40, 'b'), TDocumentEncoding::Utf8,
         std::u32string(15, U'a') + U"\u20AC" + std::u32string(40, U'b')},
        {std::string(50, 'a') + "\x80" + std::string(20, 'b'), TDocumentEncoding::Windows1252,
         std::u32string(50, U'a') + U"\u20AC" + std::u32string(20, U'b')},
        {std::string(40, 'a') + "\r\n" + std::string(20, 'c') + "\xE9", TDocumentEncoding::Windows1252,
         std::u32string(40, U'a')},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.LoadBytes(c.Bytes);
        EXPECT_EQ(model.Document().Encoding(), c.Encoding) << c.Bytes;
        EXPECT_EQ(model.Document().LineText(0), c.FirstLine) << c.Bytes;
        EXPECT_EQ(model.Document().Text(), c.Bytes);
    }
}

struct SelectionCase {
    const char* Name;
    std::string Bytes;
    TTextPosition Anchor, Caret;
    TSelectionMode Mode;
    std::u32string Selected;
    std::int64_t Start, Length;
};

TEST(SelectionOperations, SelectedTextStartAndLength)
{
    const SelectionCase cases[] = {
        {"nothing", "abc", {0, 1}, {0, 1}, smNormal, U"", 1, 0},
        {"forward", "Say Hello there", {0, 4}, {0, 9}, smNormal, U"Hello", 4, 5},
        {"backward", "Say Hello there", {0, 9}, {0, 4}, smNormal, U"Hello", 4, 5},
        {"two_lines", "ab\ncd", {0, 1}, {1, 1}, smNormal, U"b\r\nc", 1, 4},
        {"cr_only_page", "ab\rcd", {0, 0}, {1, 2}, smNormal, U"ab\r\ncd", 0, 6},
        {"utf8", "\xC3\xA9t\xC3\xA9 ok", {0, 0}, {0, 3}, smNormal, U"\u00E9t\u00E9", 0, 3},
        {"past_line_end", "ab\ncd", {0, 7}, {1, 1}, smNormal, U"\r\nc", 2, 3},
        {"caret_past_end", "ab\ncd", {0, 9}, {0, 9}, smNormal, U"", 2, 0},
        {"column", "abcd\nefgh\nij", {0, 1}, {2, 3}, smColumn, U"bc\r\nfg\r\nj", 1, 9},
        {"column_drawn_leftwards", "abcd\nefgh\nij", {0, 3}, {2, 1}, smColumn, U"bc\r\nfg\r\nj", 1, 9},
        {"lines", "ab\ncd\nef", {0, 1}, {1, 1}, smLine, U"ab\r\ncd\r\n", 0, 8},
        {"lines_to_end", "ab\ncd", {0, 1}, {1, 1}, smLine, U"ab\r\ncd", 0, 6},
    };
    for (const SelectionCase& c : cases) {
        TEditorModel model;
        model.LoadBytes(c.Bytes);
        model.SetSelectionMode(c.Mode);
        model.SetSelection(c.Anchor, c.Caret);
        EXPECT_EQ(model.SelectedText(), c.Selected) << c.Name;
        EXPECT_EQ(model.SelectionStart(), c.Start) << c.Name;
        EXPECT_EQ(model.SelectionLength(), c.Length) << c.Name;
    }
}

TEST(SelectionOperations, ReplaceSelection)
{
    const struct {
        const char* Name;
        std::string Bytes;
        TTextPosition Anchor, Caret;
        std::u32string Text;
        std::string Result;
        TTextPosition CaretAfter;
    } cases[] = {
        {"insert_at_caret", "ac", {0, 1}, {0, 1}, U"b", "abc", {0, 2}},
        {"replace_word", "Say Hello", {0, 4}, {0, 9}, U"<b>Hello</b>", "Say <b>Hello</b>", {0, 16}},
        {"text_with_breaks", "ab", {0, 1}, {0, 1}, U"1\r\n2\n3\r4", "a1\r\n2\r\n3\r\n4b", {3, 1}},
        {"over_lines", "ab\ncd\nef", {0, 1}, {2, 1}, U"X", "aXf", {0, 2}},
        {"past_line_end", "ab\ncd", {0, 4}, {0, 4}, U"!", "ab  !\ncd", {0, 5}},
        {"keeps_lf_page", "a\nb\n", {2, 0}, {2, 0}, U"c\r\n", "a\nb\nc\n", {3, 0}},
        {"empty_text_deletes", "abc", {0, 0}, {0, 2}, U"", "c", {0, 0}},
        {"empty_text_past_end", "abc", {0, 6}, {0, 6}, U"", "abc", {0, 6}},
        {"into_cp1252", "caf\xE9", {0, 4}, {0, 4}, U" \u20AC", "caf\xE9 \x80", {0, 6}},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.LoadBytes(c.Bytes);
        model.SetSelection(c.Anchor, c.Caret);
        model.ReplaceSelection(c.Text);
        EXPECT_EQ(model.Document().Text(), c.Result) << c.Name;
        EXPECT_EQ(model.Caret(), c.CaretAfter) << c.Name;
        EXPECT_FALSE(model.HasSelection()) << c.Name;
    }
}

TEST(SelectionOperations, CharacterThePageCannotHoldIsRefusedAndNothingChanges)
{
    TEditorModel model;
    model.LoadBytes("caf\xE9 x");
    model.SetSelection({0, 0}, {0, 2});
    EXPECT_THROW(model.ReplaceSelection(U"\u65E5"), EEncodingError);
    EXPECT_THROW(model.ExecuteCommand(ecChar, {.Char = U'\u65E5'}), EEncodingError);
    EXPECT_EQ(model.Document().Text(), "caf\xE9 x");
    EXPECT_EQ(model.SelectedText(), U"ca");
    EXPECT_FALSE(model.Document().UndoList().CanUndo());

    TEditorModel utf8;
    EXPECT_THROW(utf8.ReplaceSelection(std::u32string(1, char32_t(0xD800))), EEncodingError);
    utf8.ReplaceSelection(U"\u65E5\U0001F600");
    EXPECT_EQ(utf8.Document().Text(), "\xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8.SelectionStart(), 2);
}

// The wrapping commands' caret rule: write a piece, step back over the closing tag and the text,
// select the text.
TEST(SelectionOperations, InnerTextSelectionRule)
{
    const struct {
        std::string Page;
        std::u32string Inner;
        const char32_t* Open;
        const char32_t* Close;
        std::string Result;
    } cases[] = {
        {"Say Hello there", U"Hello", U"<b>", U"</b>", "Say <b>Hello</b> there"},
        {"x", U"two\r\nlines", U"<p>", U"</p>", "<p>two\r\nlines</p>x"},
        {"\xC3\xA9!", U"\u00E9t\u00E9", U"<sub>", U"</sub>", "<sub>\xC3\xA9t\xC3\xA9</sub>\xC3\xA9!"},
        {"", U"", U"<i>", U"</i>", "<i></i>"},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.SetText(c.Page);
        if (c.Page == "Say Hello there") model.SetSelection({0, 4}, {0, 9});
        model.ReplaceSelection(U(c.Open) + c.Inner + U(c.Close));
        const auto inner = static_cast<std::int64_t>(c.Inner.size());
        model.SetSelectionStart(model.SelectionStart() - static_cast<std::int64_t>(std::u32string(c.Close).size()) - inner);
        model.SetSelectionLength(inner);
        EXPECT_EQ(model.Document().Text(), c.Result);
        EXPECT_EQ(model.SelectedText(), c.Inner);
        EXPECT_EQ(model.Caret(), model.BlockEnd());
    }
}

TEST(SelectionOperations, SetSelectionStartAndLength)
{
    TEditorModel model;
    model.SetText("ab\r\ncd\r\nef");
    const struct {
        std::int64_t Start, Length;
        TTextPosition Anchor, Caret;
    } cases[] = {
        {1, 0, {0, 1}, {0, 1}},
        {1, 4, {0, 1}, {1, 1}},
        {4, 99, {1, 0}, {2, 2}},
        {3, 2, {0, 2}, {1, 0}},   // a start inside a break stands at the line's end
        {50, 3, {2, 2}, {2, 2}},
        {2, -4, {0, 2}, {0, 2}},  // a negative length selects nothing
    };
    for (const auto& c : cases) {
        model.SetSelectionStart(c.Start);
        EXPECT_FALSE(model.HasSelection());
        model.SetSelectionLength(c.Length);
        EXPECT_EQ(model.Anchor(), c.Anchor) << c.Start << "+" << c.Length;
        EXPECT_EQ(model.Caret(), c.Caret) << c.Start << "+" << c.Length;
    }
}

// Character runs are selected as runs whatever selection mode the user switched to.
TEST(SelectionOperations, CharacterSelectionsIgnoreColumnAndLineMode)
{
    TEditorModel model;
    model.SetText("ab\ncd\nef");
    model.SetSelectionMode(smLine);
    model.SetSelectionStart(1);
    model.SetSelectionLength(4);
    EXPECT_EQ(model.SelectedText(), U"b\r\nc");
    EXPECT_EQ(model.SelectionLength(), 4);
    model.ReplaceSelection(U"X");
    EXPECT_EQ(model.Document().Text(), "aXd\r\nef");

    model.SetText("abcdef\nab");
    model.SetSelectionMode(smColumn);
    model.ExecuteCommand(ecSelectAll);
    EXPECT_EQ(model.SelectedText(), U"abcdef\r\nab");
}

TEST(SelectionOperations, CaretLineAndColumnAreOneBased)
{
    TEditorModel model;
    model.SetText("ab\ncd");
    model.SetCaret({1, 1});
    EXPECT_EQ(model.CaretLine(), 2);
    EXPECT_EQ(model.CaretColumn(), 2);
}

TEST(SelectionOperations, ChangeEventAfterEveryTextChange)
{
    TEditorModel model;
    int changes = 0;
    model.OnChanged = [&](const TEditorChange& change) { changes += change.TextChanged(); };
    model.ReplaceSelection(U"abc");
    model.ExecuteCommand(ecChar, {.Char = U'd'});
    model.Undo();
    model.Redo();
    model.SetCaret({0, 1});  // a caret move is no change of the text
    model.ExecuteCommand(ecLeft);
    EXPECT_EQ(changes, 4);
}

}  // namespace
