#include "platform/FileFilter.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string TrimRight(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// "HTML (*.html;*.htm)" -> "HTML": the patterns are written again from the pattern field.
std::string LabelWithoutPatterns(const std::string& text)
{
    const std::string trimmed = TrimRight(text);
    if (!trimmed.empty() && trimmed.back() == ')') {
        const std::size_t open = trimmed.rfind('(');
        if (open != std::string::npos)
            return TrimRight(trimmed.substr(0, open));
    }
    return trimmed;
}

std::string QtPatterns(const std::string& patterns)
{
    std::string joined;
    for (std::string pattern : Split(patterns, ';')) {
        while (!pattern.empty() && pattern.front() == ' ')
            pattern.erase(pattern.begin());
        pattern = TrimRight(pattern);
        if (pattern.empty())
            continue;
        if (pattern == "*.*")
            pattern = "*";
        if (!joined.empty())
            joined += ' ';
        joined += pattern;
    }
    return joined.empty() ? "*" : joined;
}

}  // namespace

std::vector<std::string> ToNameFilters(const std::string& filter)
{
    std::vector<std::string> nameFilters;
    if (filter.empty())
        return nameFilters;
    const std::vector<std::string> fields = Split(filter, '|');
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        const std::string patterns = i + 1 < fields.size() ? fields[i + 1] : std::string();
        std::string label = LabelWithoutPatterns(fields[i]);
        const std::string qtPatterns = QtPatterns(patterns);
        nameFilters.push_back(label.empty() ? qtPatterns : label + " (" + qtPatterns + ")");
    }
    return nameFilters;
}
