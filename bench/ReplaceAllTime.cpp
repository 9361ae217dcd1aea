// tallo-bench-replace-all [MEGABYTES [MATCHES]]
//
// Times Replace All on pages of a quarter, a half and the whole of MEGABYTES (default 50) with
// MATCHES (default 100,000) matches in the whole page and proportionally fewer in the smaller
// ones, so that the times show how Replace All grows with the page. Each page is a generated HTML
// page in an editor model with a 7-character word planted at evenly spaced line starts; the caret
// stands at the top and every match is replaced by a 9-character word, as one undo step.

#include "HtmlPageGenerator.h"
#include "editor/search/SearchReplace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr char kWord[] = "Zebrafy";

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The generated page with the word planted `matches` times, spread over its lines.
std::string PageWithMatches(std::size_t bytes, std::size_t matches)
{
    const std::string page = GenerateHtmlPage(bytes, 3);
    std::vector<std::size_t> lineStarts{0};
    for (std::size_t i = 0; i + 1 < page.size(); ++i)
        if (page[i] == '\n')
            lineStarts.push_back(i + 1);
    std::string planted;
    planted.reserve(page.size() + matches * (sizeof kWord + 1));
    std::size_t copied = 0;
    for (std::size_t k = 0; k < matches; ++k) {
        const std::size_t at = lineStarts[k * lineStarts.size() / matches];
        planted.append(page, copied, at - copied);
        planted += kWord;
        planted += ' ';
        copied = at;
    }
    planted.append(page, copied, std::string::npos);
    return planted;
}

}  // namespace

int main(int argc, char** argv)
{
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 50.0;
    const long long matches = argc > 2 ? std::atoll(argv[2]) : 100000;
    if (megabytes <= 0 || matches <= 0) {
        std::fprintf(stderr, "usage: tallo-bench-replace-all [MEGABYTES [MATCHES]]\n");
        return 2;
    }
    std::printf("%-10s %-10s %-12s %-12s %s\n", "PAGE_MB", "MATCHES", "CPU_MS", "WALL_MS", "NS_PER_BYTE");
    for (const double share : {0.25, 0.5, 1.0}) {
        const auto pageMatches = static_cast<std::size_t>(static_cast<double>(matches) * share);
        const std::string page = PageWithMatches(static_cast<std::size_t>(megabytes * 1e6 * share), pageMatches);
        TEditorModel editor;
        TEditSearch engine;
        editor.LoadBytes(page);

        const double cpuStart = ThreadSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        const int replaced = SearchReplace(editor, &engine, U"Zebrafy", U"Quagga123",
                                           {.MatchCase = true, .Replace = true, .ReplaceAll = true, .Prompt = true});
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        const double cpu = ThreadSeconds() - cpuStart;

        if (static_cast<std::size_t>(replaced) != pageMatches) {
            std::fprintf(stderr, "replaced %d of %zu matches\n", replaced, pageMatches);
            return 1;
        }
        std::printf("%-10.1f %-10zu %-12.1f %-12.1f %.2f\n", static_cast<double>(page.size()) / 1e6, pageMatches,
                    cpu * 1e3, wall * 1e3, cpu * 1e9 / static_cast<double>(page.size()));
    }
    return 0;
}
