#pragma once
// Network waits run on the user-interface thread. While they wait they hand control to the platform's
// event loop through this hook, so the interface stays responsive; the application installs it at start-up
// (a test may install its own, e.g. to cancel a wait from "inside" the event loop).

#include <functional>

using MessagePump = std::function<void()>;

void SetMessagePump(MessagePump pump);
// Delivers pending user-interface events through the installed pump; does nothing without one.
void PumpMessages();
