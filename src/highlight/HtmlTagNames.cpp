#include "highlight/HtmlTagNames.h"

#include "highlight/HtmlCharClasses.h"

std::uint64_t TagNameValue(std::string_view name)
{
    std::uint64_t sum = 0;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        sum += html_chars::Has(c, html_chars::kDecimalDigit) ? std::uint64_t(c - '0') : html_chars::kCharValue[c];
    }
    return sum;
}

bool TagNameEquals(std::string_view candidate, std::string_view name, bool closingForm)
{
    if (closingForm) {
        if (candidate.empty() || candidate.front() != '/')
            return false;
        candidate.remove_prefix(1);
    }
    if (candidate.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = candidate[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - ('a' - 'A'));
        if (c != name[i])
            return false;
    }
    return true;
}
