#include "base/PathName.h"

#include <gtest/gtest.h>

namespace {

TEST(PathName, FileNamePartIsTheTextAfterTheLastSlash)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/ann/site/index.html", "index.html"},
        {"index.html", "index.html"},
        {"/dir/", ""},
        {"/", ""},
        {"", ""},
        {"a b/naïve page.html", "naïve page.html"},
        {"C:\\pages\\x.html", "C:\\pages\\x.html"},  // a backslash is part of a Linux file name
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(FileNamePart(path), name) << path;
}

}  // namespace
