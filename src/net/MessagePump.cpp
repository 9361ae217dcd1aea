#include "net/MessagePump.h"

#include <utility>

namespace {
MessagePump& InstalledPump()
{
    static MessagePump pump;
    return pump;
}
}  // namespace

void SetMessagePump(MessagePump pump)
{
    InstalledPump() = std::move(pump);
}

void PumpMessages()
{
    // A copy, so that a pump that replaces itself does not destroy the function it is running.
    if (MessagePump pump = InstalledPump())
        pump();
}
