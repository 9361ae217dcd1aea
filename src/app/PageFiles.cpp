#include "app/PageFiles.h"

#include "base/PathName.h"

QString FileNamePart(const QString& path)
{
    return ReadablePath(PathFromNative(::FileNamePart(NativePath(path))));
}

QString SaveDialogTitle(const QString& caption)
{
    return QStringLiteral("Save ") + caption + QStringLiteral(" to file");
}

QString MenuEntryText(const QString& caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

FileDialogOptions OpenDialogOptions()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Open HTML File");
    options.filter = kOpenDialogFilter;
    return options;
}

FileDialogOptions SaveDialogOptions(const QString& title)
{
    FileDialogOptions options;
    options.title = title;
    options.filter = kSaveDialogFilter;
    options.defaultSuffix = QStringLiteral("html");
    return options;
}
