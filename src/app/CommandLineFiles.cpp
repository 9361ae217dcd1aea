#include "app/CommandLineFiles.h"

#include "desktop/CommandLine.h"
#include "desktop/InstanceProtocol.h"

#include <QDir>
#include <QFile>
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

std::optional<int> ReadCommandLine(const QStringList& arguments, const std::string& socketPath, TStartFiles& start)
{
    std::vector<std::string> native;
    for (const QString& argument : arguments)
        native.push_back(QFile::encodeName(argument).toStdString());
    const TCommandLine commandLine = ParseCommandLine(native);
    if (!commandLine.Error.empty()) {
        std::fputs(commandLine.Error.c_str(), stderr);
        std::fputs(kCommandLineUsage, stderr);
        return 2;
    }
    if (commandLine.Information != TInformation::None) {
        std::fputs(InformationText(commandLine.Information).c_str(), stdout);
        return 0;
    }
    const std::string folder = QFile::encodeName(QDir::currentPath()).toStdString();
    TOpenRequest request;
    for (const std::string& file : commandLine.Files)
        request.Paths.push_back(AbsolutePath(file, folder));
    if (!request.Paths.empty() && !commandLine.NewWindow &&
        HandOver(socketPath, request, kHandOverMilliseconds) == THandOver::Done)
        return 0;
    for (const std::string& path : request.Paths)
        start.Files << QFile::decodeName(QByteArray::fromStdString(path));
    return std::nullopt;
}
