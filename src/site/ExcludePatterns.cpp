#include "site/ExcludePatterns.h"

#include "site/SiteSettings.h"
#include "transfer/RemoteSession.h"

namespace {

// Matches a class at the start of glob against c; returns the length of the class, 0 when it is
// unterminated (then "[" is an ordinary character).
std::size_t MatchClass(std::string_view glob, char c, bool& matched)
{
    std::size_t i = 1;
    const bool negated = i < glob.size() && (glob[i] == '!' || glob[i] == '^');
    if (negated)
        ++i;
    bool found = false;
    for (bool first = true; i < glob.size() && (first || glob[i] != ']'); first = false) {
        char low = glob[i];
        if (low == '\\' && i + 1 < glob.size())
            low = glob[++i];
        char high = low;
        if (i + 2 < glob.size() && glob[i + 1] == '-' && glob[i + 2] != ']') {
            high = glob[i + 2];
            i += 2;
        }
        found = found || (c >= low && c <= high);
        ++i;
    }
    if (i >= glob.size())
        return 0;
    matched = found != negated && c != '/';
    return i + 1;
}

bool MatchDoubleStar(std::string_view rest, std::string_view text)
{
    if (!rest.empty() && rest[0] == '/') {
        rest.remove_prefix(1);
        if (GlobMatches(rest, text))
            return true;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '/' && GlobMatches(rest, text.substr(i + 1)))
                return true;
        return false;
    }
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (GlobMatches(rest, text.substr(i)))
            return true;
    return false;
}

std::string_view LastName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool GlobMatches(std::string_view glob, std::string_view text)
{
    while (!glob.empty()) {
        const char g = glob[0];
        if (g == '*' && glob.size() > 1 && glob[1] == '*')
            return MatchDoubleStar(glob.substr(2), text);
        if (g == '*') {
            for (std::size_t i = 0;; ++i) {
                if (GlobMatches(glob.substr(1), text.substr(i)))
                    return true;
                if (i == text.size() || text[i] == '/')
                    return false;
            }
        }
        if (text.empty())
            return false;
        if (g == '?') {
            if (text[0] == '/')
                return false;
            glob.remove_prefix(1);
        } else if (g == '[') {
            bool matched = false;
            const std::size_t length = MatchClass(glob, text[0], matched);
            if (length == 0 ? text[0] != '[' : !matched)
                return false;
            glob.remove_prefix(length == 0 ? 1 : length);
        } else {
            std::size_t length = 1;
            char literal = g;
            if (g == '\\' && glob.size() > 1) {
                literal = glob[1];
                length = 2;
            }
            if (text[0] != literal)
                return false;
            glob.remove_prefix(length);
        }
        text.remove_prefix(1);
    }
    return text.empty();
}

TExcludePatterns::TExcludePatterns(const std::vector<std::string>& lines)
{
    for (std::string_view line : lines) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r') &&
               !(line.size() > 1 && line[line.size() - 2] == '\\'))
            line.remove_suffix(1);
        if (line.empty() || line[0] == '#')
            continue;
        TPattern pattern;
        if (line[0] == '!') {
            pattern.Negated = true;
            line.remove_prefix(1);
        } else if (line.size() > 1 && line[0] == '\\' && (line[1] == '!' || line[1] == '#')) {
            line.remove_prefix(1);
        }
        if (!line.empty() && line.back() == '/') {
            pattern.FoldersOnly = true;
            line.remove_suffix(1);
        }
        pattern.Anchored = line.find('/') != std::string_view::npos;
        if (!line.empty() && line[0] == '/')
            line.remove_prefix(1);
        if (line.empty())
            continue;
        pattern.Glob = line;
        patterns_.push_back(std::move(pattern));
    }
}

bool TExcludePatterns::Excludes(std::string_view path, TPathKind kind) const
{
    bool excluded = false;
    for (const TPattern& pattern : patterns_) {
        if (excluded != pattern.Negated)
            continue;  // this pattern could not change the answer
        if (pattern.FoldersOnly && kind != TPathKind::Folder)
            continue;
        if (GlobMatches(pattern.Glob, pattern.Anchored ? path : LastName(path)))
            excluded = !pattern.Negated;
    }
    return excluded;
}

bool TExcludePatterns::ExcludesWithFolders(std::string_view path, TPathKind kind) const
{
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1))
        if (Excludes(path.substr(0, slash), TPathKind::Folder))
            return true;
    return Excludes(path, kind);
}

bool IsNeverPublishedName(std::string_view name)
{
    return name == "connect.set" || name.starts_with(".connect.set.") || name.starts_with(kSiteSettingsName) ||
           name.starts_with(std::string(".") + kSiteSettingsName) || IsSafeReplaceTemporaryName(name);
}
