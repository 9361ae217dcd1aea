#include "site/LinkCheck.h"

#include "base/TextBytes.h"
#include "site/PageReferences.h"
#include "site/TextFiles.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <set>
#include <sys/stat.h>
#include <unordered_map>

namespace {

bool HasScheme(std::string_view reference)
{
    if (reference.empty() || !std::isalpha(static_cast<unsigned char>(reference[0])))
        return false;
    for (char c : reference) {
        if (c == ':')
            return true;
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Every folder that holds a file of the site, "" for the site itself, in the site's spelling.
std::set<std::string> FoldersOf(const TLocalFiles& files)
{
    std::set<std::string> folders{""};
    for (const auto& [path, file] : files)
        for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            folders.insert(path.substr(0, slash));
    return folders;
}

// Made when a reference first needs more than the files themselves: most pages of a site name only
// files, and a site whose pages come from the cache may check no reference at all.
class TSiteIndex {
public:
    explicit TSiteIndex(const TLocalFiles& files) : Files(files) {}

    const TLocalFiles& Files;

    const std::set<std::string>& Folders()
    {
        if (!folders_)
            folders_ = FoldersOf(Files);
        return *folders_;
    }

    // Files and folders by their lower-case spelling.
    const std::unordered_map<std::string, std::string>& ByLowerCase()
    {
        if (!byLowerCase_) {
            byLowerCase_.emplace();
            for (const auto& [path, file] : Files)
                byLowerCase_->emplace(AsciiLower(path), path);
            for (const std::string& folder : Folders())
                byLowerCase_->emplace(AsciiLower(folder), folder);
        }
        return *byLowerCase_;
    }

private:
    std::optional<std::set<std::string>> folders_;
    std::optional<std::unordered_map<std::string, std::string>> byLowerCase_;
};

void CheckReference(const std::string& siteFolder, TSiteIndex& index, const std::string& page,
                    const TPageReference& reference, TPageLinks& links)
{
    bool outside = false;
    const std::optional<std::string> target = ResolveReference(page, reference.Value, outside);
    TLinkProblem problem{page, reference.Line, reference.Value, TLinkProblemKind::Missing, {}};
    if (outside) {
        problem.Kind = TLinkProblemKind::OutsideSite;
        links.Problems.push_back(std::move(problem));
        return;
    }
    if (!target)
        return;
    if (index.Files.contains(*target)) {
        if (std::find(links.Targets.begin(), links.Targets.end(), *target) == links.Targets.end())
            links.Targets.push_back(*target);
        return;
    }
    if (index.Folders().contains(*target))
        return;
    struct stat info {};
    if (::stat((siteFolder + "/" + *target).c_str(), &info) == 0) {
        problem.Kind = TLinkProblemKind::LeftOut;
    } else if (auto found = index.ByLowerCase().find(AsciiLower(*target)); found != index.ByLowerCase().end()) {
        problem.Kind = TLinkProblemKind::CaseMismatch;
        problem.Found = found->second;
    }
    links.Problems.push_back(std::move(problem));
}

bool SameStamp(const TLocalFile& a, const TLocalFile& b) { return a.Size == b.Size && a.ModifiedNs == b.ModifiedNs; }

// Pages written this recently are read again next time.
constexpr std::int64_t kRacyWindowNs = 2'000'000'000;

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IsPagePath(std::string_view path)
{
    const std::string lowered = AsciiLower(path.substr(path.size() > 5 ? path.size() - 5 : 0));
    return lowered.ends_with(".html") || lowered.ends_with(".htm");
}

std::optional<std::string> ResolveReference(std::string_view pagePath, std::string_view reference, bool& outside)
{
    outside = false;
    while (!reference.empty() && std::isspace(static_cast<unsigned char>(reference.front())))
        reference.remove_prefix(1);
    while (!reference.empty() && std::isspace(static_cast<unsigned char>(reference.back())))
        reference.remove_suffix(1);
    if (reference.empty() || reference[0] == '#' || reference[0] == '/' || reference[0] == '?' || HasScheme(reference))
        return std::nullopt;
    reference = reference.substr(0, reference.find_first_of("?#"));
    std::vector<std::string> parts;
    const std::size_t pageSlash = pagePath.rfind('/');
    std::string path = pageSlash == std::string_view::npos ? std::string() : std::string(pagePath.substr(0, pageSlash + 1));
    path += PercentDecoded(reference);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            if (parts.empty()) {
                outside = true;
                return std::nullopt;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string resolved;
    for (const std::string& part : parts)
        resolved += (resolved.empty() ? "" : "/") + part;
    return resolved;
}

TLinkReport CheckSiteLinks(const std::string& siteFolder, const TLocalFiles& files, const std::vector<std::string>& pages,
                           TReferenceCache* cache, bool* cacheChanged)
{
    bool changed = false;
    TSiteIndex index(files);
    // The pages with their files (null for a page given that is not among them).
    std::vector<std::pair<const std::string*, const TLocalFile*>> toCheck;
    if (pages.empty()) {
        for (const auto& [path, file] : files)
            if (IsPagePath(path))
                toCheck.emplace_back(&path, &file);
    } else {
        for (const std::string& page : pages) {
            const auto file = files.find(page);
            toCheck.emplace_back(&page, file == files.end() ? nullptr : &file->second);
        }
    }
    if (cache != nullptr)
        changed = std::erase_if(*cache, [&](const auto& entry) { return !files.contains(entry.first); }) > 0;
    const std::int64_t settledBeforeNs = NowNs() - kRacyWindowNs;
    TLinkReport report;
    std::string bytes;
    std::vector<TPageReference> read;
    for (const auto& [page, file] : toCheck) {
        TPageLinks& links = report.try_emplace(report.end(), *page)->second;
        const std::vector<TPageReference>* references = nullptr;
        if (cache != nullptr && file != nullptr)
            if (auto cached = cache->find(*page); cached != cache->end() && SameStamp(cached->second.Stamp, *file))
                references = &cached->second.References;
        if (references == nullptr) {
            if (ReadWholeFile(siteFolder + "/" + *page, bytes) != 0)
                continue;
            read = FindPageReferences(bytes);
            references = &read;
            if (cache != nullptr && file != nullptr && file->ModifiedNs < settledBeforeNs) {
                references = &((*cache)[*page] = TCachedReferences{*file, std::move(read)}).References;
                changed = true;
            }
        }
        for (const TPageReference& reference : *references)
            CheckReference(siteFolder, index, *page, reference, links);
    }
    if (cacheChanged != nullptr)
        *cacheChanged = changed;
    return report;
}

std::string LinkProblemText(const TLinkProblem& problem)
{
    std::string text = problem.Page + ":" + std::to_string(problem.Line) + ": ";
    switch (problem.Kind) {
    case TLinkProblemKind::Missing: return text + "no such file: " + problem.Reference;
    case TLinkProblemKind::CaseMismatch:
        return text + "letter case differs: " + problem.Reference + " (the file is " + problem.Found + ")";
    case TLinkProblemKind::LeftOut: return text + "file left out of publishing: " + problem.Reference;
    case TLinkProblemKind::OutsideSite: return text + "outside the site: " + problem.Reference;
    }
    return text + problem.Reference;
}
