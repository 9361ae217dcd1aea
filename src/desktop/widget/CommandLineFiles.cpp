#include "desktop/widget/CommandLineFiles.h"

#include "desktop/CommandLine.h"
#include "desktop/InstanceProtocol.h"

#include "platform/NativePath.h"

#include <algorithm>
#include <cstdio>

namespace {

// Long enough for an editor that is just starting to begin listening.
constexpr int kHandOverMilliseconds = 5000;

}  // namespace

std::optional<int> AnswerInformationRequest(int argc, char** argv)
{
    const TCommandLine commandLine = ParseCommandLine({argv + 1, argv + argc});
    // An option unknown here may be Qt's own (-platform, -style): Qt takes those first, and
    // ReadCommandLine judges what is left.
    if (!commandLine.Error.empty() || commandLine.Information == TInformation::None)
        return std::nullopt;
    std::fputs(InformationText(commandLine.Information).c_str(), stdout);
    return 0;
}

std::optional<int> ReadCommandLine(const std::vector<std::string>& arguments, const std::string& socketPath,
                                   TStartFiles& start)
{
    const TCommandLine commandLine = ParseCommandLine(arguments);
    if (!commandLine.Error.empty()) {
        std::fputs(commandLine.Error.c_str(), stderr);
        std::fputs(kCommandLineUsage, stderr);
        return 2;
    }
    if (commandLine.Information != TInformation::None) {
        std::fputs(InformationText(commandLine.Information).c_str(), stdout);
        return 0;
    }
    const std::string folder = CurrentFolder();
    TOpenRequest request;
    for (const std::string& file : commandLine.Files)
        request.Paths.push_back(AbsolutePath(file, folder));
    // Only a start that names lines needs the second form of the request.
    if (std::any_of(commandLine.Lines.begin(), commandLine.Lines.end(), [](int line) { return line > 0; }))
        request.Lines = commandLine.Lines;
    if (!request.Paths.empty() && !commandLine.NewWindow &&
        HandOver(socketPath, request, kHandOverMilliseconds) == THandOver::Done)
        return 0;
    for (std::size_t i = 0; i < request.Paths.size(); ++i) {
        start.Files << PathFromNative(request.Paths[i]);
        start.Lines << commandLine.Lines[i];
    }
    return std::nullopt;
}
