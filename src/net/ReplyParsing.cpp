#include "net/ReplyParsing.h"

#include "net/SocketErrors.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// A byte value written in decimal, 0 to 255; -1 when the field is anything else.
int ByteField(std::string_view field)
{
    field = Trimmed(field);
    if (field.empty() || field.size() > 3)
        return -1;
    int value = 0;
    for (char c : field) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : -1;
}

}  // namespace

int ReplyNumberOf(std::string_view line)
{
    std::int64_t value = 0;
    std::size_t digits = 0;
    while (digits < line.size() && digits < 10 && std::isdigit(static_cast<unsigned char>(line[digits]))) {
        value = value * 10 + (line[digits] - '0');
        ++digits;
    }
    if (value > std::numeric_limits<std::int16_t>::max())
        throw ESockError("Reply code out of range: " + std::string(line.substr(0, digits)));
    return static_cast<int>(value);
}

std::optional<int> PassivePortOf(std::string_view reply)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = reply.find(',', start);
        fields.push_back(reply.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (fields.size() < 6)
        return std::nullopt;
    std::size_t close = fields[5].find(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    int high = ByteField(fields[4]);
    int low = ByteField(fields[5].substr(0, close));
    int port = low + 256 * high;
    if (high < 0 || low < 0 || port < 1)
        return std::nullopt;
    return port;
}

std::optional<int> ExtendedPassivePortOf(std::string_view reply)
{
    const std::size_t open = reply.find('(');
    if (open == std::string_view::npos || open + 1 >= reply.size())
        return std::nullopt;
    const char delimiter = reply[open + 1];
    if (delimiter < 33 || delimiter > 126 || std::isdigit(static_cast<unsigned char>(delimiter)))
        return std::nullopt;
    // Three delimiters (no protocol, no address), the port, a delimiter and ")".
    std::string_view rest = reply.substr(open + 1);
    if (rest.size() < 6 || rest[1] != delimiter || rest[2] != delimiter)
        return std::nullopt;
    rest.remove_prefix(3);
    const std::size_t end = rest.find(delimiter);
    if (end == std::string_view::npos || end == 0 || end > 5 || end + 1 >= rest.size() || rest[end + 1] != ')')
        return std::nullopt;
    int port = 0;
    for (char c : rest.substr(0, end)) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

bool HoldsControlCharacter(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32)
            return true;
    return false;
}

std::string_view WithoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

std::string TelnetEscaped(std::string_view command)
{
    std::string escaped;
    escaped.reserve(command.size());
    for (char c : command) {
        escaped += c;
        if (static_cast<unsigned char>(c) == 0xFF)
            escaped += c;
    }
    return escaped;
}
