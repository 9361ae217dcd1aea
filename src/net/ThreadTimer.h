#pragma once
// Time-out timer of a socket object. It runs on the thread that made it: the waits of its owner ask it
// whether it is due, and it fires OnTimer there, as a message-queue timer would.

#include <chrono>
#include <functional>

class TThreadTimer {
public:
    using TimerEvent = std::function<void(TThreadTimer& sender)>;

    bool Enabled() const { return enabled_; }
    unsigned Interval() const { return interval_; }
    const TimerEvent& OnTimer() const { return onTimer_; }

    // Each change restarts the timer: it runs while enabled, with a non-zero interval and a handler.
    void SetEnabled(bool enabled);
    void SetInterval(unsigned milliseconds);
    void SetOnTimer(TimerEvent handler);

    bool Running() const;
    // Fires OnTimer when the interval has passed, then starts the next interval.
    void FireIfDue();
    // Milliseconds until the next firing (0 when due), or -1 when not running.
    int MillisecondsUntilDue() const;

private:
    using Clock = std::chrono::steady_clock;
    void Restart();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    TimerEvent onTimer_;
    Clock::time_point due_{};
};
