// Writing a command's mark-up into a real editor model: pieces in place of the selection, the three
// caret rules with characters counted as the editor counts them, encodings, and one undo step.
#include "editor/control/EditorModel.h"
#include "editor/text/TextEncoding.h"
#include "editor/EditorTestText.h"
#include "markup/InsertionRules.h"

#include <gtest/gtest.h>

namespace {

TMarkup Markup(std::vector<std::u32string> pieces, TCaretRule rule = TCaretRule::AfterMarkup, int closing = 0,
               std::u32string inner = {})
{
    TMarkup markup;
    markup.Pieces = std::move(pieces);
    markup.Caret = rule;
    markup.ClosingLength = closing;
    markup.InnerText = std::move(inner);
    return markup;
}

constexpr TCaretRule kInner = TCaretRule::InnerTextSelection;
constexpr TCaretRule kBefore = TCaretRule::BeforeClosingTag;

TEST(WriteMarkup, PiecesReplaceTheSelectionAndTheCaretRuleEndsTheCommand)
{
    const struct {
        const char* Name;
        std::string Page;  // "|" caret, "{" anchor
        TMarkup Written;
        std::string Expected;
    } cases[] = {
        {"after_at_caret", "ab|cd", Markup({U"<br>\r\n"}), "ab<br>\n|cd"},
        {"after_replaces_selection", "a{xyz|b", Markup({U"<img", U" src=\"x\"", U">"}), "a<img src=\"x\">|b"},
        {"after_replaces_backward_selection", "a|xyz{b", Markup({U"<x>"}), "a<x>|b"},
        {"after_replaces_lines", "a{b\nc|d", Markup({U"<ul>\r\n", U"</ul>\r\n"}), "a<ul>\n</ul>\n|d"},
        {"inner_selects_text_again", "{Hello|", Markup({U"<b>Hello</b>"}, kInner, 4, U"Hello"), "<b>{Hello|</b>"},
        {"inner_empty_leaves_caret_between", "x|y", Markup({U"<sub></sub>"}, kInner, 6, U""), "x<sub>|</sub>y"},
        {"inner_crlf_counts_2", "|", Markup({U"<p", U">a\r\nb</p>"}, kInner, 4, U"a\r\nb"), "<p>{a\nb|</p>"},
        {"inner_lone_lf_counts_2", "|", Markup({U"<p>a\nb</p>"}, kInner, 4, U"a\nb"), "<p>{a\nb|</p>"},
        {"inner_lone_cr_counts_2", "|", Markup({U"<p>a\rb</p>"}, kInner, 4, U"a\rb"), "<p>{a\nb|</p>"},
        {"inner_code_points", "|", Markup({U"<b>h\u00E9\U0001F600</b>"}, kInner, 4, U"h\u00E9\U0001F600"),
         "<b>{h\xC3\xA9\xF0\x9F\x98\x80|</b>"},
        {"inner_on_later_line", "x\ny|z", Markup({U"<i>a</i>"}, kInner, 4, U"a"), "x\ny<i>{a|</i>z"},
        {"before_closing_tag", "|", Markup({U"<form>\r\n\r\n</form>"}, kBefore, 9), "<form>\n|\n</form>"},
        {"before_closing_tag_mid_page", "a{b|c",
         Markup({U"<frameset", U">\r\n\r\n</frameset>"}, kBefore, 13), "a<frameset>\n|\n</frameset>c"},
    };
    for (const auto& c : cases) {
        TEditorModel model;
        LoadMarked(model, c.Page);
        WriteMarkup(model, c.Written);
        EXPECT_EQ(Marked(model), c.Expected) << c.Name;
    }
}

TEST(WriteMarkup, WindowsPageCountsOneCharacterPerByte)
{
    TEditorModel model;
    model.LoadBytes("caf\xE9 ");
    model.SetCaret({0, 5});
    WriteMarkup(model, Markup({U"<b>\u00E9\u20AC</b>"}, kInner, 4, U"\u00E9\u20AC"));
    EXPECT_EQ(model.Document().Text(), "caf\xE9 <b>\xE9\x80</b>");
    EXPECT_EQ(model.SelectionStart(), 8);
    EXPECT_EQ(model.SelectionLength(), 2);
}

TEST(WriteMarkup, TextThePageCannotHoldIsRefusedBeforeAnythingChanges)
{
    TEditorModel model;
    model.LoadBytes("caf\xE9 x");
    model.SetSelection({0, 5}, {0, 6});
    const TMarkup markup = Markup({U"<b>", U"\u0416", U"</b>"}, kInner, 4, U"\u0416");
    EXPECT_THROW(WriteMarkup(model, markup), EEncodingError);
    EXPECT_EQ(model.Document().Text(), "caf\xE9 x");
    EXPECT_EQ(model.SelectionStart(), 5);
    EXPECT_EQ(model.SelectionLength(), 1);
    EXPECT_FALSE(model.Document().UndoList().CanUndo());
}

TEST(WriteMarkup, OneUndoTakesTheWholeCommandBackWithItsSelection)
{
    TEditorModel model;
    LoadMarked(model, "one {two| three");
    WriteMarkup(model, Markup({U"<font", U" face=\"Arial\"", U" color=\"#000000\">two</font>"}, kInner, 7, U"two"));
    WriteMarkup(model, Markup({U"<br>\r\n"}));
    model.Undo();
    EXPECT_EQ(Marked(model), "one <font face=\"Arial\" color=\"#000000\">{two|</font> three");
    model.Undo();
    EXPECT_EQ(Marked(model), "one {two| three");
    EXPECT_FALSE(model.Document().UndoList().CanUndo());
    model.Redo();
    EXPECT_EQ(Marked(model), "one <font face=\"Arial\" color=\"#000000\">{two|</font> three");
}

TEST(EditorLength, CountsCodePointsAndEveryLineBreakAsTwo)
{
    const std::pair<std::u32string, std::int64_t> cases[] = {
        {U"", 0}, {U"abc", 3}, {U"a\r\nb", 4}, {U"a\nb", 4}, {U"a\rb", 4}, {U"\r\n\r\n", 4}, {U"\n\r", 4},
        {U"\U0001F600", 1},
    };
    for (const auto& [text, length] : cases)
        EXPECT_EQ(EditorLength(text), length);
}

}  // namespace
