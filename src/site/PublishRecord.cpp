#include "site/PublishRecord.h"

#include "base/FileWrites.h"
#include "site/SiteSettings.h"
#include "site/TextFiles.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::string_view kSnapshotHeader = "# tallo-site record 1\n";

// Paths may hold any byte but "/" separators; tabs and line ends would break the line format.
std::string Escaped(std::string_view path)
{
    std::string out;
    for (char c : path) {
        if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
            static const char digits[] = "0123456789ABCDEF";
            out += '%';
            out += digits[(static_cast<unsigned char>(c) >> 4) & 15];
            out += digits[static_cast<unsigned char>(c) & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() &&
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A line's tab-separated fields; the count is one more than fields holds when the line has more.
std::size_t SplitFields(std::string_view line, std::array<std::string_view, 8>& fields)
{
    for (std::size_t count = 0;; ++count) {
        if (count == fields.size())
            return count + 1;
        const std::size_t tab = line.find('\t');
        fields[count] = line.substr(0, tab);
        if (tab == std::string_view::npos)
            return count + 1;
        line.remove_prefix(tab + 1);
    }
}

template <typename T>
bool Number(std::string_view text, T& value)
{
    return !text.empty() && std::from_chars(text.data(), text.data() + text.size(), value).ptr == text.data() + text.size();
}

template <typename T>
bool OptionalNumber(std::string_view text, std::optional<T>& value)
{
    if (text == "-") {
        value.reset();
        return true;
    }
    T number{};
    if (!Number(text, number))
        return false;
    value = number;
    return true;
}

template <typename T>
std::string OptionalText(const std::optional<T>& value)
{
    return value ? std::to_string(*value) : "-";
}

std::string EntryLine(const std::string& path, const TRecordEntry& entry)
{
    return "F\t" + Escaped(path) + "\t" + std::to_string(entry.Size) + "\t" + std::to_string(entry.ModifiedNs) + "\t" +
           entry.Hash + "\t" + std::to_string(entry.HashedAt) + "\t" + OptionalText(entry.RemoteSize) + "\t" +
           OptionalText(entry.RemoteTime) + "\n";
}

}  // namespace

TPublishRecord::TPublishRecord(std::string siteFolder) : folder_(std::move(siteFolder)) {}

TPublishRecord::~TPublishRecord()
{
    if (journal_ >= 0)
        ::close(journal_);
}

std::string TPublishRecord::SnapshotPath() const
{
    return folder_ + "/" + kSiteSettingsName + ".record";
}

std::string TPublishRecord::JournalPath() const
{
    return folder_ + "/" + kSiteSettingsName + ".journal";
}

void TPublishRecord::ApplyLine(std::string_view line)
{
    std::array<std::string_view, 8> fields;
    const std::size_t count = SplitFields(line, fields);
    if (count == 2 && fields[0] == "D") {
        entries_.erase(Unescaped(fields[1]));
        return;
    }
    TRecordEntry entry;
    if (count != 8 || fields[0] != "F" || !Number(fields[2], entry.Size) ||
        !Number(fields[3], entry.ModifiedNs) || fields[4].size() != 64 || !Number(fields[5], entry.HashedAt) ||
        !OptionalNumber(fields[6], entry.RemoteSize) || !OptionalNumber(fields[7], entry.RemoteTime))
        return;  // not ours or damaged: the file then counts as not published, so it is sent again
    entry.Hash = fields[4];
    // A compacted record is in path order, so each entry goes at the end.
    entries_.insert_or_assign(entries_.end(), Unescaped(fields[1]), std::move(entry));
}

void TPublishRecord::Load()
{
    entries_.clear();
    for (const std::string& path : {SnapshotPath(), JournalPath()}) {
        std::string bytes;
        if (int error = ReadWholeFile(path, bytes); error != 0) {
            if (error == ENOENT)
                continue;
            throw ERecordError("Cannot open file " + path + ". " + std::strerror(error));
        }
        std::string_view rest = bytes;
        // Only whole lines count: a kill while a line was written leaves it without its line end.
        for (std::size_t end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
            const std::string_view line = rest.substr(0, end);
            if (!line.empty() && line[0] != '#')
                ApplyLine(line);
            rest.remove_prefix(end + 1);
        }
    }
}

const TRecordEntry* TPublishRecord::Find(const std::string& path) const
{
    const auto found = entries_.find(path);
    return found == entries_.end() ? nullptr : &found->second;
}

void TPublishRecord::Append(const std::string& line)
{
    if (journal_ < 0) {
        journal_ = ::open(JournalPath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (journal_ < 0)
            throw ERecordError("Cannot create file " + JournalPath() + ". " + std::strerror(errno));
    }
    // One write per line: a kill leaves whole lines and at most one torn last line, which Load skips.
    if (!WriteAll(journal_, line))
        throw ERecordError("Cannot write file " + JournalPath() + ". " + std::strerror(errno));
}

void TPublishRecord::Store(const std::string& path, const TRecordEntry& entry)
{
    const std::lock_guard lock(mutex_);
    Append(EntryLine(path, entry));
    entries_[path] = entry;
}

void TPublishRecord::Forget(const std::string& path)
{
    const std::lock_guard lock(mutex_);
    Append("D\t" + Escaped(path) + "\n");
    entries_.erase(path);
}

void TPublishRecord::Compact()
{
    const std::lock_guard lock(mutex_);
    std::string bytes(kSnapshotHeader);
    bytes.reserve(entries_.size() * 128);
    for (const auto& [path, entry] : entries_)
        bytes += EntryLine(path, entry);
    if (int error = ReplacePrivateFile(SnapshotPath(), bytes); error != 0)
        throw ERecordError("Cannot create file " + SnapshotPath() + ". " + std::strerror(error));
    // The snapshot holds everything now; a kill before this line only replays the journal onto it again.
    if (journal_ >= 0) {
        ::close(journal_);
        journal_ = -1;
    }
    if (::unlink(JournalPath().c_str()) != 0 && errno != ENOENT)
        throw ERecordError("Cannot remove file " + JournalPath() + ". " + std::strerror(errno));
}

bool IsRacy(const TRecordEntry& entry, std::int64_t modifiedNs)
{
    return modifiedNs / 1000000000 >= entry.HashedAt;
}
