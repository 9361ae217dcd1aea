#include "net/FtpReply.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

int ReplyCodeOf(std::string_view line)
{
    if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !IsDigit(line[1]) || !IsDigit(line[2]))
        return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-' && line[3] != '\r' && line[3] != '\n')
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

TReplyState TReplyAssembler::Add(std::string_view line)
{
    ++lines_;
    bytes_ += line.size();
    if (lines_ == 1) {
        code_ = ReplyCodeOf(line);
        if (code_ == 0)
            return TReplyState::Invalid;
        if (line.size() <= 3 || line[3] != '-')
            return TReplyState::Complete;
        codeText_ = std::string(line.substr(0, 3)) + " ";
        return TReplyState::NeedMore;
    }
    if (line.starts_with(codeText_))
        return TReplyState::Complete;
    if (lines_ >= kMaxReplyLines || bytes_ > kMaxReplyBytes)
        return TReplyState::TooLong;
    return TReplyState::NeedMore;
}
