#include "net/HostLookup.h"

#include "net/SocketErrors.h"

#include <atomic>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

struct HostLookup::State {
    std::atomic<bool> done{false};
    int errorCode = 0;
    std::vector<TSocketAddress> addresses;
};

HostLookup::HostLookup(const std::string& name) : state_(std::make_shared<State>())
{
    if (name.empty()) {
        // Nothing to ask a resolver about.
        state_->errorCode = SocketErrorCodeFromLookup(EAI_NONAME);
        state_->done = true;
        return;
    }
    std::thread([state = state_, name] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        // Only families this machine has an address of: no IPv6 answer where it cannot be reached.
        hints.ai_flags = AI_ADDRCONFIG;
        addrinfo* result = nullptr;
        int rc = getaddrinfo(name.c_str(), nullptr, &hints, &result);
        for (const addrinfo* entry = rc == 0 ? result : nullptr; entry; entry = entry->ai_next) {
            TSocketAddress address;
            if (entry->ai_addrlen > sizeof address.Address)
                continue;
            std::memcpy(&address.Address, entry->ai_addr, entry->ai_addrlen);
            address.Length = entry->ai_addrlen;
            state->addresses.push_back(address);
        }
        if (result)
            freeaddrinfo(result);
        if (state->addresses.empty())
            state->errorCode = SocketErrorCodeFromLookup(rc == 0 ? EAI_NONAME : rc);
        state->done.store(true, std::memory_order_release);
    }).detach();
}

bool HostLookup::Done() const
{
    return state_->done.load(std::memory_order_acquire);
}

int HostLookup::ErrorCode() const
{
    return state_->errorCode;
}

const std::vector<TSocketAddress>& HostLookup::Addresses() const
{
    return state_->addresses;
}
