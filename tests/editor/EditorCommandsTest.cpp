// Editor commands with the plain meaning of their names, as pages before and after.
#include "EditorTestText.h"

#include "highlight/CustomHighlighter.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase {
    const char* Name;
    std::string Before;
    std::vector<TEditorCommand> Commands;
    std::string After;
};

void PrintTo(const CommandCase& c, std::ostream* out) { *out << c.Name; }

class Commands : public testing::TestWithParam<CommandCase> {};

TEST_P(Commands, ChangeTextCaretAndSelection)
{
    const CommandCase& c = GetParam();
    TEditorModel model;
    TTestHost host;
    model.SetHost(&host);
    LoadMarked(model, c.Before);
    for (const TEditorCommand command : c.Commands) model.ExecuteCommand(command);
    EXPECT_EQ(Marked(model), c.After);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, Commands,
    testing::Values(
        CommandCase{"word_right", "|foo bar_baz, qux", {ecWordRight, ecWordRight}, "foo bar_baz, |qux"},
        CommandCase{"word_right_wraps", "ab|\ncd", {ecWordRight}, "ab\n|cd"},
        CommandCase{"word_left", "foo bar_baz, qux|", {ecWordLeft, ecWordLeft}, "foo |bar_baz, qux"},
        CommandCase{"word_left_wraps", "ab\n|cd", {ecWordLeft}, "ab|\ncd"},
        CommandCase{"word_right_unicode_letters", "|h\xC3\xA9llo w\xC3\xB6rld", {ecWordRight}, "h\xC3\xA9llo |w\xC3\xB6rld"},
        CommandCase{"word_left_unicode_letters", "h\xC3\xA9llo w\xC3\xB6rld|", {ecWordLeft}, "h\xC3\xA9llo |w\xC3\xB6rld"},
        CommandCase{"sel_word_right", "|foo bar", {ecSelWordRight}, "{foo |bar"},
        CommandCase{"left_wraps", "ab\n|cd", {ecLeft}, "ab|\ncd"},
        CommandCase{"right_over_utf8", "|\xE2\x82\xAC\x61", {ecRight}, "\xE2\x82\xAC|\x61"},
        CommandCase{"sel_left_then_right", "ab|c", {ecSelLeft, ecSelLeft, ecRight}, "a|bc"},
        CommandCase{"up_down_keep_column", "abcdef|\nab\nabcdefgh", {ecDown, ecDown}, "abcdef\nab\nabcdef|gh"},
        CommandCase{"enhanced_end", "ab|c  \nx", {ecLineEnd}, "abc|  \nx"},
        CommandCase{"enhanced_end_again", "ab|c  \nx", {ecLineEnd, ecLineEnd}, "abc  |\nx"},
        CommandCase{"home", "  ab|c", {ecLineStart}, "|  abc"},
        CommandCase{"editor_top_bottom", "a\nb|\nc", {ecEditorBottom}, "a\nb\nc|"},
        CommandCase{"sel_editor_top", "a\nb|\nc", {ecSelEditorTop}, "|a\nb{\nc"},
        CommandCase{"select_word", "foo ba|r baz", {ecSelWord}, "foo {bar| baz"},
        CommandCase{"select_all", "a\nb|c", {ecSelectAll}, "{a\nbc|"},
        CommandCase{"match_bracket_forward", "|(a[b]c)", {ecMatchBracket}, "(a[b]c|)"},
        CommandCase{"match_bracket_back", "(a[b]c)|", {ecMatchBracket}, "|(a[b]c)"},
        CommandCase{"match_bracket_nested_lines", "<p>[\n  [x]\n]|", {ecMatchBracket}, "<p>|[\n  [x]\n]"},
        CommandCase{"match_bracket_none", "|(a", {ecMatchBracket}, "|(a"}),
    [](const auto& info) { return std::string(info.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Edits, Commands,
    testing::Values(
        CommandCase{"backspace", "ab|c", {ecDeleteLastChar}, "a|c"},
        CommandCase{"backspace_joins", "ab\n|c", {ecDeleteLastChar}, "ab|c"},
        CommandCase{"backspace_utf8", "\xC3\xA9|x", {ecDeleteLastChar}, "|x"},
        CommandCase{"delete_joins", "ab|\nc", {ecDeleteChar}, "ab|c"},
        CommandCase{"delete_selection", "a{bc|d", {ecDeleteChar}, "a|d"},
        CommandCase{"delete_word", "|foo  bar", {ecDeleteWord}, "|bar"},
        CommandCase{"delete_word_symbols", "|<<a", {ecDeleteWord}, "|a"},
        CommandCase{"delete_last_word", "foo bar  |", {ecDeleteLastWord}, "foo |"},
        CommandCase{"delete_word_utf8", "|\xC3\xA9t\xC3\xA9  x", {ecDeleteWord}, "|x"},
        CommandCase{"delete_last_word_utf8", "a \xE2\x82\xAC\xE2\x82\xAC|", {ecDeleteLastWord}, "a |"},
        CommandCase{"delete_bol", "ab|cd", {ecDeleteBOL}, "|cd"},
        CommandCase{"delete_eol", "ab|cd\nx", {ecDeleteEOL}, "ab|\nx"},
        CommandCase{"delete_line", "ab\nc|d\nef", {ecDeleteLine}, "ab\n|ef"},
        CommandCase{"delete_last_line", "ab\nc|d", {ecDeleteLine}, "|ab"},
        CommandCase{"delete_only_line", "c|d", {ecDeleteLine}, "|"},
        CommandCase{"clear_all", "a\nb|c", {ecClearAll}, "|"},
        CommandCase{"line_break_auto_indent", "  ab|cd", {ecLineBreak}, "  ab\n  |cd"},
        CommandCase{"line_break_in_indent", " | ab", {ecLineBreak}, " \n | ab"},
        CommandCase{"insert_line", "ab|cd", {ecInsertLine}, "ab|\ncd"},
        CommandCase{"block_indent", "{ab\ncd\n|ef", {ecBlockIndent}, "{  ab\n  cd\n|ef"},
        CommandCase{"block_indent_caret_line", "a|b\ncd", {ecBlockIndent}, "  a|b\ncd"},
        CommandCase{"block_unindent", "{   ab\n\tcd\nef|", {ecBlockUnindent}, "{ ab\ncd\nef|"},
        CommandCase{"smart_tab", "    foo bar\n|", {ecTab}, "    foo bar\n    |"},
        CommandCase{"smart_tab_next_word", "    foo bar\n    |", {ecTab}, "    foo bar\n        |"},
        CommandCase{"tab_to_spaces", "x\n   |", {ecTab}, "x\n        |"},
        CommandCase{"smart_tab_delete", "    foo\n        |x", {ecDeleteLastChar}, "    foo\n    |x"},
        CommandCase{"upper_case_word", "hello wo|rld", {ecUpperCase}, "hello WO|RLD"},
        CommandCase{"lower_case_block", "{ABC d|EF", {ecLowerCaseBlock}, "{abc d|EF"},
        CommandCase{"toggle_case", "{aBc|", {ecToggleCase}, "{AbC|"},
        CommandCase{"title_case", "{hello wORLD|", {ecTitleCase}, "{Hello World|"},
        CommandCase{"upper_case_unicode", "{\xC3\xA9t\xC3\xA9|", {ecUpperCaseBlock}, "{\xC3\x89T\xC3\x89|"},
        CommandCase{"block_case_needs_selection", "ab|c", {ecUpperCaseBlock}, "ab|c"},
        CommandCase{"overwrite", "ab|cd", {ecToggleMode}, "ab|cd"},
        CommandCase{"comment_block", "a{bc|d", {ecCommentBlock}, "a<!--bc-->|d"},
        CommandCase{"undo_command", "ab|c", {ecDeleteLastChar, ecUndo}, "ab|c"},
        CommandCase{"redo_command", "ab|c", {ecDeleteLastChar, ecUndo, ecRedo}, "a|c"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TypingCommands, InsertOverwriteAndVirtualSpace)
{
    TEditorModel model;
    LoadMarked(model, "ab|cd");
    model.ExecuteCommand(ecChar, {.Char = U'X'});
    EXPECT_EQ(Marked(model), "abX|cd");
    model.ExecuteCommand(ecToggleMode);
    EXPECT_FALSE(model.InsertMode());
    model.ExecuteCommand(ecChar, {.Char = U'Y'});
    EXPECT_EQ(Marked(model), "abXY|d");
    model.ExecuteCommand(ecChar, {.Char = U'Z'});
    model.ExecuteCommand(ecChar, {.Char = U'!'});  // at the line's end overwrite appends
    EXPECT_EQ(Marked(model), "abXYZ!|");

    model.ExecuteCommand(ecInsertMode);
    model.SetCaret({0, 9});  // the caret may stand past the end of a line
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 9}));
    model.ExecuteCommand(ecChar, {.Char = U'e'});
    EXPECT_EQ(model.Document().Text(), "abXYZ!   e");
    model.ExecuteCommand(ecChar, {.Char = U'\x07'});  // control characters type nothing
    EXPECT_EQ(model.Document().Text(), "abXYZ!   e");
}

TEST(TypingCommands, CaretStaysInTheTextWithoutScrollPastEol)
{
    TEditorModel model;
    model.Settings().Options.Exclude(eoScrollPastEol);
    LoadMarked(model, "ab|\ncd");
    model.ExecuteCommand(ecRight);
    EXPECT_EQ(Marked(model), "ab\n|cd");
    model.SetCaret({0, 7});
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 2}));
}

