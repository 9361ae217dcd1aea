// Each command's mark-up from its dialog's values, written into an empty page: the exact text, and
// where the caret and selection end ("|" caret, "{" anchor, line breaks shown as "\n").
#include "editor/control/EditorModel.h"
#include "editor/EditorTestText.h"
#include "markup/FormMarkup.h"
#include "markup/FrameMarkup.h"
#include "markup/LinkMarkup.h"
#include "markup/ListMarkup.h"
#include "markup/TableMarkup.h"
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

TTableFields Table(int rows, int columns)
{
    TTableFields table;
    table.HeadCells.assign(columns, U"");
    table.FootCells.assign(columns, U"");
    table.BodyRows.assign(rows, std::vector<std::u32string>(columns));
    return table;
}

TEST(TableMarkup, LineByLineWithTheFixedIndentation)
{
    TTableFields plain = Table(2, 3);
    plain.Head = plain.Foot = false;
    plain.BodyRows[1][2] = U"f";
    TTableFields titled = Table(1, 1);
    titled.Title = U"T";
    titled.Foot = false;
    titled.HeadCells[0] = U"h";
    TTableFields attributes = Table(1, 1);
    attributes.Head = attributes.Foot = false;
    attributes.Alignment = U"Right";
    attributes.Width = U"80%";
    attributes.CellPadding = U"4";
    attributes.CellSpacing = U" ";
    attributes.BorderWidth = U"1";
    attributes.BackgroundColor = 0x0000FF;
    attributes.BorderColor = 0xFF0000;
    const BuilderCase cases[] = {
        {"defaults", TableMarkup(Table(1, 1)),
         "<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<thead>\n <tr>\n <td></td>\n</tr>\n</thead>\n"
         "<tbody>\n <tr>\n  <td></td>\n </tr>\n</tbody>\n<tfoot>\n<tr>\n <td></td>\n</tr>\n</tfoot>\n</table>\n|"},
        {"no_head_or_foot", TableMarkup(plain),
         "<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<tbody>\n <tr>\n  <td></td>\n  <td></td>\n"
         "  <td></td>\n </tr>\n <tr>\n  <td></td>\n  <td></td>\n  <td>f</td>\n </tr>\n</tbody>\n</table>\n|"},
        {"title_before_head", TableMarkup(titled),
         "<table bgcolor=\"#FFFFFF\" bordercolor=\"#000000\">\n<caption>T</caption>\n<thead>\n <tr>\n"
         " <td>h</td>\n</tr>\n</thead>\n<tbody>\n <tr>\n  <td></td>\n </tr>\n</tbody>\n</table>\n|"},
        {"every_attribute_in_order", TableMarkup(attributes),
         "<table align=\"Right\" width=\"80%\" bgcolor=\"#0000FF\" padding=\"4\" spacing=\" \" border=\"1\" "
         "bordercolor=\"#FF0000\">\n<tbody>\n <tr>\n  <td></td>\n </tr>\n</tbody>\n</table>\n|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

TEST(FormMarkup, FormControls)
{
    const BuilderCase cases[] = {
        {"form_get_enctype", FormMarkup(U"Get", U"send", TEnctype::UrlEncoded),
         "<form method=\"Get\" action=\"send\" enctype=\"application/x-www-form-urlencoded\">\n|\n</form>"},
        {"form_post", FormMarkup(U"Post", U"a.cgi", TEnctype::None), "<form method=\"Post\" action=\"a.cgi\">\n|\n</form>"},
        {"input_defaults", InputMarkup(U"Text", U"", U""), "<input type=\"Text\">|"},
        {"input_all", InputMarkup(U"Password", U"  ", U"v\"1"), "<input type=\"Password\" name=\"  \" value=\"v\"1\">|"},
        {"select_defaults", SelectListMarkup({.Options = {{}}}), "<select>\n<option value=\"\"></option>\n</select>\n|"},
        {"select_all", SelectListMarkup({U"n", U"3", TSelection::Multiple, U"Center", {{U"a", U"1"}, {}, {U"c", U"3"}}}),
         "<select name=\"n\" size=\"3\" multiple align=\"Center\">\n<option value=\"1\">a</option>\n"
         "<option value=\"\"></option>\n<option value=\"3\">c</option>\n</select>\n|"},
        {"textarea_defaults", TextAreaMarkup({}), "<textarea>\n\n</textarea>\n|"},
        {"textarea_all", TextAreaMarkup({U"t", U"4", U"40", U"a\r\nb"}),
         "<textarea name=\"t\" rows=\"4\" cols=\"40\">\na\nb\n</textarea>\n|"},
        {"label_empty", LabelMarkup(U"", U""), "<label></label>|"},
        {"label_for", LabelMarkup(U"f", U"Name:"), "<label for=\"f\">Name:</label>|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

TEST(FrameMarkup, FrameSetsAndFrames)
{
    const BuilderCase cases[] = {
        {"frameset_defaults", FrameSetMarkup(U"", U"", U""), "<frameset>\n|\n</frameset>"},
        {"frameset_all", FrameSetMarkup(U"20%,*", U"*,*", U"0"),
         "<frameset rows=\"20%,*\" cols=\"*,*\" border=\"0\">\n|\n</frameset>"},
        {"frame_defaults", FrameMarkup({}), "<frame>\n|"},
        {"frame_scrolling_only", FrameMarkup({.Scrolling = U"No"}), "<frame scrolling=\"No\">\n|"},
        {"frame_src_and_margin_height", FrameMarkup({.FileName = U"main.html", .MarginHeight = U"0"}),
         "<frame src=\"main.html\" marginheight=\"0\">\n|"},
        {"frame_all", FrameMarkup({U"m", U"f.html", U"1", U"2", U"3", U"Auto"}),
         "<frame name=\"m\" src=\"f.html\" frameborder=\"1\" marginwidth=\"2\" marginheight=\"3\" "
         "scrolling=\"Auto\">\n|"},
    };
    for (const BuilderCase& c : cases) ExpectWritten(c);
}

}  // namespace
