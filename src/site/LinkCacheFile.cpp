#include "site/LinkCacheFile.h"

#include "base/FileWrites.h"
#include "site/SiteSettings.h"
#include "site/TextFiles.h"

#include <charconv>

namespace {

constexpr std::string_view kHeader = "# tallo-site links 1\n";

// Paths and references may hold any byte, line ends included: each is written as its length, a colon
// and its bytes.
void AppendCounted(std::string& out, std::string_view text)
{
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

class TCacheReader {
public:
    explicit TCacheReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return text_.empty(); }

    template <typename T>
    bool Number(T& value, char after)
    {
        const auto [end, error] = std::from_chars(text_.data(), text_.data() + text_.size(), value);
        if (error != std::errc() || end == text_.data() + text_.size() || *end != after)
            return false;
        text_.remove_prefix(static_cast<std::size_t>(end - text_.data()) + 1);
        return true;
    }

    bool Counted(std::string& value, char after)
    {
        std::size_t length = 0;
        if (!Number(length, ':') || length >= text_.size() || text_[length] != after)
            return false;
        value.assign(text_.substr(0, length));
        text_.remove_prefix(length + 1);
        return true;
    }

private:
    std::string_view text_;
};

// One page: "size mtime count path-length:path\n", then "line value-length:value\n" for each reference.
bool ReadPage(TCacheReader& reader, TReferenceCache& cache)
{
    TCachedReferences page;
    std::size_t count = 0;
    std::string path;
    if (!reader.Number(page.Stamp.Size, ' ') || !reader.Number(page.Stamp.ModifiedNs, ' ') || !reader.Number(count, ' ') ||
        !reader.Counted(path, '\n'))
        return false;
    // Grown as references are read: a damaged count must not reserve room the file does not hold.
    for (std::size_t i = 0; i < count; ++i) {
        TPageReference& reference = page.References.emplace_back();
        if (!reader.Number(reference.Line, ' ') || !reader.Counted(reference.Value, '\n'))
            return false;
    }
    cache.insert_or_assign(std::move(path), std::move(page));
    return true;
}

}  // namespace

std::string LinkCacheFilePath(const std::string& siteFolder) { return siteFolder + "/" + kSiteSettingsName + ".links"; }

TReferenceCache LoadLinkCache(const std::string& siteFolder)
{
    std::string bytes;
    if (ReadWholeFile(LinkCacheFilePath(siteFolder), bytes) != 0 || !bytes.starts_with(kHeader))
        return {};
    TCacheReader reader(std::string_view(bytes).substr(kHeader.size()));
    TReferenceCache cache;
    while (!reader.AtEnd())
        if (!ReadPage(reader, cache))
            return {};
    return cache;
}

bool SaveLinkCache(const std::string& siteFolder, const TReferenceCache& cache)
{
    std::string out(kHeader);
    for (const auto& [path, page] : cache) {
        out += std::to_string(page.Stamp.Size) + ' ' + std::to_string(page.Stamp.ModifiedNs) + ' ' +
               std::to_string(page.References.size()) + ' ';
        AppendCounted(out, path);
        out += '\n';
        for (const TPageReference& reference : page.References) {
            out += std::to_string(reference.Line) + ' ';
            AppendCounted(out, reference.Value);
            out += '\n';
        }
    }
    return ReplacePrivateFile(LinkCacheFilePath(siteFolder), out) == 0;
}

TLinkReport CheckSiteLinksKept(const std::string& siteFolder, const TLocalFiles& files,
                               const std::vector<std::string>& pages, TReferenceCache& cache)
{
    if (cache.empty())
        cache = LoadLinkCache(siteFolder);
    bool changed = false;
    TLinkReport report = CheckSiteLinks(siteFolder, files, pages, &cache, &changed);
    if (changed)
        SaveLinkCache(siteFolder, cache);
    return report;
}
