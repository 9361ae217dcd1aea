#pragma once
// One FTP reply as its lines arrive (RFC 959). The first line carries a three-digit code from 100 to
// 599, followed by a blank, "-" or the line end; "-" opens a multi-line reply, which ends only at a line
// that starts with the same three digits and a blank (the lines in between may hold any text). A reply
// is bounded in lines and bytes, so that a hostile server cannot keep the client reading for ever.

#include <cstddef>
#include <string>
#include <string_view>

constexpr std::size_t kMaxReplyLines = 1000;
constexpr std::size_t kMaxReplyBytes = 256 * 1024;

// The code of a reply's first line, or 0 when the line does not start with a valid one.
int ReplyCodeOf(std::string_view line);

// True when code lies in low..high: the one test of a reply against the range a step refuses.
constexpr bool ReplyCodeIn(int code, int low, int high)
{
    return code >= low && code <= high;
}

enum class TReplyState { NeedMore, Complete, Invalid, TooLong };

class TReplyAssembler {
public:
    // Takes the next line (with its line end) and tells where the reply stands.
    TReplyState Add(std::string_view line);
    // The code of the first line; valid once it was accepted.
    int Code() const { return code_; }

private:
    int code_ = 0;
    std::string codeText_;
    std::size_t lines_ = 0;
    std::size_t bytes_ = 0;
};
