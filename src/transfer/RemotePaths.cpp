#include "transfer/RemotePaths.h"

#include "transfer/RemoteSession.h"

#include <cctype>
#include <cstdio>
#include <random>

namespace {
constexpr std::string_view kTemporaryPrefix = ".tallo-part-";
constexpr std::size_t kRandomDigits = 8;
}  // namespace

void RequireCleanRemotePath(std::string_view path)
{
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            throw ETransferError(TTransferStep::Send, TFailureKind::Permanent, 0,
                                 "The name holds a control character: nothing was sent");
}

std::vector<std::string> FolderChain(std::string_view path)
{
    std::vector<std::string> chain;
    std::string built = !path.empty() && path.front() == '/' ? "/" : "";
    std::size_t at = 0;
    while (at < path.size()) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at) {
            if (!built.empty() && built.back() != '/')
                built += '/';
            built += path.substr(at, end - at);
            chain.push_back(built);
        }
        at = end + 1;
    }
    return chain;
}

std::string RemoteFolderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return "";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

std::string RemoteNameOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string SafeReplaceTemporaryPath(std::string_view target)
{
    std::random_device source;
    char digits[kRandomDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(source()));
    const std::string folder = RemoteFolderOf(target);
    const std::string name = std::string(kTemporaryPrefix) + digits + "-" + RemoteNameOf(target);
    if (folder.empty())
        return name;
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool IsSafeReplaceTemporaryName(std::string_view name)
{
    if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
        return false;
    const std::string_view rest = name.substr(kTemporaryPrefix.size());
    if (rest.size() < kRandomDigits + 2 || rest[kRandomDigits] != '-')
        return false;
    for (std::size_t i = 0; i < kRandomDigits; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(rest[i])))
            return false;
    return true;
}
