#pragma once
// Which files of a site are left out of publishing: patterns in gitignore syntax ("*.bak", ".git/",
// "/drafts", "img/**/*.psd", "!keep.bak"), the last matching pattern deciding, and a file inside a left-out
// folder left out whatever follows. Besides the patterns, some files are never published: connect.set,
// the site's settings and record (and their temporary files), and the safe replace's temporary names.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TPathKind : std::uint8_t { File, Folder };

class TExcludePatterns {
public:
    TExcludePatterns() = default;
    explicit TExcludePatterns(const std::vector<std::string>& lines);

    // path: relative to the site folder, "/" between folders, no leading "/". Only the path itself is
    // matched; the caller has already left out its folders (the site scan never enters them).
    bool Excludes(std::string_view path, TPathKind kind) const;
    // Excludes for the path and each of its folders.
    bool ExcludesWithFolders(std::string_view path, TPathKind kind) const;

private:
    struct TPattern {
        std::string Glob;
        bool Negated = false;
        bool FoldersOnly = false;
        bool Anchored = false;  // matched against the whole path, not the last name alone
    };
    std::vector<TPattern> patterns_;
};

// Whether a shell-style glob matches the whole text: "*" and "?" stop at "/", "**" crosses folders
// ("a/**/b" also matches "a/b"), "[a-z]" and "[!a-z]" classes, "\" quotes the next character.
bool GlobMatches(std::string_view glob, std::string_view text);

// The names no pattern can let through (checked on the last name of a path).
bool IsNeverPublishedName(std::string_view name);
