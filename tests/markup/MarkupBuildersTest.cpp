// Each command's mark-up from its dialog's values, written into an empty page: the exact text, and
// where the caret and selection end ("|" caret, "{" anchor, line breaks shown as "\n").
#include "editor/EditorModel.h"
#include "editor/EditorTestText.h"
#include "markup/LinkMarkup.h"
#include "markup/ListMarkup.h"
#include "markup/TextMarkup.h"

#include <gtest/gtest.h>

namespace {

struct BuilderCase {
    const char* Name;
    TMarkup Written;
    std::string Expected;
};

void ExpectWritten(const BuilderCase& c)
{
    TEditorModel model;
    LoadMarked(model, "|");
    WriteMarkup(model, c.Written);
    EXPECT_EQ(Marked(model), c.Expected) << c.Name;
}

TEST(TextMarkup, StylesBreakAndComment)
{
    const BuilderCase cases[] = {
        {"bold", TextStyleMarkup(TTextStyle::Bold, U"abc"), "<b>{abc|</b>"},
        {"italic", TextStyleMarkup(TTextStyle::Italic, U"abc"), "<i>{abc|</i>"},
        {"underline", TextStyleMarkup(TTextStyle::Underline, U"abc"), "<u>{abc|</u>"},
        {"strike", TextStyleMarkup(TTextStyle::Strike, U"abc"), "<s>{abc|</s>"},
        {"superscript", TextStyleMarkup(TTextStyle::Superscript, U"abc"), "<sup>{abc|</sup>"},
        {"subscript_empty", TextStyleMarkup(TTextStyle::Subscript, U""), "<sub>|</sub>"},
        {"style_blanks_written", TextStyleMarkup(TTextStyle::Bold, U"  "), "<b>{  |</b>"},
        {"style_unescaped", TextStyleMarkup(TTextStyle::Bold, U"a<&\"b"), "<b>{a<&\"b|</b>"},
        {"style_two_lines", TextStyleMarkup(TTextStyle::Italic, U"a\r\nb"), "<i>{a\nb|</i>"},
        {"break", BreakMarkup(), "<br>\n|"},
        {"comment_two_lines", CommentMarkup(U"a\r\nb"), "<!-- a\nb -->\n|"},
        {"comment_ending_in_break", CommentMarkup(U"a\r\n"), "<!-- a\n -->\n|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

TEST(TextMarkup, FontParagraphAndHeader)
{
    const BuilderCase cases[] = {
        {"font_defaults", FontMarkup({U"", U"", 0x000000, U"abc"}), "<font color=\"#000000\">{abc|</font>"},
        {"font_all", FontMarkup({U"Courier New", U"3", 0xFF0000, U"abc"}),
         "<font face=\"Courier New\" size=\"3\" color=\"#FF0000\">{abc|</font>"},
        {"font_blank_size", FontMarkup({U"", U" ", 0x0000FF, U""}), "<font size=\" \" color=\"#0000FF\">|</font>"},
        {"paragraph_plain", ParagraphMarkup(U"", U"abc"), "<p>{abc|</p>"},
        {"paragraph_two_lines", ParagraphMarkup(U"Center", U"a\r\nb"), "<p align=\"Center\">{a\nb|</p>"},
        {"paragraph_empty", ParagraphMarkup(U"", U""), "<p>|</p>"},
        {"header_2_center", HeaderMarkup({U"2", U"Center", U"abc"}), "<h2 align=\"Center\">{abc|</h2>"},
        {"header_defaults_empty", HeaderMarkup({U"1", U"", U""}), "<h1>|</h1>"},
        {"header_6_right", HeaderMarkup({U"6", U"Right", U"x"}), "<h6 align=\"Right\">{x|</h6>"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

TEST(LinkMarkup, LinksImagesAndSounds)
{
    const BuilderCase cases[] = {
        {"link_new_window", LinkMarkup({U"page2", TLinkTarget::NewWindow, U"", U"abc"}),
         "<a href=\"page2\" target=\"_blank\">{abc|</a>"},
        {"link_default_empty_text", LinkMarkup({U"u", TLinkTarget::DefaultWindow, U"", U""}), "<a href=\"u\">|</a>"},
        {"link_this_window_title", LinkMarkup({U"u", TLinkTarget::ThisWindow, U"T", U"x"}),
         "<a href=\"u\" target=\"_self\" title=\"T\">{x|</a>"},
        {"link_parent", LinkMarkup({U"u", TLinkTarget::ParentWindow, U"", U"x"}),
         "<a href=\"u\" target=\"_parent\">{x|</a>"},
        {"link_top", LinkMarkup({U"u", TLinkTarget::TopWindow, U"", U"x"}), "<a href=\"u\" target=\"_top\">{x|</a>"},
        {"image_file_only", ImageMarkup({.FileName = U"a.png"}), "<img src=\"a.png\" bordercolor=\"000000\">|"},
        {"image_every_field",
         ImageMarkup({U"a.png", U"10", U"20", U"Center", U"t", U"alt", U"0", 0xFF0000}),
         "<img src=\"a.png\" width=\"10\" height=\"20\" align=\"Center\" title=\"t\" alt=\"alt\" border=\"0\" "
         "bordercolor=\"FF0000\">|"},
        {"sound_loop", SoundMarkup(U"s.mid", U"-1"), "<bgsound src=\"s.mid\" loop=\"-1\">\n|"},
        {"sound_plain", SoundMarkup(U"s.mid", U""), "<bgsound src=\"s.mid\">\n|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

TListEntries Entries(TListType type, std::initializer_list<std::pair<std::u32string, std::u32string>> entries)
{
    TListEntries list;
    list.ChangeType(type);
    for (const auto& [text, description] : entries) list.Add(text, description);
    return list;
}

TEST(ListMarkup, OneLinePerEntry)
{
    const BuilderCase cases[] = {
        {"ordered", ListMarkup(Entries(TListType::Ordered, {{U"one", U""}, {U"two", U""}})),
         "<ol>\n<li>one\n<li>two\n</ol>\n|"},
        {"unordered", ListMarkup(Entries(TListType::Unordered, {{U"x", U""}})), "<ul>\n<li>x\n</ul>\n|"},
        {"definition", ListMarkup(Entries(TListType::Definition, {{U"A", U"a"}, {U"B", U""}})),
         "<dl>\n<dt>A</dt>\n<dd>a</dd>\n<dt>B</dt>\n<dd></dd>\n</dl>\n|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

}  // namespace
