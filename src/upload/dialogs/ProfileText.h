#pragma once
// Profile values are bytes in connect.set and text in the windows. Valid UTF-8 shows as itself; other
// bytes show as replacement characters, and a field left as it was shown keeps its original bytes, so
// opening and saving a hand-edited profile does not change what the user did not touch.

#include <QString>
#include <string>

inline QString ProfileText(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ProfileBytes(const QString& text, const std::string& shownFrom = {})
{
    if (text == ProfileText(shownFrom))
        return shownFrom;
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
