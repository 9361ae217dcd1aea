// The program's "text|patterns|..." dialog filters turned into Qt name filters.
#include "platform/FileFilter.h"

#include <gtest/gtest.h>

namespace {

TEST(FileFilter, ToNameFilters)
{
    const struct {
        const char* filter;
        std::vector<std::string> expected;
    } cases[] = {
        {"HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files (*.*)|*.*",
         {"HTML (*.html *.htm *.vtml *.vtm)", "All Files (*)"}},
        {"HTML (*.html;*.htm;*.vtml;*.vtm)|*.html;*.htm;*.vtml;*.vtm;|All Files(*.*)|*.*",
         {"HTML (*.html *.htm *.vtml *.vtm)", "All Files (*)"}},
        {"Text files|*.txt", {"Text files (*.txt)"}},
        {"Pages|*.html; *.htm ;;", {"Pages (*.html *.htm)"}},
        {"Anything|", {"Anything (*)"}},
        {"Only a text", {"Only a text (*)"}},
        {"|*.css", {"*.css"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToNameFilters(c.filter), c.expected) << c.filter;
}

}  // namespace
