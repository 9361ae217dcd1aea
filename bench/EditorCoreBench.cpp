// Load time, memory and keystroke cost of the editor's core model on a large generated page.
//   bench_editor_core [megabytes=50] [folder=/tmp] [--page lines|one-line|short-lines] [--load-rounds N]
// The load runs in a child process so that its peak memory is measured on its own. one-line takes
// the line breaks out of the page; short-lines writes megabytes million short lines, and the
// figure index_bytes_per_line is the memory the loaded page takes beyond its bytes, per line.
// --load-rounds N then loads the page N more times, each beside a raw read of the file (open, a
// block of its size, read), and gives the medians and their ratio: the cost of the load beyond
// what any reader pays, measured in one run.

#include "editor/control/EditorModel.h"
#include "editor/text/FileIO.h"
#include "HtmlPageGenerator.h"
#include "highlight/HtmlHighlighter.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::size_t PeakRssBytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

std::size_t CurrentRssBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Hand-written-looking mark-up: nested blocks, attributes, references, comments over lines.
std::string GeneratePage(std::size_t minBytes)
{
    std::string page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\r\n<html>\r\n<body>\r\n";
    page.reserve(minBytes + 256);
    for (unsigned i = 0; page.size() < minBytes; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 6) {
        case 0: page += "  <div class=\"section\" id=\"s" + n + "\">\r\n"; break;
        case 1: page += "    <p>Paragraph " + n + " with <b>bold</b> &amp; <i>italic</i> text.</p>\r\n"; break;
        case 2: page += "    <a href=\"page" + n + ".html\" title='Link " + n + "'>link</a>\r\n"; break;
        case 3: page += "    <!-- comment " + n + "\r\n         goes on -->\r\n"; break;
        case 4: page += "    <img src=img" + n + ".png width=10 height=20 alt=\"\">&#169;\r\n"; break;
        default: page += "  </div>\r\n"; break;
        }
    }
    return page + "</body>\r\n</html>\r\n";
}

// The least any load pays: the file's bytes in a block of memory of their size.
std::size_t RawRead(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    const std::unique_ptr<char[]> block(new char[static_cast<std::size_t>(size)]);
    std::size_t used = 0;
    for (ssize_t got; used < static_cast<std::size_t>(size) &&
                      (got = ::read(fd, block.get() + used, static_cast<std::size_t>(size) - used)) > 0;)
        used += static_cast<std::size_t>(got);
    ::close(fd);
    return used;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Loads beside raw reads, in turn, so that both see the machine in the same state.
void CompareLoadWithRawRead(const std::string& path, int rounds)
{
    std::vector<double> loads, reads;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        if (RawRead(path) == 0) return;
        reads.push_back(MillisecondsSince(start));
        start = Clock::now();
        {
            TEditorModel model;
            model.LoadFromFile(path);
            loads.push_back(MillisecondsSince(start));
        }
    }
    const double load = Median(loads), read = Median(reads);
    std::printf("load_median_ms %.1f raw_read_median_ms %.1f load_over_raw_read %.2f (goal <= 1.5)\n", load, read,
                load / read);
}

struct KeystrokeFigures {
    double MeanMs = 0;
    double MaxMs = 0;
};

// Insert one character and undo it, many times, at one place.
KeystrokeFigures TimeKeystrokes(TEditorModel& model, TTextPosition at, int repeats, bool paintAround)
{
    KeystrokeFigures figures;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        model.SetCaret(at);
        model.ExecuteCommand(ecChar, {.Char = U'x'});
        if (paintAround) model.Document().Highlight().EndState(std::min(at.Line + 50, model.Document().LineCount() - 1));
        model.Undo();
        if (paintAround) model.Document().Highlight().EndState(std::min(at.Line + 50, model.Document().LineCount() - 1));
        const double ms = MillisecondsSince(start);
        figures.MeanMs += ms / repeats;
        figures.MaxMs = std::max(figures.MaxMs, ms);
    }
    return figures;
}

