#pragma once
// Connection profiles as connect.set holds them: a list of lines, seven per profile (Name, User ID,
// Password, Host, Passive "Yes"/"No", Port, Directory), newest first. Every look-up goes by line index
// and takes the first Name line equal to the name, byte for byte. A hand-edited or cut-short list is
// still a list: a last profile with fewer than seven lines reads its missing fields as empty, and an
// edit or a delete works on the lines that are there.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TProfileLines = std::vector<std::string>;

inline constexpr std::size_t kProfileLineCount = 7;

struct TConnectionProfile {
    std::string Name;
    std::string UserID;
    std::string Password;
    std::string Host;
    bool Passive = false;
    std::string Port;
    std::string Directory;
};

// The file's bytes split into lines. CR LF, a bare CR and a bare LF each end a line; a last line
// without a line end still counts.
TProfileLines ParseProfileLines(std::string_view bytes);
// Every line followed by CR LF; no lines give zero bytes.
std::string FormatProfileLines(const TProfileLines& lines);

// The Name lines (indexes 0, 7, 14, ...), in file order.
std::vector<std::string> ProfileNames(const TProfileLines& lines);
// Index of the first Name line equal to the name.
std::optional<std::size_t> FindProfile(const TProfileLines& lines, std::string_view name);
// The profile starting at a Name line; fields past the end of the list are empty. Passive only for
// exactly "Yes".
TConnectionProfile ProfileAt(const TProfileLines& lines, std::size_t start);

// A new profile before all others.
void InsertProfileOnTop(TProfileLines& lines, const TConnectionProfile& profile);
// Rewrites the profile starting at the line index in place (a cut-short one grows to seven lines).
// A start past the end of the list (the file changed meanwhile) adds the profile on top instead.
void ReplaceProfile(TProfileLines& lines, std::size_t start, const TConnectionProfile& profile);
// Removes the profile starting at the line index: its seven lines, or as many as there are.
void RemoveProfile(TProfileLines& lines, std::size_t start);

// The port of a profile: a whole decimal number from 1 to 65535, nothing else around it.
std::optional<int> PortNumber(std::string_view text);
