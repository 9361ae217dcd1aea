// tallo-tokens [--quiet] FILE: prints the highlighter's tokens of every line of FILE, or with
// --quiet only how long the scan took.

#include "editor/text/FileIO.h"
#include "highlight/HtmlHighlighter.h"
#include "highlight/HtmlTokenDump.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::cerr << "usage: tallo-tokens [--quiet] FILE\n";
    return 2;
}

void PrintScanTime(std::string_view page)
{
    const auto lines = SplitPageLines(page);
    THtmlHighlighter highlighter;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        highlighter.StartLine(lines[i], static_cast<int>(i));
        highlighter.ScanToLineEnd();
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%zu bytes, %zu lines in %.3f s: %.1f MB/s (MB = 10^6 bytes)\n", page.size(), lines.size(),
                seconds.count(), seconds.count() > 0 ? page.size() / seconds.count() / 1e6 : 0.0);
}

}  // namespace

int main(int argc, char** argv)
{
    bool quiet = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--quiet")
            quiet = true;
        else if (!path && !arg.starts_with("--"))
            path = argv[i];
        else
            return Usage();
    }
    if (!path)
        return Usage();

    // The editor's own reader: a pipe, a device or a page too large for memory is refused at once.
    std::string page;
    try {
        page = ReadWholeFile(path);
    } catch (const EFileError& error) {
        std::cerr << "tallo-tokens: " << error.what() << '\n';
        return 1;
    }

    if (quiet) {
        PrintScanTime(page);
    } else {
        std::ios::sync_with_stdio(false);
        WriteTokenDump(page, std::cout);
        std::cout.flush();
    }
    return std::cout ? 0 : 1;
}
