#include "support/OtherUser.h"

#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kName = "tallo-test-other";

}  // namespace

std::optional<TOtherUser> TOtherUser::Get(std::string& whyNot)
{
    if (::geteuid() != 0) {
        whyNot = "a second user can only be made and taken on by root";
        return std::nullopt;
    }
    if (!::getpwnam(kName) &&
        std::system((std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + kName +
                     " >/dev/null 2>&1").c_str()) != 0) {
        whyNot = "useradd could not make the user " + std::string(kName);
        return std::nullopt;
    }
    const passwd* entry = ::getpwnam(kName);
    if (!entry) {
        whyNot = "the user " + std::string(kName) + " is not in the password database";
        return std::nullopt;
    }
    return TOtherUser{entry->pw_uid, entry->pw_gid};
}

std::string RunInChild(const std::optional<TOtherUser>& user, const std::function<std::string()>& work)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string result;
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->Gid) != 0 || ::setuid(user->Uid) != 0))
            result = "could not become the other user";
        else
            result = work();
        (void)!::write(pipeFds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? result : "the child died";
}
