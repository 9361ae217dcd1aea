#include "site/PageReferences.h"

#include "base/TextBytes.h"
#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

void AppendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string DecodeCharacterReferences(std::string_view value)
{
    static const std::pair<std::string_view, char> named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::size_t semicolon = value[i] == '&' ? value.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos || semicolon - i > 10) {
            out += value[i];
            continue;
        }
        const std::string_view name = value.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            unsigned long code = 0;
            const std::string_view digits = name.substr(hex ? 2 : 1);
            const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (!digits.empty() && result.ptr == digits.data() + digits.size() && code > 0 && code < 0x110000) {
                AppendUtf8(out, code);
                decoded = true;
            }
        }
        for (const auto& [entity, character] : named)
            if (!decoded && name == entity) {
                out += character;
                decoded = true;
            }
        if (decoded)
            i = semicolon;
        else
            out += value[i];
    }
    return out;
}

class TPageScanner {
public:
    explicit TPageScanner(std::string_view page) : page_(page) {}

    std::vector<TPageReference> Scan()
    {
        while (pos_ < page_.size()) {
            const std::size_t open = page_.find('<', pos_);
            if (open == std::string_view::npos)
                break;
            MoveTo(open);
            if (page_.substr(pos_, 4) == "<!--")
                SkipPast("-->");
            else if (pos_ + 1 < page_.size() && std::isalpha(static_cast<unsigned char>(page_[pos_ + 1])))
                ReadTag();
            else
                MoveTo(pos_ + 1);
        }
        return std::move(found_);
    }

private:
    void MoveTo(std::size_t target)
    {
        target = std::min(target, page_.size());
        line_ += static_cast<int>(std::count(page_.begin() + pos_, page_.begin() + target, '\n'));
        pos_ = target;
    }

    void SkipPast(std::string_view end)
    {
        const std::size_t at = page_.find(end, pos_);
        MoveTo(at == std::string_view::npos ? page_.size() : at + end.size());
    }

    // Skips the raw text of <script> or <style> up to its end tag, keeping url(...) of a style block.
    void SkipRawText(const std::string& tag)
    {
        std::size_t end = pos_;
        for (;;) {
            end = page_.find("</", end);
            if (end == std::string_view::npos || AsciiLower(page_.substr(end + 2, tag.size())) == tag)
                break;
            end += 2;
        }
        if (end == std::string_view::npos)
            end = page_.size();
        if (tag == "style")
            FindUrls(pos_, end);
        MoveTo(end);
    }

    void FindUrls(std::size_t from, std::size_t to)
    {
        const std::string lowered = AsciiLower(page_.substr(from, to - from));
        for (std::size_t at = lowered.find("url("); at != std::string::npos; at = lowered.find("url(", at + 4)) {
            std::size_t start = from + at + 4;
            std::size_t end = page_.find(')', start);
            if (end == std::string_view::npos || end > to)
                break;
            std::string_view value = page_.substr(start, end - start);
            while (!value.empty() && IsSpace(value.front())) {
                value.remove_prefix(1);
                ++start;
            }
            while (!value.empty() && IsSpace(value.back()))
                value.remove_suffix(1);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
                ++start;
            }
            const int line = line_ + static_cast<int>(std::count(page_.begin() + pos_, page_.begin() + start, '\n'));
            found_.push_back({DecodeCharacterReferences(value), line});
        }
    }

    std::string ReadName()
    {
        const std::size_t start = pos_;
        while (pos_ < page_.size() && !IsSpace(page_[pos_]) && page_[pos_] != '>' && page_[pos_] != '/' &&
               page_[pos_] != '=')
            ++pos_;
        return AsciiLower(page_.substr(start, pos_ - start));
    }

    void SkipSpaces()
    {
        while (pos_ < page_.size() && IsSpace(page_[pos_]))
            MoveTo(pos_ + 1);
    }

    void ReadTag()
    {
        MoveTo(pos_ + 1);
        const std::string tag = ReadName();
        for (;;) {
            SkipSpaces();
            if (pos_ >= page_.size())
                return;
            if (page_[pos_] == '>')
                break;
            if (page_[pos_] == '/') {
                MoveTo(pos_ + 1);
                continue;
            }
            ReadAttribute();
        }
        MoveTo(pos_ + 1);
        if (tag == "script" || tag == "style")
            SkipRawText(tag);
    }

    void ReadAttribute()
    {
        const std::size_t nameStart = pos_;
        const std::string name = ReadName();
        if (pos_ == nameStart)
            ++pos_;  // a stray "=" or the like
        SkipSpaces();
        if (pos_ >= page_.size() || page_[pos_] != '=')
            return;
        MoveTo(pos_ + 1);
        SkipSpaces();
        if (pos_ >= page_.size())
            return;
        std::size_t start = pos_;
        std::size_t end;
        const bool quoted = page_[pos_] == '"' || page_[pos_] == '\'';
        if (quoted) {
            ++start;
            end = page_.find(page_[pos_], start);
            if (end == std::string_view::npos)
                end = page_.size();
        } else {
            end = start;
            while (end < page_.size() && !IsSpace(page_[end]) && page_[end] != '>')
                ++end;
        }
        const int line = line_ + static_cast<int>(std::count(page_.begin() + pos_, page_.begin() + start, '\n'));
        if (name == "href" || name == "src" || name == "action" || name == "background")
            found_.push_back({DecodeCharacterReferences(page_.substr(start, end - start)), line});
        else if (name == "style")
            FindUrls(start, end);
        MoveTo(quoted ? end + 1 : end);
    }

    std::string_view page_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::vector<TPageReference> found_;
};

}  // namespace

std::vector<TPageReference> FindPageReferences(std::string_view page)
{
    return TPageScanner(page).Scan();
}
