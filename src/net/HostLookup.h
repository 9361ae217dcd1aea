#pragma once
// Looks a host name up on a thread of its own, so the user-interface thread can keep pumping events
// while it waits. A look-up that is given up on (time-out, cancel) finishes on its own and is dropped.

#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

struct TSocketAddress {
    sockaddr_storage Address{};
    socklen_t Length = 0;
};

class HostLookup {
public:
    // Starts looking up the addresses of name, IPv4 and IPv6, in the order the system prefers them.
    explicit HostLookup(const std::string& name);

    bool Done() const;
    // Valid once Done(): 0 on success, else a socket error code (11001 "Host not found", ...).
    int ErrorCode() const;
    // Valid once Done() without error: every address found, in the order to try them (ports 0).
    const std::vector<TSocketAddress>& Addresses() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
