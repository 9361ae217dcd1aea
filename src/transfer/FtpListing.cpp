#include "transfer/FtpListing.h"

#include "base/TextBytes.h"
#include "net/ReplyParsing.h"

#include <array>
#include <charconv>
#include <ctime>
#include <string>
#include <vector>

namespace {

template <typename T>
std::optional<T> Number(std::string_view text)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::int64_t Utc(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return static_cast<std::int64_t>(timegm(&parts));
}

bool IsDotName(std::string_view name)
{
    return name == "." || name == "..";
}

// Whitespace-separated fields; each keeps where it starts, so the name can be cut with its blanks.
struct TField {
    std::string_view Text;
    std::size_t Start;
};

std::vector<TField> Fields(std::string_view line, std::size_t most)
{
    std::vector<TField> fields;
    std::size_t at = 0;
    while (fields.size() < most) {
        at = line.find_first_not_of(' ', at);
        if (at == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find(' ', at), line.size());
        fields.push_back({line.substr(at, end - at), at});
        at = end;
    }
    return fields;
}

std::optional<int> MonthOf(std::string_view text)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string lower = AsciiLower(text);
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (lower == kMonths[i])
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

// "12:00" gives hour and minute; "2020" a year.
std::optional<std::int64_t> UnixDate(int month, std::string_view dayText, std::string_view yearOrTime, std::int64_t nowUtc)
{
    const std::optional<int> day = Number<int>(dayText);
    if (!day || *day < 1 || *day > 31)
        return std::nullopt;
    if (const std::size_t colon = yearOrTime.find(':'); colon != std::string_view::npos) {
        const std::optional<int> hour = Number<int>(yearOrTime.substr(0, colon));
        const std::optional<int> minute = Number<int>(yearOrTime.substr(colon + 1));
        if (!hour || !minute || *hour > 23 || *minute > 59)
            return std::nullopt;
        std::tm now{};
        const std::time_t nowTime = static_cast<std::time_t>(nowUtc);
        gmtime_r(&nowTime, &now);
        // Without a year the date lies in the last months; one ahead of today is last year's.
        std::int64_t when = Utc(now.tm_year + 1900, month, *day, *hour, *minute, 0);
        if (when > nowUtc + 86400)
            when = Utc(now.tm_year + 1899, month, *day, *hour, *minute, 0);
        return when;
    }
    const std::optional<int> year = Number<int>(yearOrTime);
    if (!year || *year < 1970)
        return std::nullopt;
    return Utc(*year, month, *day, 0, 0, 0);
}

std::optional<TRemoteEntry> ParseUnixLine(std::string_view line, std::int64_t nowUtc)
{
    const std::vector<TField> fields = Fields(line, 9);
    if (fields.size() < 8 || fields[0].Text.size() < 10)
        return std::nullopt;
    // The month finds the date whether or not the group is listed; the size stands before it.
    for (std::size_t i = 3; i + 2 < fields.size(); ++i) {
        const std::optional<int> month = MonthOf(fields[i].Text);
        if (!month)
            continue;
        const std::optional<std::uint64_t> size = Number<std::uint64_t>(fields[i - 1].Text);
        const std::optional<std::int64_t> when = UnixDate(*month, fields[i + 1].Text, fields[i + 2].Text, nowUtc);
        if (!size || !when)
            continue;
        const TField& time = fields[i + 2];
        std::size_t nameStart = time.Start + time.Text.size();
        if (nameStart < line.size())
            ++nameStart;  // the one blank before the name; more belong to it
        std::string_view name = line.substr(std::min(nameStart, line.size()));
        TRemoteEntry entry;
        switch (fields[0].Text[0]) {
        case 'd': entry.Kind = TRemoteKind::Folder; break;
        case '-': entry.Kind = TRemoteKind::File; break;
        case 'l': entry.Kind = TRemoteKind::Link; break;
        default: entry.Kind = TRemoteKind::Other; break;
        }
        if (entry.Kind == TRemoteKind::Link)
            name = name.substr(0, name.find(" -> "));
        if (name.empty() || IsDotName(name))
            return std::nullopt;
        entry.Name = std::string(name);
        if (entry.Kind != TRemoteKind::Folder)
            entry.Size = *size;
        entry.ModifiedUtc = *when;
        return entry;
    }
    return std::nullopt;
}

// "12-31-23  10:15PM  <DIR>  name" or "12-31-2023  10:15PM  1234 name".
std::optional<TRemoteEntry> ParseWindowsLine(std::string_view line)
{
    const std::vector<TField> fields = Fields(line, 4);
    if (fields.size() < 4)
        return std::nullopt;
    const std::string_view date = fields[0].Text;
    const std::string_view time = fields[1].Text;
    if (date.size() < 8 || date[2] != '-' || date[5] != '-' || time.size() < 7)
        return std::nullopt;
    const std::optional<int> month = Number<int>(date.substr(0, 2));
    const std::optional<int> day = Number<int>(date.substr(3, 2));
    std::optional<int> year = Number<int>(date.substr(6));
    const std::string meridiem = AsciiLower(time.substr(time.size() - 2));
    const std::optional<int> hour = Number<int>(time.substr(0, 2));
    const std::optional<int> minute = Number<int>(time.substr(3, 2));
    if (!month || !day || !year || !hour || !minute || time[2] != ':' || (meridiem != "am" && meridiem != "pm") ||
        *month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour < 1 || *hour > 12 || *minute > 59)
        return std::nullopt;
    if (date.size() == 8)
        *year += *year < 70 ? 2000 : 1900;
    const int hour24 = *hour % 12 + (meridiem == "pm" ? 12 : 0);
    TRemoteEntry entry;
    if (fields[2].Text == "<DIR>") {
        entry.Kind = TRemoteKind::Folder;
    } else {
        entry.Size = Number<std::uint64_t>(fields[2].Text);
        if (!entry.Size)
            return std::nullopt;
    }
    const std::string_view name = line.substr(fields[3].Start);
    if (IsDotName(name))
        return std::nullopt;
    entry.Name = std::string(name);
    entry.ModifiedUtc = Utc(*year, *month, *day, hour24, *minute, 0);
    return entry;
}

}  // namespace

