// Opening a large page in the editor widget: time from file to the first painted screen, peak
// memory against the file's size, and keystrokes (insert one character, undo it, repaint each
// time) at the start, middle and end of the page.
//
//   bench_editor_open [megabytes=50] [folder=/tmp] [--page lines|one-line|short-lines] [--rounds N]
//                     [--end-at-once] [--shot FILE]
//
// --end-at-once presses Ctrl+End right after the first screen, before idle time has readied the
// highlight states below it.
// --page one-line writes the page without line breaks (a minified page of one long line);
// --page short-lines writes megabytes million short lines instead. The keystroke places are then
// the start, middle and end of the one line.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. With --shot (under a real
// display, e.g. QT_QPA_PLATFORM=xcb in xvfb-run) it saves a picture of the screen showing the
// editor with a bookmark, a selection and the caret, as a user would see it.

#include "HtmlPageGenerator.h"
#include "editor/widget/CodeMemo.h"
#include "editor/control/EditorModel.h"
#include "highlight/HtmlHighlighter.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long CurrentKilobytes()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

enum class TPageShape { Lines, OneLine, ShortLines };

// In a child process, so that the generator's memory does not count towards this one's peak.
bool WritePage(const std::string& path, std::size_t megabytes, TPageShape shape)
{
    const pid_t child = fork();
    if (child == 0) {
        const std::size_t bytes = megabytes * 1000 * 1000;
        const std::string page = shape == TPageShape::OneLine      ? GenerateOneLinePage(bytes)
                                 : shape == TPageShape::ShortLines ? GenerateShortLinesPage(megabytes * 1000000)
                                                                   : GenerateHtmlPage(bytes);
        std::ofstream(path, std::ios::binary).write(page.data(), static_cast<std::streamsize>(page.size()));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The program's platform is not needed here; the clipboard and message boxes stay unused.
class SilentPlatform : public Platform {
public:
    void ShowMessage(const QString&) override {}
    void ShowError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    bool Confirm(const QString&, const QString&) override { return false; }
    std::optional<QString> GetOpenFileName(QWidget*, const FileDialogOptions&) override { return {}; }
    std::optional<QString> GetSaveFileName(QWidget*, const FileDialogOptions&) override { return {}; }
    std::optional<QColor> GetColor(QWidget*, const QColor&) override { return {}; }
    bool ExecPrintDialog(QWidget*, QPrinter&) override { return false; }
    bool ExecPrinterSetup(QWidget*, QPrinter&) override { return false; }
    int ExecModal(QDialog&) override { return 0; }
    void ShowModeless(QWidget&) override {}
    void ShellOpen(const QString&) override {}
    void ShowHelp(int) override {}
    QString ClipboardText() override { return clipboard; }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    QString clipboard;
};

// Counts the viewport's paint events, so that a figure without painting cannot pass unnoticed.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct Timing {
    double mean = 0;
    double max = 0;
};

// Paints what the editor asked to repaint, as the event loop would before the next input.
void PaintPending()
{
    QCoreApplication::processEvents();
}

// Each character a key press, painted; '\r' presses Enter.
void Type(TCodeMemo& memo, const QString& text)
{
    for (const QChar ch : text) {
        const int key = ch == QLatin1Char('\r') ? Qt::Key_Return : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&memo, &press);
        PaintPending();
    }
}

// Typing the text at a place, each key painted, then undoing it; per round.
Timing TimeKeystrokes(TCodeMemo& memo, TTextPosition at, int rounds, const QString& text = QStringLiteral("x"))
{
    memo.Model().SetCaret(at);
    PaintPending();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        Type(memo, text);
        memo.Model().Undo();
        PaintPending();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    Timing timing;
    for (double t : times) timing.mean += t;
    timing.mean /= static_cast<double>(times.size());
    timing.max = *std::max_element(times.begin(), times.end());
    return timing;
}

}  // namespace

