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
    sockaddr_storage address{};
    socklen_t addressLength = 0;
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
        if (rc == 0 && result && result->ai_addrlen <= sizeof state->address) {
            std::memcpy(&state->address, result->ai_addr, result->ai_addrlen);
            state->addressLength = result->ai_addrlen;
            freeaddrinfo(result);
        } else {
            if (result)
                freeaddrinfo(result);
            state->errorCode = SocketErrorCodeFromLookup(rc == 0 ? EAI_NONAME : rc);
        }
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

const sockaddr_storage& HostLookup::Address() const
{
    return state_->address;
}

socklen_t HostLookup::AddressLength() const
{
    return state_->addressLength;
}
