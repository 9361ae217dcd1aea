#include "site/widget/EditorLink.h"

#include "desktop/InstanceProtocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <chrono>
#include <thread>

namespace {

// Long enough for an editor that is just starting to begin listening.
constexpr int kHandOverMilliseconds = 5000;
// How long an editor started for a side-by-side request gets to begin listening, and how often it is tried.
constexpr auto kNewEditorWait = std::chrono::seconds(10);
constexpr auto kNewEditorRetry = std::chrono::milliseconds(100);

}  // namespace

std::string EditorProgram()
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/tallo"));
    return beside.isExecutable() ? beside.filePath().toStdString() : std::string("tallo");
}

namespace {

TEditorStart HandOverOrStart(const TOpenRequest& request)
{
    if (HandOver(DefaultInstanceSocketPath(), request, kHandOverMilliseconds) == THandOver::Done)
        return TEditorStart::HandedOver;
    // The paths are absolute, so none reads as an option; "--" would make a "+LINE" after it a file.
    QStringList arguments;
    if (request.Lines.empty())
        arguments << QStringLiteral("--");
    for (std::size_t i = 0; i < request.Paths.size(); ++i) {
        if (i < request.Lines.size() && request.Lines[i] > 0)
            arguments << QStringLiteral("+%1").arg(request.Lines[i]);
        arguments << QFile::decodeName(QByteArray::fromStdString(request.Paths[i]));
    }
    return QProcess::startDetached(QString::fromStdString(EditorProgram()), arguments) ? TEditorStart::Started
                                                                                       : TEditorStart::Failed;
}

}  // namespace

TEditorStart OpenInEditor(const std::vector<std::string>& paths)
{
    return HandOverOrStart(TOpenRequest{paths, {}});
}

TEditorStart OpenInEditorAtLine(const std::string& path, int line)
{
    return HandOverOrStart(TOpenRequest{{path}, {line}});
}

TEditorStart OpenSideBySideInEditor(const std::vector<std::string>& paths)
{
    const TOpenRequest request{paths, {}, true};
    const std::string socket = DefaultInstanceSocketPath();
    if (socket.empty())
        return HandOverOrStart(TOpenRequest{paths, {}});  // no socket to hand over through: plain pages
    const THandOver handed = HandOver(socket, request, kHandOverMilliseconds);
    if (handed != THandOver::NoEditor)
        return handed == THandOver::Done ? TEditorStart::HandedOver : TEditorStart::Failed;
    if (!QProcess::startDetached(QString::fromStdString(EditorProgram()), {}))
        return TEditorStart::Failed;
    for (const auto deadline = std::chrono::steady_clock::now() + kNewEditorWait; std::chrono::steady_clock::now() < deadline;) {
        if (HandOver(socket, request, kHandOverMilliseconds) == THandOver::Done)
            return TEditorStart::Started;
        std::this_thread::sleep_for(kNewEditorRetry);
    }
    return TEditorStart::Failed;
}