std::optional<std::int64_t> ParseFtpTimestamp(std::string_view text)
{
    if (text.size() < 14)
        return std::nullopt;
    int parts[6];
    constexpr int kWidths[6] = {4, 2, 2, 2, 2, 2};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        const std::optional<int> value = Number<int>(text.substr(at, kWidths[i]));
        if (!value)
            return std::nullopt;
        parts[i] = *value;
        at += kWidths[i];
    }
    if (parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > 31 || parts[3] > 23 || parts[4] > 59 || parts[5] > 60)
        return std::nullopt;
    return Utc(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
}

std::optional<TRemoteEntry> ParseMlsdLine(std::string_view line)
{
    line = WithoutLineEnd(line);
    if (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= line.size())
        return std::nullopt;
    TRemoteEntry entry;
    entry.Name = std::string(line.substr(blank + 1));
    std::string_view facts = line.substr(0, blank);
    while (!facts.empty()) {
        const std::size_t end = std::min(facts.find(';'), facts.size());
        const std::string_view fact = facts.substr(0, end);
        facts.remove_prefix(std::min(end + 1, facts.size()));
        const std::size_t equals = fact.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key = AsciiLower(fact.substr(0, equals));
        const std::string_view value = fact.substr(equals + 1);
        if (key == "type") {
            const std::string type = AsciiLower(value);
            if (type == "cdir" || type == "pdir")
                return std::nullopt;
            entry.Kind = type == "file" ? TRemoteKind::File
                         : type == "dir" ? TRemoteKind::Folder
                         : type.find("symlink") != std::string::npos ? TRemoteKind::Link
                                                                     : TRemoteKind::Other;
        } else if (key == "size" || key == "sizd") {
            if (key == "size" || !entry.Size)
                entry.Size = Number<std::uint64_t>(value);
        } else if (key == "modify") {
            entry.ModifiedUtc = ParseFtpTimestamp(value);
        }
    }
    if (IsDotName(entry.Name))
        return std::nullopt;
    // A folder's size says nothing about its content.
    if (entry.Kind == TRemoteKind::Folder)
        entry.Size.reset();
    return entry;
}

std::optional<TRemoteEntry> ParseListLine(std::string_view line, std::int64_t nowUtc)
{
    line = WithoutLineEnd(line);
    if (line.empty())
        return std::nullopt;
    if (line[0] >= '0' && line[0] <= '9')
        return ParseWindowsLine(line);
    return ParseUnixLine(line, nowUtc);
}