void SaveScreenshot(TCodeMemo& memo, const QString& file)
{
    memo.activateWindow();
    memo.setFocus();
    memo.Model().SetCaret({40, 0});
    QKeyEvent bookmark(QEvent::KeyPress, Qt::Key_3, Qt::ShiftModifier | Qt::ControlModifier);
    QApplication::sendEvent(&memo, &bookmark);
    memo.Model().SetSelection({12, 4}, {14, 20});
    memo.SetTopLine(10);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300) QCoreApplication::processEvents();
    memo.screen()->grabWindow(0).save(file);
}

int main(int argc, char** argv)
{
    std::vector<std::string> positional;
    QString shotFile;
    TPageShape shape = TPageShape::Lines;
    int rounds = 200;
    bool endAtOnce = false;
    for (int index = 1; index < argc; ++index) {
        const std::string arg = argv[index];
        if (arg == "--shot" && index + 1 < argc) shotFile = argv[++index];
        else if (arg == "--rounds" && index + 1 < argc) rounds = std::atoi(argv[++index]);
        else if (arg == "--end-at-once") endAtOnce = true;
        else if (arg == "--page" && index + 1 < argc) {
            const std::string name = argv[++index];
            shape = name == "one-line" ? TPageShape::OneLine : name == "short-lines" ? TPageShape::ShortLines
                                                                                     : TPageShape::Lines;
        } else positional.push_back(arg);
    }
    const std::size_t megabytes = positional.size() > 0 ? std::strtoul(positional[0].c_str(), nullptr, 10) : 50;
    const std::string folder = positional.size() > 1 ? positional[1] : "/tmp";
    const std::string path = folder + "/bench_editor_open.html";
    if (!WritePage(path, megabytes, shape)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::ifstream probe(path, std::ios::binary | std::ios::ate);
    const double fileKilobytes = static_cast<double>(probe.tellg()) / 1024.0;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentPlatform silent;
    setPlatform(&silent);

    THtmlHighlighter highlighter;
    TCodeMemo memo;
    QFont font("Courier New");
    font.setPixelSize(13);
    memo.setFont(font);
    QFont gutterFont("Courier New");
    gutterFont.setPixelSize(11);
    memo.SetGutterFont(gutterFont);
    memo.Model().Settings().Gutter.ShowLineNumbers = true;
    memo.Model().SetHighlighter(&highlighter);
    memo.resize(1024, 768);
    memo.ApplySettings();
    QCoreApplication::processEvents();
    const long baselinePeak = PeakKilobytes();
    const long baselineNow = CurrentKilobytes();

    QElapsedTimer timer;
    timer.start();
    memo.Model().LoadFromFile(path);
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    memo.show();
    while (!memo.windowHandle() || !memo.windowHandle()->isExposed()) QCoreApplication::processEvents();
    memo.viewport()->repaint();
    const QImage firstScreen = memo.grab().toImage();
    const double firstScreenMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    PaintCounter counter;
    memo.viewport()->installEventFilter(&counter);

    const long peak = PeakKilobytes();
    const long loaded = CurrentKilobytes();
    std::printf("file: %.1f MB, %d lines\n", fileKilobytes / 1024.0, memo.Model().Document().LineCount());
    std::printf("load_ms %.1f\nfirst_screen_ms %.1f (load + show + first paint + grab, goal 300)\n", loadMs,
                firstScreenMs);
    std::printf("peak_memory_x %.2f (peak rss over the empty editor's, goal <= 3)\n",
                static_cast<double>(peak - baselinePeak) / fileKilobytes);
    std::printf("loaded_memory_x %.2f (rss once loaded over the empty editor's, goal <= 2)\n",
                static_cast<double>(loaded - baselineNow) / fileKilobytes);
    std::printf("absolute: rss before %ld kB, peak %ld kB, after %ld kB\n", baselineNow, peak, loaded);

    {
        QElapsedTimer repaintTimer;
        repaintTimer.start();
        for (int round = 0; round < 100; ++round) memo.viewport()->repaint();
        std::printf("full_repaint_ms %.3f (whole viewport, %d lines in view)\n",
                    static_cast<double>(repaintTimer.nsecsElapsed()) / 1e6 / 100, memo.LinesInView());
    }

    if (!endAtOnce) {
        // The user reads the first screen while idle time readies the highlight states below.
        QElapsedTimer idle;
        idle.start();
        while (memo.Model().Document().Highlight().ValidUpTo() < memo.Model().Document().LineCount()) QCoreApplication::processEvents();
        std::printf("idle_scan_ms %.1f (highlight states readied in idle time after the first screen)\n",
                    static_cast<double>(idle.nsecsElapsed()) / 1e6);
    }
    {
        // Ctrl+End and the paint that shows the end of the page (the end of the line on one line).
        QElapsedTimer jump;
        jump.start();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(&memo, &end);
        memo.viewport()->repaint();
        std::printf("end_then_paint_ms %.1f (goal < 100)\n", static_cast<double>(jump.nsecsElapsed()) / 1e6);
        memo.Model().SetCaret({0, 0});
        PaintPending();
    }

    struct Place {
        const char* name;
        TTextPosition at;
    };
    const int lastLine = memo.Model().Document().LineCount() - 1;
    std::vector<Place> places = {{"start", {0, 0}}, {"middle", {lastLine / 2, 0}}, {"end", {lastLine, 0}}};
    if (shape == TPageShape::OneLine) {
        const int length = memo.Model().Document().LineLength(0);
        places = {{"start", {0, 0}}, {"middle", {0, length / 2}}, {"end", {0, length}}};
    }
    for (const Place& place : places) {
        if (place.at != TTextPosition{}) {
            // The first visit to a place computes the highlight states above it; time that apart.
            QElapsedTimer jump;
            jump.start();
            memo.Model().SetCaret(place.at);
            PaintPending();
            std::printf("jump_to_%s_ms %.1f (first paint there)\n", place.name,
                        static_cast<double>(jump.nsecsElapsed()) / 1e6);
        }
        const Timing timing = TimeKeystrokes(memo, place.at, rounds);
        std::printf("keystroke_%s_ms mean %.3f max %.3f (insert + paint + undo + paint, goal < 1; < 16 on a long line)\n", place.name,
                    timing.mean, timing.max);
    }
    // Enter adds a line: the rows below it move down, then back up on undo.
    const Timing enter = TimeKeystrokes(memo, {lastLine / 2, 0}, rounds, QStringLiteral("\r"));
    std::printf("enter_middle_ms mean %.3f max %.3f (Enter + paint + undo + paint, goal < 2)\n", enter.mean, enter.max);
    if (shape == TPageShape::OneLine) {
        // The line above is the page's only line, so Enter there splits it at its start; this one splits it in two.
        const Timing split = TimeKeystrokes(memo, places[1].at, rounds, QStringLiteral("\r"));
        std::printf("enter_line_middle_ms mean %.3f max %.3f (Enter + paint + undo + paint)\n", split.mean, split.max);
    }
    // "<!--" at the top turns every line below into a comment: only the lines in view are rescanned.
    const Timing comment = TimeKeystrokes(memo, {0, 0}, std::max(1, rounds / 4), QStringLiteral("<!--"));
    std::printf("comment_opener_at_top_ms mean %.3f max %.3f (4 keys, each painted, + undo + paint)\n", comment.mean,
                comment.max);
    std::printf("viewport paints during keystrokes and jumps: %d\n", counter.paints);
    std::printf("peak_memory_after_keystrokes_x %.2f (goal <= 2)\n",
                static_cast<double>(PeakKilobytes() - baselinePeak) / fileKilobytes);
    if (!shotFile.isEmpty()) SaveScreenshot(memo, shotFile);
    setPlatform(nullptr);
    std::remove(path.c_str());
    return firstScreen.isNull() ? 1 : 0;
}
