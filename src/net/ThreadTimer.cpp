#include "net/ThreadTimer.h"

#include <utility>

void TThreadTimer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Restart();
}

void TThreadTimer::SetInterval(unsigned milliseconds)
{
    interval_ = milliseconds;
    Restart();
}

void TThreadTimer::SetOnTimer(TimerEvent handler)
{
    onTimer_ = std::move(handler);
    Restart();
}

bool TThreadTimer::Running() const
{
    return enabled_ && interval_ != 0 && onTimer_;
}

void TThreadTimer::Restart()
{
    due_ = Clock::now() + std::chrono::milliseconds(interval_);
}

void TThreadTimer::FireIfDue()
{
    if (!Running() || Clock::now() < due_)
        return;
    Restart();
    TimerEvent handler = onTimer_;
    handler(*this);
}

int TThreadTimer::MillisecondsUntilDue() const
{
    if (!Running())
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due_ - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}
