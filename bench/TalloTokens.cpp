// tallo-tokens [--quiet] FILE: prints the highlighter's tokens of every line of FILE, or with
// --quiet only how long the scan took.

#include "highlight/HtmlHighlighter.h"
#include "highlight/HtmlTokenDump.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <filesystem>
#include <sstream>
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

    std::ifstream file(path, std::ios::binary);
    if (!file || std::filesystem::is_directory(path)) {
        std::cerr << "tallo-tokens: cannot open file " << path << '\n';
        return 1;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        std::cerr << "tallo-tokens: cannot read file " << path << '\n';
        return 1;
    }
    const std::string page = std::move(content).str();

    if (quiet) {
        PrintScanTime(page);
    } else {
        std::ios::sync_with_stdio(false);
        WriteTokenDump(page, std::cout);
        std::cout.flush();
    }
    return std::cout ? 0 : 1;
}
