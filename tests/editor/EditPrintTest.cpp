// The print layout on the A4 300-dpi metrics with a fixed-pitch font of 21 dots by 39: geometry,
// columns, wrap, tabs, line numbers, pagination, copies and the cached page count.
#include "editor/print/DocumentPrintLines.h"
#include "editor/print/EditPrint.h"
#include "editor/text/TextDocument.h"
#include "editor/text/FileIO.h"
#include "highlight/HtmlHighlighter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kAdvance = 21;
constexpr int kLineHeight = 39;

struct TDrawn {
    int Sheet;
    int X;
    int Y;
    std::u32string Text;
    FontStyles Styles;
    TEditorColor Foreground;
};

// A device of fixed metrics that keeps what is drawn on it.
class TFixedPitchCanvas : public TPrintCanvas {
public:
    TEditPrinterInfo Info = TEditPrinterInfo::A4At300Dpi();
    std::string JobTitle;
    int Sheets = 0;
    bool JobEnded = false;
    std::vector<TDrawn> Drawn;

    TEditPrinterInfo PrinterInfo() override { return Info; }
    TPrintFontMetrics GridMetrics(const TEditorFont&) override { return {kLineHeight, kAdvance}; }
    int TextWidth(const TEditorFont&, FontStyles, std::string_view utf8) override
    {
        return kAdvance * static_cast<int>(CharacterCount(utf8, TDocumentEncoding::Utf8));
    }
    void BeginJob(const std::string& title) override { JobTitle = title; Sheets = 1; }
    void NewSheet() override { ++Sheets; }
    void EndJob() override { JobEnded = true; }
    void FillRect(int, int, int, int, RgbColor) override {}
    void DrawText(int x, int y, const TEditorFont&, std::u32string_view text, const TPrintTextStyle& style) override
    {
        Drawn.push_back({Sheets, x, y, std::u32string(text), style.Styles, style.Foreground});
    }
    // The texts drawn at the left edge of the text: the start of each printed row, in order.
    std::vector<std::string> RowStartsAt(int x) const
    {
        std::vector<std::string> rows;
        for (const TDrawn& d : Drawn)
            if (d.X == x) rows.emplace_back(d.Text.begin(), d.Text.end());
        return rows;
    }
};

std::vector<std::string> Repeat(const std::string& line, int count) { return std::vector<std::string>(count, line); }

std::vector<std::size_t> Wraps(const std::string& line, int maxColumns,
                               TDocumentEncoding encoding = TDocumentEncoding::Utf8)
{
    std::vector<std::size_t> positions;
    FindWrapPositions(line, encoding, maxColumns, positions);
    return positions;
}

TEST(EditPrintGeometry, MarginsBecomeDotsOfTheA4FallbackPrinter)
{
    const TEditPrinterInfo a4 = TEditPrinterInfo::A4At300Dpi();
    EXPECT_EQ(a4.RightOffset(), 58);
    EXPECT_EQ(a4.BottomOffset(), 50);
    struct Case {
        TUnitSystem units;
        int lineNumberWidth;
        TPageGeometry expected;
    } const cases[] = {
        {TUnitSystem::usMM, 0, {230, 230, 2239, 245, 3162, 127, 3280, 6, 254, 2215}},
        {TUnitSystem::usCM, 0, {230, 230, 2239, 245, 3162, 127, 3280, 6, 254, 2215}},
        {TUnitSystem::usInch, 105, {230, 335, 2239, 245, 3162, 127, 3280, 6, 254, 2215}},
    };
    for (const Case& c : cases) {
        TEditPrintMargins margins;
        margins.SetUnitSystem(c.units);
        EXPECT_EQ(ComputePageGeometry(margins, a4, c.lineNumberWidth), c.expected) << static_cast<int>(c.units);
    }
    TEditPrintMargins cm;
    cm.SetUnitSystem(TUnitSystem::usCM);
    EXPECT_DOUBLE_EQ(cm.Left, 2.5);
}

