#include "HtmlPageGenerator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace {

class TRandom {
public:
    explicit TRandom(unsigned seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::size_t Below(std::size_t n)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::size_t>(state_ % n);
    }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) { return items[Below(N)]; }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 14> kBlockTags = {
    "div", "p", "td", "li", "table", "tr", "ul", "form", "span", "h2", "blockquote", "center", "font", "section"};
constexpr std::array<std::string_view, 8> kInlineTags = {"b", "i", "a", "em", "strong", "code", "small", "custom-tag"};
constexpr std::array<std::string_view, 10> kAttributes = {
    "class", "href", "width", "align", "id", "style", "src", "alt", "bgcolor", "onclick"};
constexpr std::array<std::string_view, 10> kValues = {
    "\"main\"",  "'left'", "100",          "\"#FF0080\"", "\"index.html\"",
    "\"a b c\"", "50%",    "\"x=1&y=2\"", "'It''s'",     "\"color: red; margin: 0\""};
constexpr std::array<std::string_view, 16> kWords = {
    "the", "page", "editor", "upload", "server", "Hello", "world,", "text", "and", "of",
    "&amp;", "&nbsp;", "&#169;", "&copy;", "a&b", "&#x263A;"};

void AppendText(std::string& out, TRandom& random, std::size_t words)
{
    for (std::size_t i = 0; i < words; ++i) {
        if (i)
            out += ' ';
        out += random.Pick(kWords);
    }
}

void AppendOpenTag(std::string& out, TRandom& random, std::string_view name)
{
    out += '<';
    out += name;
    for (std::size_t n = random.Below(4); n > 0; --n) {
        out += ' ';
        out += random.Pick(kAttributes);
        out += '=';
        out += random.Pick(kValues);
    }
    out += '>';
}

void AppendIndent(std::string& out, TRandom& random, std::size_t depth)
{
    if (random.Below(4) == 0)
        out.append(depth, '\t');
    else
        out.append(depth * 2, ' ');
}

}  // namespace

std::string GenerateHtmlPage(std::size_t minBytes, unsigned seed)
{
    TRandom random(seed);
    std::string out;
    out.reserve(minBytes + 4096);
    out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r\n";
    out += "<html>\r\n<head>\r\n<title>Generated page</title>\r\n</head>\r\n<body bgcolor=\"#FFFFFF\">\r\n";
    while (out.size() < minBytes) {
        const std::size_t depth = 1 + random.Below(6);
        switch (random.Below(10)) {
        case 0:
            AppendIndent(out, random, depth);
            out += "<!-- ";
            AppendText(out, random, 4);
            out += random.Below(2) ? " -->\r\n" : "\r\n  still a comment\r\n-->\r\n";
            break;
        case 1: {
            AppendIndent(out, random, depth);
            out += "<img src=\"images/photo.jpg\" width=320 height=200\r\n";
            AppendIndent(out, random, depth + 1);
            out += "alt=\"A picture that spans\r\ntwo lines\" border=0>\r\n";
            break;
        }
        case 2:
        case 3: {
            AppendIndent(out, random, depth);
            const std::string_view tag = random.Pick(kBlockTags);
            AppendOpenTag(out, random, tag);
            out += "\r\n";
            break;
        }
        case 4: {
            AppendIndent(out, random, depth);
            out += "</";
            out += random.Pick(kBlockTags);
            out += ">\r\n";
            break;
        }
        default: {
            AppendIndent(out, random, depth);
            AppendText(out, random, 2 + random.Below(8));
            const std::string_view tag = random.Pick(kInlineTags);
            out += ' ';
            AppendOpenTag(out, random, tag);
            AppendText(out, random, 1 + random.Below(4));
            out += "</";
            out += tag;
            out += "> ";
            AppendText(out, random, random.Below(10));
            out += "<br>\r\n";
            break;
        }
        }
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

std::string GenerateOneLinePage(std::size_t bytes, unsigned seed)
{
    std::string page = GenerateHtmlPage(bytes + bytes / 16 + 1024, seed);
    page.erase(std::remove_if(page.begin(), page.end(), [](char c) { return c == '\r' || c == '\n'; }), page.end());
    page.resize(std::min(page.size(), bytes));
    return page;
}

std::string GenerateShortLinesPage(std::size_t lines)
{
    constexpr std::array<std::string_view, 6> kLines = {"<p>", "Short text", "</p>", "", "<li><b>x</b>", "<br>"};
    std::string page;
    page.reserve(lines * 10);
    for (std::size_t i = 0; i < lines; ++i) {
        page += kLines[i % kLines.size()];
        page += "\r\n";
    }
    return page;
}