TEST(OptionalBehaviour, OptionsThatAreOffInADocumentWindow)
{
    const struct {
        const char* Name;
        TEditorOption Option;
        std::string Before;
        TEditorCommand Command;
        std::string After;
    } cases[] = {
        {"trim_trailing_spaces", eoTrimTrailingSpaces, "  ab  |cd", ecLineBreak, "  ab\n  |cd"},
        {"no_selection", eoNoSelection, "ab|c", ecSelLeft, "a|bc"},
        {"enhanced_home", eoEnhanceHomeKey, "  ab|c", ecLineStart, "  |abc"},
        {"tab_indent", eoTabIndent, "{ab\ncd|", ecTab, "{  ab\n  cd|"},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        model.Settings().Options.Include(c.Option);
        LoadMarked(model, c.Before);
        model.ExecuteCommand(c.Command);
        EXPECT_EQ(Marked(model), c.After) << c.Name;
    }

    TEditorModel model;
    TTestHost host;
    host.lines = 10;
    model.SetHost(&host);
    model.LoadBytes(std::string(40, '\n'));
    model.Settings().Options.Include(eoHalfPageScroll);
    model.ExecuteCommand(ecPageDown);
    EXPECT_EQ(model.Caret().Line, 5);
    model.Settings().Options.Include(eoScrollByOneLess);
    model.ExecuteCommand(ecPageDown);
    EXPECT_EQ(model.Caret().Line, 9);
}

