#pragma once
// Splitting a path into its parts, one rule for every caller: "/" separates folders, and a path's
// file-name part is the text after its last "/" (the whole path when it has none).

#include <string>
#include <string_view>

inline std::string FileNamePart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The folder part: the text before the last "/"; "." when there is none, "/" for a file in the root.
inline std::string FolderPart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}
