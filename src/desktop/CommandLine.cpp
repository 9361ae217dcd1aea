#include "desktop/CommandLine.h"

#include "base/Version.h"
#include "desktop/InstanceProtocol.h"

#include <charconv>
#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

bool IsLineArgument(const std::string& argument)
{
    return argument.size() > 1 && argument.starts_with('+') &&
           argument.find_first_not_of("0123456789", 1) == std::string::npos;
}

// The line of "+LINE", 0 when it is none a page has.
int LineOf(const std::string& argument)
{
    int line = 0;
    const auto [end, error] = std::from_chars(argument.data() + 1, argument.data() + argument.size(), line);
    return error == std::errc() && end == argument.data() + argument.size() && line <= kMaxRequestLine ? line : 0;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    TCommandLine commandLine;
    bool options = true;
    int line = 0;
    std::string lineArgument;
    const auto fail = [&commandLine](const std::string& error) {
        if (commandLine.Error.empty()) commandLine.Error = error;
    };
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--new-window") {
            commandLine.NewWindow = true;
        } else if (options && (argument == "--help" || argument == "-h")) {
            commandLine.Information = TInformation::Usage;
        } else if (options && argument == "--version") {
            commandLine.Information = TInformation::Version;
        } else if (options && argument.size() > 1 && argument.starts_with('-')) {
            fail("tallo: unknown option " + argument + "\n");
        } else if (options && IsLineArgument(argument)) {
            line = LineOf(argument);
            lineArgument = argument;
            if (line == 0) fail("tallo: no such line " + argument + "\n");
        } else {
            commandLine.Files.push_back(argument);
            commandLine.Lines.push_back(std::exchange(line, 0));
            lineArgument.clear();
        }
    }
    if (!lineArgument.empty()) fail("tallo: " + lineArgument + " names no file\n");
    return commandLine;
}

std::string InformationText(TInformation information)
{
    switch (information) {
    case TInformation::None: break;
    case TInformation::Usage: return kCommandLineUsage;
    case TInformation::Version: return std::string("tallo ") + kTalloVersion + "\n";
    }
    return {};
}

std::string AbsolutePath(const std::string& path, const std::string& folder)
{
    const std::string joined = path.starts_with('/') ? path : folder + "/" + path;
    std::string clean;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string_view step(joined.data() + start, end - start);
        if (!step.empty() && step != ".") {
            clean += '/';
            clean += step;
        }
        start = end + 1;
    }
    return clean.empty() ? "/" : clean;
}

std::string CurrentFolder()
{
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? std::string(folder.get()) : std::string("/");
}
