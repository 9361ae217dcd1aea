#pragma once
// Names and dialog settings shared by the commands that move pages between windows and files.

#include "platform/NativePath.h"
#include "platform/Platform.h"

#include <QString>

inline const QString kOpenDialogFilter =
    QStringLiteral("HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files (*.*)|*.*");
inline const QString kSaveDialogFilter =
    QStringLiteral("HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files(*.*)|*.*");

// The part of a path after its last "/", readable: the caption of a page opened from or saved to it.
QString FileNamePart(const QString& path);

// "Save <caption> to file".
QString SaveDialogTitle(const QString& caption);

// A caption as a menu entry shows it: an "&" in a file name is a character, not a mnemonic.
QString MenuEntryText(const QString& caption);

FileDialogOptions OpenDialogOptions();
FileDialogOptions SaveDialogOptions(const QString& title);
