#include "upload/ConnectionProfiles.h"

#include <algorithm>
#include <charconv>

namespace {

const char* const kYes = "Yes";
const char* const kNo = "No";

TProfileLines LinesOf(const TConnectionProfile& profile)
{
    return {profile.Name, profile.UserID, profile.Password, profile.Host,
            profile.Passive ? kYes : kNo, profile.Port, profile.Directory};
}

}  // namespace

TProfileLines ParseProfileLines(std::string_view bytes)
{
    TProfileLines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string FormatProfileLines(const TProfileLines& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes.append(line).append("\r\n");
    return bytes;
}

std::vector<std::string> ProfileNames(const TProfileLines& lines)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < lines.size(); i += kProfileLineCount)
        names.push_back(lines[i]);
    return names;
}

std::optional<std::size_t> FindProfile(const TProfileLines& lines, std::string_view name)
{
    for (std::size_t i = 0; i < lines.size(); i += kProfileLineCount)
        if (lines[i] == name)
            return i;
    return std::nullopt;
}

TConnectionProfile ProfileAt(const TProfileLines& lines, std::size_t start)
{
    auto field = [&](std::size_t offset) { return start + offset < lines.size() ? lines[start + offset] : ""; };
    return {field(0), field(1), field(2), field(3), field(4) == kYes, field(5), field(6)};
}

void InsertProfileOnTop(TProfileLines& lines, const TConnectionProfile& profile)
{
    const TProfileLines added = LinesOf(profile);
    lines.insert(lines.begin(), added.begin(), added.end());
}

void ReplaceProfile(TProfileLines& lines, std::size_t start, const TConnectionProfile& profile)
{
    if (start >= lines.size()) {
        InsertProfileOnTop(lines, profile);
        return;
    }
    const TProfileLines replacement = LinesOf(profile);
    const std::size_t end = std::min(lines.size(), start + kProfileLineCount);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(start), lines.begin() + static_cast<std::ptrdiff_t>(end));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(start), replacement.begin(), replacement.end());
}

void RemoveProfile(TProfileLines& lines, std::size_t start)
{
    if (start >= lines.size())
        return;
    const std::size_t end = std::min(lines.size(), start + kProfileLineCount);
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(start), lines.begin() + static_cast<std::ptrdiff_t>(end));
}

std::optional<int> PortNumber(std::string_view text)
{
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (!text.empty() && *first == '+')
        ++first;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last || value < 1 || value > 65535)
        return std::nullopt;
    return value;
}
