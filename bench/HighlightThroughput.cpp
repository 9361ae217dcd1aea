// tallo-bench-highlight [MEGABYTES] [--write FILE]: scan speed of the HTML highlighter over a
// generated page (StartLine + ScanToLineEnd on every line, as the editor's rescans run), beside the
// speed of a loop that only reads every byte of the same lines through a 256-entry table, which no
// scanner can beat; and the speed of reading every token, as painting does.

#include "HtmlPageGenerator.h"
#include "highlight/HtmlCharClasses.h"
#include "highlight/HtmlHighlighter.h"
#include "highlight/HtmlTokenDump.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Lines = std::vector<std::string_view>;

template <typename Work>
double Seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

unsigned TableLoop(const Lines& lines)
{
    unsigned sum = 0;
    for (const std::string_view line : lines)
        for (const char c : line)
            sum += html_chars::kCharClass[static_cast<unsigned char>(c)];
    return sum;
}

int ScanAll(THtmlHighlighter& highlighter, const Lines& lines)
{
    highlighter.ResetState();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        highlighter.StartLine(lines[i], static_cast<int>(i));
        highlighter.ScanToLineEnd();
    }
    return highlighter.GetState();
}

// What painting does: every token with its start and attribute.
std::size_t TokenByToken(THtmlHighlighter& highlighter, const Lines& lines)
{
    std::size_t sum = 0;
    highlighter.ResetState();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        highlighter.StartLine(lines[i], static_cast<int>(i));
        for (; !highlighter.AtLineEnd(); highlighter.NextToken())
            sum += highlighter.TokenStart() + (highlighter.TokenAttribute() != nullptr);
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t megabytes = 50;
    const char* writePath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--write" && i + 1 < argc) {
            writePath = argv[++i];
        } else if (const long n = std::strtol(argv[i], nullptr, 10); n > 0) {
            megabytes = static_cast<std::size_t>(n);
        } else {
            std::fprintf(stderr, "usage: tallo-bench-highlight [MEGABYTES] [--write FILE]\n");
            return 2;
        }
    }

    const std::string page = GenerateHtmlPage(megabytes * 1000 * 1000);
    if (writePath) {
        std::ofstream(writePath, std::ios::binary) << page;
        std::printf("wrote %s\n", writePath);
    }
    const Lines lines = SplitPageLines(page);
    std::size_t bytes = 0;
    for (const auto line : lines)
        bytes += line.size();

    volatile unsigned sink = 0;
    THtmlHighlighter highlighter;
    // Taken in turns, so that a machine busy with other work slows both alike; the best of each.
    const int rounds = 7;
    double tableSeconds = 1e30, scanSeconds = 1e30, tokenSeconds = 1e30;
    for (int i = 0; i < rounds; ++i) {
        tableSeconds = std::min(tableSeconds, Seconds([&] { sink = sink + TableLoop(lines); }));
        scanSeconds = std::min(scanSeconds, Seconds([&] { sink = sink + ScanAll(highlighter, lines); }));
        tokenSeconds = std::min(tokenSeconds, Seconds([&] { sink = sink + TokenByToken(highlighter, lines); }));
    }

    const double tableRate = bytes / tableSeconds / 1e6;
    const double scanRate = bytes / scanSeconds / 1e6;
    std::printf("page: %zu bytes in %zu lines (line breaks not counted: %zu bytes), best of %d runs\n",
                page.size(), lines.size(), bytes, rounds);
    std::printf("table loop (ceiling): %8.1f MB/s\n", tableRate);
    std::printf("highlighter scan:     %8.1f MB/s\n", scanRate);
    std::printf("ratio scan/ceiling:   %8.3f\n", scanRate / tableRate);
    std::printf("token by token:       %8.1f MB/s (every token read, as painting does)\n",
                bytes / tokenSeconds / 1e6);
    return 0;
}