TEST(TypingCommands, StringAndLineBreaks)
{
    TEditorModel model;
    LoadMarked(model, "a|b");
    model.ExecuteCommand(ecString, {.Text = U"1\r\n2"});
    EXPECT_EQ(Marked(model), "a1\n2|b");
}

TEST(ColumnSelection, SelectsDeletesAndTypesARectangle)
{
    TEditorModel model;
    LoadMarked(model, "|abcd\nefgh\nij");
    model.ExecuteCommand(ecColumnSelect);
    model.ExecuteCommand(ecRight);
    model.ExecuteCommand(ecSelDown);
    model.ExecuteCommand(ecSelDown);
    model.ExecuteCommand(ecSelRight);
    model.ExecuteCommand(ecSelRight);
    EXPECT_EQ(model.SelectionMode(), smColumn);
    EXPECT_EQ(model.SelectedText(), U"bc\r\nfg\r\nj");
    model.ExecuteCommand(ecDeleteChar);
    EXPECT_EQ(model.Document().Text(), "ad\neh\ni");
    EXPECT_EQ(model.Caret(), (TTextPosition{0, 1}));
    model.Undo();
    EXPECT_EQ(model.Document().Text(), "abcd\nefgh\nij");

    model.ExecuteCommand(ecLineSelect);
    model.SetSelection({0, 2}, {1, 1});
    model.ExecuteCommand(ecDeleteChar);
    EXPECT_EQ(model.Document().Text(), "ij");
}

TEST(Bookmarks, SetGotoToggleAndFollowTheirLines)
{
    TEditorModel model;
    LoadMarked(model, "a\nb|b\nc");
    model.ExecuteCommand(ecSetMarker5);
    ASSERT_TRUE(model.Bookmark(5));
    model.SetCaret({0, 0});
    model.ExecuteCommand(ecLineBreak);  // one line more above the bookmark
    model.ExecuteCommand(ecEditorTop);
    model.ExecuteCommand(ecGotoMarker5);
    EXPECT_EQ(Marked(model), "\na\nb|b\nc");
    model.ExecuteCommand(ecSetMarker5);  // again on its line: removed
    EXPECT_FALSE(model.Bookmark(5));
    model.ExecuteCommand(ecGotoMarker1);  // not set: nothing happens
    EXPECT_EQ(model.Caret(), (TTextPosition{2, 1}));
}

TEST(ClipboardCommands, CutCopyPasteThroughTheHost)
{
    TEditorModel model;
    TTestHost host;
    model.SetHost(&host);
    LoadMarked(model, "a{bc|d");
    model.ExecuteCommand(ecCopy);
    EXPECT_EQ(host.clipboard, U"bc");
    model.ExecuteCommand(ecCut);
    EXPECT_EQ(Marked(model), "a|d");
    model.ExecuteCommand(ecEditorBottom);
    model.ExecuteCommand(ecPaste);
    EXPECT_EQ(Marked(model), "adbc|");
    host.clipboard = U"x\r\ny";
    model.ExecuteCommand(ecPaste);
    EXPECT_EQ(Marked(model), "adbcx\ny|");
    model.ExecuteCommand(ecCut);  // nothing selected: nothing cut
    EXPECT_EQ(host.clipboard, U"x\r\ny");
    model.ExecuteCommand(ecContextHelp);
    EXPECT_EQ(host.helpRequests, 1);
}

