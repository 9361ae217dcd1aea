// tallo-search FILE PATTERN [--match-case] [--whole-word] [--quiet [--repeat N]]
//
// Runs the editor's search engine over every line of a file, read and decoded as the editor reads
// a page (UTF-8 when the bytes are valid UTF-8, else Windows-1252; lines split at CR LF, CR or LF),
// and prints each match as "LINE COLUMN" (both from 1, the column in characters), then "COUNT N".
// With --quiet it prints the count, the processor time of the search and the rate instead of the
// matches (processor time, so that other work on a busy machine does not count); --repeat N searches
// the page N times and reports the fastest run.
// PATTERN is UTF-8, as typed in a terminal; for a Windows-1252 page it is converted to that page's bytes.

#include "editor/search/EditSearch.h"
#include "editor/text/FileIO.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextEncoding.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int Usage()
{
    std::fprintf(stderr, "usage: tallo-search FILE PATTERN [--match-case] [--whole-word] [--quiet [--repeat N]]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<const char*> positional;
    TSearchOptions options;
    bool quiet = false;
    int repeat = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--match-case") == 0)
            options.MatchCase = true;
        else if (std::strcmp(argv[i], "--whole-word") == 0)
            options.WholeWord = true;
        else if (std::strcmp(argv[i], "--quiet") == 0)
            quiet = true;
        else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else
            positional.push_back(argv[i]);
    }
    if (positional.size() != 2 || positional[1][0] == '\0')
        return Usage();

    // The editor's own reader: a directory, a pipe or a device is refused with its message.
    std::string bytes;
    try {
        bytes = ReadWholeFile(positional[0]);
    } catch (const EFileError& error) {
        std::fprintf(stderr, "tallo-search: %s\n", error.what());
        return 1;
    }
    const std::size_t fileSize = bytes.size();
    const TDocumentEncoding encoding = IsValidUtf8(bytes) ? TDocumentEncoding::Utf8 : TDocumentEncoding::Windows1252;
    TTextBuffer buffer;
    buffer.LoadBytes(std::move(bytes));

    std::string pattern = positional[1];
    if (encoding == TDocumentEncoding::Windows1252 && IsValidUtf8(pattern)) {
        const TEncodeResult encoded = EncodeText(DecodeText(pattern, TDocumentEncoding::Utf8), encoding);
        if (encoded.Unencodable) {  // the page cannot hold the pattern, so nothing matches
            std::printf("COUNT 0\n");
            return 0;
        }
        pattern = encoded.Bytes;
    }

    TEditSearch engine;
    engine.SetEncoding(encoding);
    engine.SetOptions(options);
    engine.SetSearchText(pattern);

    std::string report;
    long long count = 0;
    double seconds = 0;
    for (int run = 0; run < (quiet ? repeat : 1); ++run) {
        count = 0;
        const double started = ThreadSeconds();
        for (int line = 0; line < buffer.LineCount(); ++line) {
            const int found = engine.FindAllInLine(buffer.Line(line));
            count += found;
            if (quiet)
                continue;
            for (int i = 0; i < found; ++i)
                report += std::to_string(line + 1) + ' ' + std::to_string(engine.MatchPosition(i)) + '\n';
        }
        const double elapsed = ThreadSeconds() - started;
        seconds = run == 0 ? elapsed : std::min(seconds, elapsed);
    }

    if (quiet) {
        std::printf("COUNT %lld\nCPU_MS %.1f\nMB_PER_S %.0f\n", count, seconds * 1000.0,
                    static_cast<double>(fileSize) / 1e6 / seconds);
    } else {
        std::fwrite(report.data(), 1, report.size(), stdout);
        std::printf("COUNT %lld\n", count);
    }
    return 0;
}