int RunLoadChild(const std::string& path, std::size_t fileSize, int loadRounds)
{
    const std::size_t baselinePeak = PeakRssBytes();
    const std::size_t baselineRss = CurrentRssBytes();
    const auto start = Clock::now();
    TEditorModel model;
    model.LoadFromFile(path);
    const double loadMs = MillisecondsSince(start);
    const std::size_t peak = PeakRssBytes() - baselinePeak + (baselinePeak - baselineRss);
    const std::size_t loaded = CurrentRssBytes() - baselineRss;
    std::printf("load_ms %.1f\nlines %d\npeak_x %.2f\nloaded_x %.2f\nindex_bytes_per_line %.2f\n", loadMs,
                model.Document().LineCount(), static_cast<double>(peak) / static_cast<double>(fileSize),
                static_cast<double>(loaded) / static_cast<double>(fileSize),
                (static_cast<double>(loaded) - static_cast<double>(fileSize)) / model.Document().LineCount());
    if (loadRounds > 0) {
        CompareLoadWithRawRead(path, loadRounds);
        return 0;
    }

    THtmlHighlighter highlighter;
    model.SetHighlighter(&highlighter);
    const auto firstScreen = Clock::now();
    for (int line = 0; line < 60; ++line) model.Document().Highlight().EndState(line);
    std::printf("first_screen_states_ms %.3f\n", MillisecondsSince(firstScreen));

    const int last = model.Document().LineCount() - 1;
    const struct {
        const char* Name;
        TTextPosition At;
    } places[] = {{"start", {0, 0}},
                  {"middle", last > 0 ? TTextPosition{last / 2, 2} : TTextPosition{0, model.Document().LineLength(0) / 2}},
                  {"end", last > 0 ? TTextPosition{last, 0} : TTextPosition{0, model.Document().LineLength(0)}}};
    const auto wholeScan = Clock::now();
    model.Document().Highlight().EndState(last);  // as when the view first shows the end of the page
    std::printf("highlight_whole_page_ms %.1f\n", MillisecondsSince(wholeScan));
    for (const auto& place : places) {
        // Fewer rounds on one long line, where a slow keystroke would keep the run going for minutes.
        const int repeats = last > 0 ? 200 : 20;
        const KeystrokeFigures plain = TimeKeystrokes(model, place.At, repeats, false);
        const KeystrokeFigures painted = TimeKeystrokes(model, place.At, repeats, true);
        std::printf("keystroke_%s_ms mean %.4f max %.4f; with 50 highlighted lines mean %.4f max %.4f\n", place.Name,
                    plain.MeanMs, plain.MaxMs, painted.MeanMs, painted.MaxMs);
    }

    // Enter in the middle: splits a line, so the line index moves.
    const auto enter = Clock::now();
    for (int i = 0; i < 200; ++i) {
        model.SetCaret({last / 2, 3});
        model.ExecuteCommand(ecLineBreak);
        model.Undo();
    }
    std::printf("line_break_middle_ms mean %.4f\n", MillisecondsSince(enter) / 200);

    model.SetCaret({last, 0});
    const auto index = Clock::now();
    const auto selectionStart = model.SelectionStart();
    std::printf("selection_start_at_end_ms first %.1f (index %lld)", MillisecondsSince(index),
                static_cast<long long>(selectionStart));
    // Typing near the end keeps the counts of the lines above it.
    model.ExecuteCommand(ecChar, {.Char = U'x'});
    const auto again = Clock::now();
    model.SelectionStart();
    std::printf(", after typing there %.3f\n", MillisecondsSince(again));
    model.Undo();

    const auto save = Clock::now();
    model.Document().SaveToFile(path + ".saved");
    const double saveMs = MillisecondsSince(save);
    const double peakAfterSave = static_cast<double>(PeakRssBytes() - baselineRss) / static_cast<double>(fileSize);
    const bool identical = ReadWholeFile(path + ".saved") == ReadWholeFile(path);
    std::printf("save_ms %.1f peak_through_all_above_x %.2f identical %s\n", saveMs, peakAfterSave,
                identical ? "yes" : "NO");
    std::remove((path + ".saved").c_str());
    model.SetHighlighter(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> positional;
    std::string shape = "lines";
    int loadRounds = 0;
    for (int index = 1; index < argc; ++index) {
        if (std::string(argv[index]) == "--page" && index + 1 < argc) shape = argv[++index];
        else if (std::string(argv[index]) == "--load-rounds" && index + 1 < argc) loadRounds = std::atoi(argv[++index]);
        else positional.push_back(argv[index]);
    }
    const std::size_t megabytes = positional.size() > 0 ? std::strtoul(positional[0].c_str(), nullptr, 10) : 50;
    const std::string folder = positional.size() > 1 ? positional[1] : "/tmp";
    const std::string path = folder + "/tallo_bench_" + std::to_string(getpid()) + ".html";
    // Written by a child process, so that the generator's memory does not count towards the peak.
    if (const pid_t writer = fork(); writer == 0) {
        const std::string page = shape == "one-line"      ? GenerateOneLinePage(megabytes * 1000 * 1000)
                                 : shape == "short-lines" ? GenerateShortLinesPage(megabytes * 1000000)
                                                          : GeneratePage(megabytes * 1000 * 1000);
        std::ofstream(path, std::ios::binary).write(page.data(), static_cast<std::streamsize>(page.size()));
        std::printf("file_bytes %zu\n", page.size());
        std::fflush(stdout);
        _exit(0);
    } else {
        waitpid(writer, nullptr, 0);
    }
    const std::size_t fileSize = ReadWholeFile(path).size();
    std::fflush(stdout);

    const pid_t child = fork();
    if (child == 0) {
        const int result = RunLoadChild(path, fileSize, loadRounds);
        std::fflush(stdout);
        _exit(result);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::remove(path.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
