#include "net/MessagePump.h"

#include <atomic>
#include <thread>
#include <utility>

namespace {
MessagePump& InstalledPump()
{
    static MessagePump pump;
    return pump;
}

std::atomic<std::thread::id>& PumpThread()
{
    static std::atomic<std::thread::id> thread;
    return thread;
}
}  // namespace

void SetMessagePump(MessagePump pump)
{
    InstalledPump() = std::move(pump);
    PumpThread() = std::this_thread::get_id();
}

void PumpMessages()
{
    if (PumpThread().load() != std::this_thread::get_id())
        return;
    // A copy, so that a pump that replaces itself does not destroy the function it is running.
    if (MessagePump pump = InstalledPump())
        pump();
}
