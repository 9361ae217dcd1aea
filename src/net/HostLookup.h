#pragma once
// Looks a host name up on a thread of its own, so the user-interface thread can keep pumping events
// while it waits. A look-up that is given up on (time-out, cancel) finishes on its own and is dropped.

#include <memory>
#include <string>
#include <sys/socket.h>

class HostLookup {
public:
    // Starts looking up the addresses of name, IPv4 and IPv6, in the order the system prefers them.
    explicit HostLookup(const std::string& name);

    bool Done() const;
    // Valid once Done(): 0 on success, else a socket error code (11001 "Host not found", ...).
    int ErrorCode() const;
    // Valid once Done() without error: the first address (its port is 0).
    const sockaddr_storage& Address() const;
    socklen_t AddressLength() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
