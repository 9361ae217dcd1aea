#include "platform/NativePath.h"

#include "base/TextBytes.h"

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80;  // stands for the byte 0x80; the bytes up to 0xFF follow

bool IsKeptByte(char16_t unit) { return unit >= kFirstKeptByte && unit <= kFirstKeptByte + 0x7F; }


// The length of the well-formed UTF-8 sequence at the start of bytes, 0 when there is none there
// (overlong forms, surrogates and code points past U+10FFFF are not well-formed).
std::size_t SequenceLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsUtf8Continuation(at(i))) return 0;
    return length;
}

}  // namespace

QString PathFromNative(std::string_view bytes)
{
    QString path;
    path.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        const std::size_t length = SequenceLength(bytes);
        if (length == 0) {
            path += QChar(static_cast<char16_t>(kFirstKeptByte + (static_cast<unsigned char>(bytes[0]) - 0x80)));
            bytes.remove_prefix(1);
            continue;
        }
        path += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
        bytes.remove_prefix(length);
    }
    return path;
}

std::string NativePath(const QString& path)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        bytes += QStringView(path).mid(start, end - start).toUtf8().toStdString();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        // A kept byte stands alone: after a high surrogate it would be the second half of a pair.
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (!IsKeptByte(unit) || paired) continue;
        flush(i);
        bytes += static_cast<char>(0x80 + (unit - kFirstKeptByte));
        start = i + 1;
    }
    flush(path.size());
    return bytes;
}

QString ReadablePath(const QString& path)
{
    QString readable = path;
    for (qsizetype i = 0; i < readable.size(); ++i) {
        if (IsKeptByte(readable[i].unicode()) && !(i > 0 && readable[i - 1].isHighSurrogate()))
            readable[i] = QChar::ReplacementCharacter;
    }
    return readable;
}