TEST(PageCommands, MoveByTheViewsHeight)
{
    TEditorModel model;
    TTestHost host;
    host.lines = 5;
    model.SetHost(&host);
    std::string text;
    for (int i = 0; i < 30; ++i) text += "line" + std::to_string(i) + "\n";
    model.LoadBytes(text);
    const struct {
        TEditorCommand Command;
        int CaretLine, Top;
    } steps[] = {
        {ecPageDown, 5, 5}, {ecPageDown, 10, 10}, {ecPageBottom, 14, 10}, {ecPageTop, 10, 10},
        {ecPageUp, 5, 5},   {ecScrollDown, 6, 6}, {ecScrollUp, 6, 5},     {ecSelPageDown, 11, 10},
    };
    for (const auto& step : steps) {
        model.ExecuteCommand(step.Command);
        EXPECT_EQ(model.Caret().Line, step.CaretLine) << EditorCommandName(step.Command);
        EXPECT_EQ(host.top, step.Top) << EditorCommandName(step.Command);
    }
    EXPECT_TRUE(model.HasSelection());
}

// The column kept over up and down moves belongs to the caret those moves left; a caret placed
// otherwise since (a click, an undo) moves on from its own column.
TEST(CaretMoves, UpAndDownStartFromACaretPlacedElsewhere)
{
    TEditorModel model;
    LoadMarked(model, "abcdef|\nabcdefgh\nabcdefgh");
    model.ExecuteCommand(ecDown);
    model.SetCaret({1, 1});
    model.ExecuteCommand(ecDown);
    EXPECT_EQ(model.Caret(), (TTextPosition{2, 1}));

    LoadMarked(model, "ab|\nabcdefgh\nabcdefgh");
    model.ExecuteCommand(ecChar, {.Char = U'c'});
    model.ExecuteCommand(ecDown);
    model.ExecuteCommand(ecUndo);
    model.ExecuteCommand(ecDown);
    EXPECT_EQ(model.Caret(), (TTextPosition{1, 2}));
}

TEST(KeyCommands, KeysRunTheirCommands)
{
    TEditorModel model;
    LoadMarked(model, "ab\nc|d\nef");
    EXPECT_TRUE(model.ExecuteKey(vk::Digit(5), ssShift | ssCtrl));
    EXPECT_EQ(model.Bookmark(5)->Line, 1);
    EXPECT_TRUE(model.ExecuteKey('Y', ssCtrl));
    EXPECT_EQ(Marked(model), "ab\n|ef");
    EXPECT_TRUE(model.ExecuteKey(vk::Back, ssAlt));  // undo
    EXPECT_EQ(model.Document().Text(), "ab\ncd\nef");
    EXPECT_FALSE(model.ExecuteKey('Q', 0));
}

// A highlighter whose word characters include "-" decides word moves when attached.
class TDashWordHighlighter : public TCustomHighlighter {
public:
    TDashWordHighlighter()
    {
        for (int c = 'a'; c <= 'z'; ++c) wordChars_.set(static_cast<std::size_t>(c));
        wordChars_.set('-');
    }
    THighlighterAttributes* DefaultAttribute(int) const override { return nullptr; }
    const std::bitset<256>& WordChars() const override { return wordChars_; }
    std::string LanguageName() const override { return "Dash"; }
    bool AtLineEnd() const override { return true; }
    int GetState() const override { return 0; }
    std::string TokenText() const override { return {}; }
    THighlighterAttributes* TokenAttribute() const override { return nullptr; }
    int TokenKind() const override { return 0; }
    int TokenStart() const override { return 0; }
    void NextToken() override {}
    void StartLine(std::string_view, int) override {}
    void SetState(int) override {}
    void ResetState() override {}

private:
    std::bitset<256> wordChars_;
};

TEST(WordCharacters, FromTheHighlighterWhenOneIsAttached)
{
    TEditorModel model;
    LoadMarked(model, "|foo-bar baz");
    model.ExecuteCommand(ecWordRight);
    EXPECT_EQ(Marked(model), "foo-|bar baz");
    TDashWordHighlighter highlighter;
    model.SetHighlighter(&highlighter);
    model.ExecuteCommand(ecLineStart);
    model.ExecuteCommand(ecWordRight);
    EXPECT_EQ(Marked(model), "foo-bar |baz");
    EXPECT_FALSE(model.Document().IsWordChar(U'_'));
    model.SetHighlighter(nullptr);
}

}  // namespace