TEST(EditPrintGeometry, ColumnsCountTheWThatFitAndLineNumbersMoveTheLeftEdge)
{
    struct Case {
        int lines;
        bool lineNumbers;
        bool inMargin;
        int lineOffset;
        int textLeft;
        int maxColumns;
    } const cases[] = {
        {5, false, false, 0, 230, 95},     // 2009 dots: 96 W reach 2016
        {120, true, false, 0, 335, 90},    // "120: " takes 105
        {9, true, false, 0, 293, 92},      // "9: "
        {99, true, false, 1, 335, 90},     // the last number printed is 100
        {120, true, true, 0, 230, 95},     // numbers in the margin take no room
    };
    for (const Case& c : cases) {
        TFixedPitchCanvas canvas;
        TEditPrint print;
        print.SetLines(Repeat("x", c.lines), TDocumentEncoding::Utf8);
        print.LineNumbers = c.lineNumbers;
        print.LineNumbersInMargin = c.inMargin;
        print.LineOffset = c.lineOffset;
        const TPrintLayout& layout = print.Layout(canvas);
        EXPECT_EQ(layout.Geometry.TextLeft, c.textLeft) << c.lines;
        EXPECT_EQ(layout.MaxColumns, c.maxColumns) << c.lines;
        EXPECT_EQ(layout.MaxLineWidth, c.maxColumns * kAdvance) << c.lines;
    }
}

