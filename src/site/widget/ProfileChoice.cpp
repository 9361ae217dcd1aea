#include "site/widget/ProfileChoice.h"

#include "platform/Platform.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/FTPU.h"

#include <QDialog>

namespace {

std::optional<TProfileLines> ReadLines(const std::string& connectSetPath)
{
    try {
        return TProfileFile(connectSetPath).Read();
    } catch (const EProfileFileError& error) {
        platform().ShowError(QString::fromStdString(error.what()));
        return std::nullopt;
    }
}

}  // namespace

QStringList ProfileNamesIn(const std::string& connectSetPath)
{
    QStringList names;
    if (const std::optional<TProfileLines> lines = ReadLines(connectSetPath))
        for (const std::string& name : ProfileNames(*lines))
            names << QString::fromStdString(name);
    return names;
}

std::optional<TConnectionProfile> ProfileNamed(const std::string& connectSetPath, const std::string& name)
{
    const std::optional<TProfileLines> lines = ReadLines(connectSetPath);
    if (!lines)
        return std::nullopt;
    const std::optional<std::size_t> start = FindProfile(*lines, name);
    if (!start)
        return std::nullopt;
    return ProfileAt(*lines, *start);
}

bool MakeProfile(QWidget* parent, const std::string& connectSetPath)
{
    TForm4 dialog(connectSetPath, parent);
    dialog.PrepareNewProfile();
    return platform().ExecModal(dialog) == QDialog::Accepted;
}

bool EditProfile(QWidget* parent, const std::string& connectSetPath, const std::string& name)
{
    const std::optional<TProfileLines> lines = ReadLines(connectSetPath);
    const std::optional<std::size_t> start = lines ? FindProfile(*lines, name) : std::nullopt;
    if (!start)
        return false;
    TForm4 dialog(connectSetPath, parent);
    dialog.PrepareEditProfile(ProfileAt(*lines, *start), *start);
    return platform().ExecModal(dialog) == QDialog::Accepted;
}
