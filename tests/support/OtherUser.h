#pragma once
// A second user on this machine, for tests of what one user's files do to another's: created
// (useradd) the first time it is needed, which takes root; tests that need it skip with the reason
// otherwise. Work is done as that user in a forked child that reports back a line of text.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

struct TOtherUser {
    uid_t Uid = 0;
    gid_t Gid = 0;

    // The user, or the reason there is none.
    static std::optional<TOtherUser> Get(std::string& whyNot);
};

// Runs work in a child process, as the user when one is given; returns what it returned, or what went
// wrong with the child.
std::string RunInChild(const std::optional<TOtherUser>& user, const std::function<std::string()>& work);
