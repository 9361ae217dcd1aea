#include "site/RemoteEdits.h"

#include "base/FileError.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <string_view>
#include <vector>

namespace {

std::vector<std::string> PlainSteps(std::string_view path)
{
    std::vector<std::string> steps;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string_view step = path.substr(start, slash - start);
        if (!step.empty() && step != "." && step != "..")
            steps.emplace_back(step);
        start = slash + 1;
    }
    return steps;
}

}  // namespace

TServerCopy CompareServerCopy(const TFetchedFile& fetched, const std::optional<TRemoteEntry>& now)
{
    if (!now)
        return TServerCopy::Gone;
    const std::optional<TRemoteEntry>& then = fetched.ServerAtFetch;
    if (!then || (!now->Size && !now->ModifiedUtc))
        return TServerCopy::Changed;
    if (now->Size != then->Size || now->ModifiedUtc != then->ModifiedUtc)
        return TServerCopy::Changed;
    return TServerCopy::AsFetched;
}

TLocalCopy CompareLocalCopy(const TFetchedFile& fetched)
{
    TLocalFile now;
    if (!StatLocalFile(fetched.LocalPath, now))
        return TLocalCopy::Gone;
    const bool same = now.Size == fetched.LocalAtFetch.Size && now.ModifiedNs == fetched.LocalAtFetch.ModifiedNs;
    return same ? TLocalCopy::AsFetched : TLocalCopy::Saved;
}

std::optional<std::string> SitePathOf(const std::string& remoteFolder, const std::string& remotePath)
{
    std::string folder = remoteFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string rest;
    if (folder.empty() || folder == ".") {
        if (remotePath.starts_with("/"))
            return std::nullopt;
        rest = remotePath;
    } else if (remotePath.size() > folder.size() + 1 && remotePath.starts_with(folder) &&
               (folder == "/" || remotePath[folder.size()] == '/')) {
        rest = remotePath.substr(folder == "/" ? 1 : folder.size() + 1);
    } else {
        return std::nullopt;
    }
    const std::vector<std::string> steps = PlainSteps(rest);
    std::string joined;
    for (const std::string& step : steps)
        joined += (joined.empty() ? "" : "/") + step;
    // Steps dropped (".", "..", "//") mean the path is not plainly inside the folder.
    if (joined.empty() || joined != rest)
        return std::nullopt;
    return joined;
}

std::string CachePathFor(const std::string& cacheFolder, const std::string& server, const std::string& remotePath)
{
    std::vector<std::string> steps = PlainSteps(remotePath);
    if (steps.empty())
        return {};
    std::string serverStep;
    for (const char c : server)
        serverStep += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    if (serverStep.empty() || serverStep == "." || serverStep == "..")
        serverStep = "_" + serverStep;
    std::string path = cacheFolder + "/remote/" + serverStep;
    for (const std::string& step : steps)
        path += "/" + step;
    return path;
}

std::string ServerCopyName(const std::string& path)
{
    const std::size_t nameStart = path.rfind('/') + 1;  // 0 without a folder
    const std::size_t dot = path.rfind('.');
    const std::size_t cut = dot != std::string::npos && dot > nameStart ? dot : path.size();
    return path.substr(0, cut) + " (server)" + path.substr(cut);
}

void MakePrivateFolders(const std::string& root, const std::string& filePath)
{
    const std::size_t end = filePath.rfind('/');
    if (!filePath.starts_with(root + "/") || end == std::string::npos || end < root.size())
        throw EFileError("Cannot create folder for " + filePath + ". It is not below " + root);
    // The folders above root are ordinary ones (~/.cache); from root on, each is made or narrowed to 0700.
    for (std::size_t slash = filePath.find('/', 1);; slash = filePath.find('/', slash + 1)) {
        const std::string folder = filePath.substr(0, slash);
        const bool private_ = folder.size() >= root.size();
        if (::mkdir(folder.c_str(), private_ ? 0700 : 0755) != 0 && errno != EEXIST)
            throw EFileError("Cannot create folder " + folder + ". " + std::strerror(errno));
        if (private_ && ::chmod(folder.c_str(), 0700) != 0)
            throw EFileError("Cannot create folder " + folder + ". " + std::strerror(errno));
        if (slash == end)
            break;
    }
}
