#include "base/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

std::string XdgFolder(const char* variable, const char* belowHome)
{
    if (const char* value = std::getenv(variable); IsAbsolute(value))
        return value;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + belowHome;
}

}  // namespace

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return home;
    // getpwuid_r: the SFTP worker and the recovery writer may ask from their own threads.
    passwd entry{};
    passwd* found = nullptr;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && IsAbsolute(found->pw_dir))
        return found->pw_dir;
    return {};
}

std::string UserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string UserStateFolder()
{
    return XdgFolder("XDG_STATE_HOME", "/.local/state");
}

std::string UserCacheFolder()
{
    return XdgFolder("XDG_CACHE_HOME", "/.cache");
}
