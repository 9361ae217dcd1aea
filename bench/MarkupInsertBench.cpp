// Mark-up commands in the middle of a large page in the editor widget: each command's mark-up
// written with its caret rule and painted, then undone and painted again, as a user sees it; also
// a 100 x 100 table with title, head and foot, and a selection list of 9999 options.
//
//   bench_markup_insert [megabytes=50]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "HtmlPageGenerator.h"
#include "editor/widget/CodeMemo.h"
#include "editor/control/EditorModel.h"
#include "highlight/HtmlHighlighter.h"
#include "markup/FormMarkup.h"
#include "markup/FrameMarkup.h"
#include "markup/InsertionRules.h"
#include "markup/LinkMarkup.h"
#include "markup/ListMarkup.h"
#include "markup/TableMarkup.h"
#include "markup/TextMarkup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Command {
    const char* Name;
    TMarkup Markup;
    double GoalMs = 2;
};

TListEntries DefinitionList()
{
    TListEntries list;
    list.ChangeType(TListType::Definition);
    for (int i = 0; i < 10; ++i) list.Add(U"term " + std::u32string(1, U'0' + i), U"its description");
    return list;
}

TTableFields FullTable()
{
    TTableFields table;
    table.Title = U"Prices";
    table.HeadCells.assign(100, U"Head");
    table.FootCells.assign(100, U"Foot");
    table.BodyRows.assign(100, std::vector<std::u32string>(100, U"cell text"));
    return table;
}

TSelectListFields LongSelectList()
{
    TSelectListFields list;
    list.Name = U"choice";
    list.Options.assign(9999, {U"an option", U"value"});
    return list;
}

std::vector<Command> Commands()
{
    std::vector<Command> commands;
    const char* const styles[] = {"bold", "italic", "underline", "strike", "subscript", "superscript"};
    for (int style = 0; style < 6; ++style)
        commands.push_back({styles[style], TextStyleMarkup(static_cast<TTextStyle>(style), U"Hello")});
    commands.push_back({"break", BreakMarkup()});
    commands.push_back({"comment", CommentMarkup(U"first line\r\nsecond line")});
    commands.push_back({"font", FontMarkup({U"Courier New", U"3", 0xFF0000, U"Hello"})});
    commands.push_back({"paragraph", ParagraphMarkup(U"Center", U"one\r\ntwo\r\nthree")});
    commands.push_back({"header", HeaderMarkup({U"2", U"Center", U"Hello"})});
    commands.push_back({"link", LinkMarkup({U"page2.html", TLinkTarget::NewWindow, U"Next", U"Hello"})});
    commands.push_back(
        {"image", ImageMarkup({U"logo.png", U"120", U"60", U"Left", U"Logo", U"Logo", U"1", 0x0000FF})});
    commands.push_back({"sound", SoundMarkup(U"music.mid", U"3")});
    commands.push_back({"list", ListMarkup(DefinitionList())});
    commands.push_back({"form", FormMarkup(U"Post", U"/cgi-bin/order", TEnctype::UrlEncoded)});
    commands.push_back({"input", InputMarkup(U"Text", U"name", U"value")});
    commands.push_back({"textarea", TextAreaMarkup({U"note", U"4", U"40", U"one\r\ntwo"})});
    commands.push_back({"label", LabelMarkup(U"name", U"Your name")});
    commands.push_back({"frameset", FrameSetMarkup(U"20%,*", U"", U"0")});
    commands.push_back({"frame", FrameMarkup({U"main", U"main.html", U"0", U"", U"", U"Auto"})});
    commands.push_back({"table_100x100", TableMarkup(FullTable()), 20});
    commands.push_back({"select_9999", SelectListMarkup(LongSelectList()), 20});
    return commands;
}

// Paints what the editor asked to repaint, as the event loop would before the next input.
void PaintPending()
{
    QCoreApplication::processEvents();
}

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Timing {
    double Mean = 0;
    double Max = 0;
    void Add(double ms, int rounds)
    {
        Mean += ms / rounds;
        Max = std::max(Max, ms);
    }
};

// The word at the start of the line selected, the command written and painted, then undone.
void TimeCommand(TCodeMemo& memo, const Command& command, int line, int rounds)
{
    Timing write, insert, undo;
    for (int round = 0; round < rounds; ++round) {
        memo.Model().SetSelection({line, 0}, {line, 5});
        PaintPending();
        QElapsedTimer timer;
        timer.start();
        WriteMarkup(memo.Model(), command.Markup);
        write.Add(Milliseconds(timer), rounds);
        PaintPending();
        insert.Add(Milliseconds(timer), rounds);
        timer.restart();
        memo.Model().Undo();
        PaintPending();
        undo.Add(Milliseconds(timer), rounds);
    }
    std::printf("%-14s insert_ms mean %.3f max %.3f   undo_ms mean %.3f max %.3f   goal < %.0f   (of insert, the "
                "page's edit mean %.3f)\n",
                command.Name, insert.Mean, insert.Max, undo.Mean, undo.Max, command.GoalMs, write.Mean);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    THtmlHighlighter highlighter;
    TCodeMemo memo;
    memo.Model().SetHighlighter(&highlighter);
    memo.resize(1024, 768);
    memo.Model().SetText(GenerateHtmlPage(megabytes * 1000 * 1000));
    memo.show();
    while (!memo.windowHandle() || !memo.windowHandle()->isExposed()) QCoreApplication::processEvents();

    const int middle = memo.Model().Document().LineCount() / 2;
    // The first visit computes the highlight states above the middle; that is not a command's cost.
    memo.Model().SetCaret({middle, 0});
    memo.SetTopLine(middle - memo.LinesInView() / 2);
    PaintPending();
    std::printf("page: %zu MB, %d lines, commands at line %d in the middle of the view "
                "(insert with caret rule and paint; undo with paint)\n",
                megabytes, memo.Model().Document().LineCount(), middle + 1);
    for (const Command& command : Commands())
        TimeCommand(memo, command, middle, command.GoalMs > 2 ? 10 : 50);
    return 0;
}
