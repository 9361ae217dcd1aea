#pragma once
// Paths between the file system and Qt strings without losing a byte. File names are bytes; most
// are UTF-8, but not all, and Qt's own decoding turns every byte it cannot read into U+FFFD, after
// which the file cannot be found again. Here each such byte is kept in the string as the lone
// surrogate U+DC80 + (byte - 0x80) (valid UTF-8 never yields one), so that NativePath gives back
// exactly the bytes PathFromNative was given. Such a string is shown to a person only through
// ReadablePath.

#include <QString>
#include <string>
#include <string_view>

QString PathFromNative(std::string_view bytes);
// The bytes the file system knows the file by.
std::string NativePath(const QString& path);
// The path as captions and messages show it: every kept byte as U+FFFD.
QString ReadablePath(const QString& path);
