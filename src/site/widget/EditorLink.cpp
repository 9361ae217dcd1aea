#include "site/widget/EditorLink.h"

#include "desktop/InstanceProtocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace {

// Long enough for an editor that is just starting to begin listening.
constexpr int kHandOverMilliseconds = 5000;

}  // namespace

std::string EditorProgram()
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/tallo"));
    return beside.isExecutable() ? beside.filePath().toStdString() : std::string("tallo");
}

TEditorStart OpenInEditor(const std::vector<std::string>& paths)
{
    if (HandOver(DefaultInstanceSocketPath(), TOpenRequest{paths}, kHandOverMilliseconds) == THandOver::Done)
        return TEditorStart::HandedOver;
    QStringList arguments{QStringLiteral("--")};
    for (const std::string& path : paths)
        arguments << QFile::decodeName(QByteArray::fromStdString(path));
    return QProcess::startDetached(QString::fromStdString(EditorProgram()), arguments) ? TEditorStart::Started
                                                                                       : TEditorStart::Failed;
}
