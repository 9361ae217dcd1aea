#pragma once
// What tallo-site shows: JSON strings for machines, the progress bar (files, bytes, rate, time left)
// redrawn on a terminal at most ten times a second, and the trust questions asked the way tallo-ftp-put
// asks them (on the terminal; without one refused unless --trust-new).

#include "site/SitePublisher.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

std::string JsonString(std::string_view text);

class TProgressLine {
public:
    explicit TProgressLine(bool enabled) : enabled_(enabled) {}
    void Show(const TPublishProgress& progress);
    // Clears the bar so that a line can be printed; the next Show draws it again.
    void Clear();

private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
};

std::string ByteCount(std::uint64_t bytes);

enum class TTrustPolicy { Ask, TrustNew };
TTrustAnswer AskCertificateOnTerminal(const TCertificateQuestion& question, TTrustPolicy policy);
TTrustAnswer AskHostKeyOnTerminal(const THostKeyQuestion& question, TTrustPolicy policy);