TEST(EditPrintWrap, LongLinesBreakAfterTheLastBreakCharacterInReach)
{
    struct Case {
        const char* name;
        std::string line;
        int maxColumns;
        std::vector<std::size_t> expected;
    } const cases[] = {
        {"fits exactly", "aaaaaaaaaa", 10, {}},
        {"blanks", "aaaa bbbb cccc", 10, {10}},
        {"blank at the limit", "aaaaaaaaa bbb", 10, {10}},
        {"commas", "a,b,c,d,e,f,g,h", 10, {10}},
        {"hyphens", "well-known-long-word", 8, {5, 11, 16}},
        {"second pass", "f(a).g(b);h(c)", 6, {5, 10}},
        {"hard cut", "abcdefghijklmnopqrstuvwxy", 10, {10, 20}},
        {"overlong word cut", "ab averyveryverylongword x", 8, {3, 11, 19, 25}},
        {"utf-8 characters", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4 \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4 \xC3\xA4\xC3\xA4", 10, {18}},
        {"utf-8 cut", "\xC3\xA4\xC3\xA4\xC3\xA4", 2, {4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Wraps(c.line, c.maxColumns), c.expected) << c.name;
    EXPECT_EQ(Wraps("\xE4\xE4\xE4\xE4 \xE4\xE4\xE4\xE4 \xE4\xE4", 10, TDocumentEncoding::Windows1252),
              std::vector<std::size_t>{10});
}

TEST(EditPrintLines, TabsExpandWhenLinesAreSetAndStayWhenLoadedFromTheFile)
{
    struct Case {
        std::string line;
        int tabWidth;
        std::string expected;
    } const cases[] = {
        {"abc\tx", 8, "abc     x"},
        {"\t", 8, "        "},
        {"a\tb\tc", 4, "a   b   c"},
        {"a\tb", 0, "a b"},
        {"\xC3\xA4\tx", 8, "\xC3\xA4       x"},
    };
    for (const Case& c : cases) {
        TEditPrint print;
        print.TabWidth = c.tabWidth;
        print.SetLines({c.line}, TDocumentEncoding::Utf8);
        EXPECT_EQ(print.Lines().Line(0), c.expected) << c.line;
    }

    // From the file: breaks split lines, the tab stays and prints in one cell; a missing file
    // keeps the lines and says which file.
    const std::string path = (std::filesystem::temp_directory_path() / "EditPrintTabs.html").string();
    std::ofstream(path, std::ios::binary) << "a\tb\r\n\xE4\r\n";
    TEditPrint print;
    print.LoadFromFile(path);
    std::filesystem::remove(path);
    ASSERT_EQ(print.Lines().Count(), 3);
    EXPECT_EQ(print.Lines().Encoding(), TDocumentEncoding::Windows1252);
    TFixedPitchCanvas canvas;
    print.Print(canvas);
    ASSERT_EQ(canvas.Drawn.size(), 2u);
    EXPECT_EQ(canvas.Drawn[0].Text, U"a b");
    EXPECT_EQ(canvas.Drawn[1].Text, U"\u00E4");
    try {
        print.LoadFromFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + path);
    }
    EXPECT_EQ(print.Lines().Count(), 3);
}

TEST(EditPrintPages, RowsFillPagesAndAWrappedLineContinuesOnTheNext)
{
    // 74 rows of 39 dots fit between 245 and 3162.
    const std::string wrapped(200, 'x');  // cut into 95 + 95 + 10
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        bool wrap;
        std::vector<TPrintPageStart> expected;
    } cases[] = {
        {"no lines", {}, true, {{0, 0}}},
        {"one page full", Repeat("x", 74), true, {{0, 0}}},
        {"one row more", Repeat("x", 75), true, {{0, 0}, {74, 0}}},
        {"three pages", Repeat("x", 149), true, {{0, 0}, {74, 0}, {148, 0}}},
        {"wrap rows move on", Repeat("x", 73), true, {{0, 0}, {73, 1}}},
        {"no wrap, one row", Repeat("x", 73), false, {{0, 0}}},
    };
    cases[4].lines.push_back(wrapped);
    cases[5].lines.push_back(wrapped);
    for (const Case& c : cases) {
        TFixedPitchCanvas canvas;
        TEditPrint print;
        print.SetLines(c.lines, TDocumentEncoding::Utf8);
        print.Wrap = c.wrap;
        EXPECT_EQ(print.Layout(canvas).Pages, c.expected) << c.name;
        EXPECT_EQ(print.PageCount(canvas), static_cast<int>(c.expected.size())) << c.name;
    }
}

TEST(EditPrintPages, NoRowFallsBelowTheBottomMargin)
{
    TFixedPitchCanvas canvas;
    TEditPrint print;
    std::vector<std::string> lines = Repeat("x", 73);
    lines.push_back(std::string(200, 'y'));
    print.SetLines(lines, TDocumentEncoding::Utf8);
    print.Print(canvas);
    const TPageGeometry& g = print.Layout(canvas).Geometry;
    for (const TDrawn& d : canvas.Drawn)
        EXPECT_LE(d.Y + kLineHeight, g.TextBottom);
    EXPECT_EQ(canvas.Sheets, 2);
    EXPECT_EQ(canvas.RowStartsAt(g.TextLeft).back(), std::string(10, 'y'));
}

TEST(EditPrintPages, WithoutWrapALongLineIsCutAtTheLastWholeColumn)
{
    TFixedPitchCanvas canvas;
    TEditPrint print;
    print.Wrap = false;
    print.SetLines({std::string(120, 'x') + "<b>"}, TDocumentEncoding::Utf8);
    print.Print(canvas);
    ASSERT_EQ(canvas.Drawn.size(), 1u);
    EXPECT_EQ(canvas.Drawn[0].Text, std::u32string(95, U'x'));
}

TEST(EditPrintJob, CopiesRunThroughAllPagesInOrder)
{
    EXPECT_EQ(PrintOrder(3, 2), (std::vector<int>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(PrintOrder(2, 0), (std::vector<int>{0, 1}));

    TFixedPitchCanvas canvas;
    TEditPrint print;
    print.SetLines(Repeat("x", 74 * 3), TDocumentEncoding::Utf8);
    print.LineNumbers = true;
    print.Copies = 2;
    print.Title = "index.html";
    print.Print(canvas);
    EXPECT_EQ(canvas.JobTitle, "index.html");
    EXPECT_TRUE(canvas.JobEnded);
    EXPECT_EQ(canvas.Sheets, 6);
    std::vector<std::u32string> firstNumbers;
    for (const TDrawn& d : canvas.Drawn)
        if (d.Y == 245 && d.Text.ends_with(U": ")) firstNumbers.push_back(d.Text);
    EXPECT_EQ(firstNumbers, (std::vector<std::u32string>{U"1: ", U"75: ", U"149: ", U"1: ", U"75: ", U"149: "}));

    print.DocTitle = "Job";
    print.Print(canvas);
    EXPECT_EQ(canvas.JobTitle, "Job");
}

TEST(EditPrintJob, LineNumbersEndAtTheTextLeftEdge)
{
    TFixedPitchCanvas canvas;
    TEditPrint print;
    print.SetLines(Repeat("x", 120), TDocumentEncoding::Utf8);
    print.LineNumbers = true;
    print.Print(canvas);
    // "7: " is 3 cells wide and ends where the text starts, at 335.
    EXPECT_EQ(canvas.Drawn[12].Text, U"7: ");
    EXPECT_EQ(canvas.Drawn[12].X, 335 - 3 * kAdvance);
    EXPECT_EQ(canvas.Drawn[13].X, 335);
}

TEST(EditPrintCache, ThePageCountIsKeptUntilItsInputsChange)
{
    THtmlHighlighter highlighter;
    TFixedPitchCanvas canvas;
    TEditPrint print;
    print.SetHighlighter(&highlighter);
    print.SetLines(Repeat("<p>", 74), TDocumentEncoding::Utf8);
    EXPECT_EQ(print.PageCount(canvas), 1);
    EXPECT_EQ(print.PageCount(canvas), 1);
    EXPECT_EQ(print.HighlightedLineCount(), 74);  // scanned once

    print.SetLines(Repeat("<p>", 75), TDocumentEncoding::Utf8);
    EXPECT_EQ(print.PageCount(canvas), 2);
    EXPECT_EQ(print.HighlightedLineCount(), 74 + 75);

    TEditorFont larger = print.Font();
    larger.PixelHeight = 22;
    print.SetFont(larger);
    print.PageCount(canvas);
    EXPECT_EQ(print.HighlightedLineCount(), 74 + 75);  // a new font needs no new scan
    print.SetHighlighter(&highlighter);
    print.PageCount(canvas);
    EXPECT_EQ(print.HighlightedLineCount(), 74 + 75 + 75);

    canvas.Info.PhysicalHeight -= kLineHeight;  // another paper
    canvas.Info.PrintableHeight -= kLineHeight;
    EXPECT_EQ(print.PageCount(canvas), 2);
    EXPECT_EQ(print.Layout(canvas).Pages[1].Line, 73);
    print.Margins.Top = 5;
    EXPECT_EQ(print.PageCount(canvas), 1);
}

TEST(EditPrintHighlight, EachPrintColoursFromAFreshScanOfTheLines)
{
    THtmlHighlighter highlighter;
    TEditPrint print;
    print.SetHighlighter(&highlighter);
    const auto stylesOfSecondLine = [&](const std::vector<std::string>& lines) {
        TFixedPitchCanvas canvas;
        print.SetLines(lines, TDocumentEncoding::Utf8);
        print.Print(canvas);
        for (const TDrawn& d : canvas.Drawn)
            if (d.Y == 245 + kLineHeight && d.X == 230) return d.Styles;
        return FontStyles{0xFF};
    };
    // Inside a tag the word is an attribute name (bold); after ">" it is text.
    EXPECT_EQ(stylesOfSecondLine({"<b", "class=x>"}), fsBold);
    EXPECT_EQ(stylesOfSecondLine({"<b>", "class=x>"}), 0);
}

TEST(EditPrintHighlight, ColoursFollowTheAttributesOnlyWhenColorsIsOn)
{
    THtmlHighlighter highlighter;
    const TEditorColor font = RoleColor(TPlatformColor::WindowText);
    struct Case {
        bool colors;
        std::vector<TEditorColor> expected;  // "<", "p", ">", "x"
    } const cases[] = {
        {true, {font, RgbColorValue(0x8000FF), font, font}},
        {false, {font, font, font, font}},
    };
    for (const Case& c : cases) {
        TFixedPitchCanvas canvas;
        TEditPrint print;
        print.SetHighlighter(&highlighter);
        print.Colors = c.colors;
        print.SetLines({"<p>x"}, TDocumentEncoding::Utf8);
        print.Print(canvas);
        std::vector<TEditorColor> colours;
        for (const TDrawn& d : canvas.Drawn)
            colours.push_back(d.Foreground);
        EXPECT_EQ(colours, c.expected) << c.colors;
    }
}

TEST(EditPrintLines, FilledFromADocumentWithTabsExpanded)
{
    TTextDocument document;
    document.LoadBytes("<p>\ta\r\n\xC3\xA4");
    TEditPrint print;
    SetPrintLinesFromDocument(print, document);
    ASSERT_EQ(print.Lines().Count(), 2);
    EXPECT_EQ(print.Lines().Line(0), "<p>     a");
    EXPECT_EQ(print.Lines().Line(1), "\xC3\xA4");
    EXPECT_EQ(print.Lines().Encoding(), TDocumentEncoding::Utf8);
}

}  // namespace
