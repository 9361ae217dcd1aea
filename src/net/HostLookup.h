#pragma once
// Looks a host name up on a thread of its own, so the user-interface thread can keep pumping events
// while it waits. A look-up that is given up on (time-out, cancel) finishes on its own and is dropped.

#include <cstdint>
#include <memory>
#include <string>

class HostLookup {
public:
    // Starts looking up the IPv4 address of name.
    explicit HostLookup(const std::string& name);

    bool Done() const;
    // Valid once Done(): 0 on success, else a socket error code (11001 "Host not found", ...).
    int ErrorCode() const;
    // Valid once Done() without error: the first IPv4 address, in network byte order.
    std::uint32_t Address() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};
