#pragma once
// Network waits on the user-interface thread hand control to the platform's event loop through this hook
// while they wait, so the interface stays responsive; the application installs it at start-up (a test may
// install its own, e.g. to cancel a wait from "inside" the event loop). Waits on other threads (a publish
// queue's workers) never pump: the event loop belongs to the thread that installed the pump.

#include <functional>

using MessagePump = std::function<void()>;

void SetMessagePump(MessagePump pump);
// Delivers pending user-interface events through the installed pump; does nothing without one, or on
// any thread but the one that installed it.
void PumpMessages();
