// Where the user's files go: the home folder from HOME or, when that is unset, empty or relative, from the
// password database; the XDG folders only when absolute; and the files kept there, never below "/".

#include "base/UserFolders.h"
#include "net/SftpSession.h"
#include "net/TrustedServers.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <pwd.h>
#include <unistd.h>

namespace {

TEST(UserFolders, ComeFromTheEnvironmentOrThePasswordDatabase)
{
    const std::string database = getpwuid(getuid())->pw_dir;
    struct Case {
        const char* home;  // nullptr: unset
        const char* xdg;   // for the variable the function reads; nullptr: unset
        std::function<std::string()> folder;
        const char* xdgName;
        std::string expected;
    } const cases[] = {
        {"/home/ann", nullptr, HomeFolder, "XDG_CONFIG_HOME", "/home/ann"},
        {nullptr, nullptr, HomeFolder, "XDG_CONFIG_HOME", database},
        {"", nullptr, HomeFolder, "XDG_CONFIG_HOME", database},
        {"relative/home", nullptr, HomeFolder, "XDG_CONFIG_HOME", database},
        {"/home/ann", nullptr, UserConfigFolder, "XDG_CONFIG_HOME", "/home/ann/.config"},
        {"/home/ann", "/cfg", UserConfigFolder, "XDG_CONFIG_HOME", "/cfg"},
        {"/home/ann", "cfg", UserConfigFolder, "XDG_CONFIG_HOME", "/home/ann/.config"},
        {"/home/ann", "", UserStateFolder, "XDG_STATE_HOME", "/home/ann/.local/state"},
        {"/home/ann", nullptr, UserCacheFolder, "XDG_CACHE_HOME", "/home/ann/.cache"},
        {nullptr, nullptr, DefaultTrustedServersPath, "XDG_CONFIG_HOME", database + "/.config/tallo/trusted_servers"},
        {nullptr, nullptr, DefaultKnownHostsPath, "XDG_CONFIG_HOME", database + "/.config/tallo/known_hosts"},
        {"", nullptr, OpenSshKnownHostsPath, "XDG_CONFIG_HOME", database + "/.ssh/known_hosts"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const ScopedEnvironment home("HOME", c.home);
        const ScopedEnvironment xdg(c.xdgName, c.xdg);
        EXPECT_EQ(c.folder(), c.expected);
    }
}

}  // namespace
