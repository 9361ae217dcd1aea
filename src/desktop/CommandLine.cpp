#include "desktop/CommandLine.h"

#include "base/Version.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    TCommandLine commandLine;
    bool options = true;
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
            if (commandLine.Error.empty()) commandLine.Error = "tallo: unknown option " + argument + "\n";
        } else {
            commandLine.Files.push_back(argument);
        }
    }
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
