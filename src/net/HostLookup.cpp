#include "net/HostLookup.h"

#include "net/SocketErrors.h"

#include <atomic>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

struct HostLookup::State {
    std::atomic<bool> done{false};
    int errorCode = 0;
    std::uint32_t address = 0;
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
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* result = nullptr;
        int rc = getaddrinfo(name.c_str(), nullptr, &hints, &result);
        if (rc == 0 && result) {
            state->address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
            freeaddrinfo(result);
        } else {
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

std::uint32_t HostLookup::Address() const
{
    return state_->address;
}
