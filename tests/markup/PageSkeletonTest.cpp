// The page that File, New writes, byte for byte, and the colour notation it uses.
#include "markup/PageSkeleton.h"
#include "markup/ColorToHtmlHex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string Expected(const std::string& meta, const std::string& title, const std::string& body,
                     const std::string& text)
{
    return "<!doctype html public \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r\n"
           "<html>\r\n"
           "<head>\r\n" +
           meta + "<title>" + title + "</title>\r\n" +
           "</head>\r\n" + body + "\r\n" + text + "\r\n</body>\r\n</html>";
}

std::string Meta(const std::string& encoding, const std::string& author, const std::string& description,
                 const std::string& keywords)
{
    return "<meta http-equiv=\"Content-Type\" content=\"text/html;charset=" + encoding + "\">\r\n" +
           "<meta name=\"generator\" content=\"Tallo HTML Editor\">\r\n" + "<meta name=\"author\" content=\"" +
           author + "\">\r\n" + "<meta name=\"description\" content=\"" + description + "\">\r\n" +
           "<meta name=\"keywords\" content=\"" + keywords + "\">\r\n";
}

const std::string kDefaultBody =
    "<body background=\"\" topmargin=\"10\" leftmargin=\"10\" bgcolor=\"FFFFFF\" text=\"000000\" "
    "link=\"0000FF\" vlink=\"0000FF\" alink=\"0000FF\">";

TEST(ColorToHtmlHex, WritesSixUpperCaseDigitsRedFirst)
{
    const struct {
        std::uint32_t colour;
        const char* hex;
    } cases[] = {
        {0xFF0000, "FF0000"}, {0x0000FF, "0000FF"}, {0x000000, "000000"}, {0xFFFFFF, "FFFFFF"},
        {0x00FF00, "00FF00"}, {0x0A0B0C, "0A0B0C"}, {0xABCDEF, "ABCDEF"}, {0xFF123456, "123456"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToHtmlHex(c.colour), c.hex) << std::hex << c.colour;
}

TEST(PageSkeleton, DefaultsGiveFourteenLinesWithAnEmptyTextLineAndNoFinalBreak)
{
    const std::string page = BuildPageSkeleton({});
    EXPECT_EQ(page, Expected(Meta("UTF-8", "", "", ""), "", kDefaultBody, ""));

    int pairs = 0;
    for (std::size_t at = page.find("\r\n"); at != std::string::npos; at = page.find("\r\n", at + 2))
        ++pairs;
    EXPECT_EQ(pairs, 13);
    EXPECT_EQ(std::count(page.begin(), page.end(), '\r'), 13) << "only CR LF line breaks";
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 13) << "only CR LF line breaks";
    EXPECT_EQ(page.substr(page.size() - 9), "\r\n</html>");
}

TEST(PageSkeleton, FieldsAreWrittenExactlyAsTyped)
{
    struct Case {
        const char* name;
        PageSkeletonFields fields;
        std::string expected;
    };
    auto with = [](auto change) {
        PageSkeletonFields f;
        change(f);
        return f;
    };
    const Case cases[] = {
        {"typed fields",
         with([](PageSkeletonFields& f) {
             f.author = "Ann Lee";
             f.description = "My page";
             f.keywords = "html, editor";
             f.title = "Home";
             f.backgroundImage = "img/bg.png";
             f.topMargin = "0";
             f.leftMargin = "5";
         }),
         Expected(Meta("UTF-8", "Ann Lee", "My page", "html, editor"), "Home",
                  "<body background=\"img/bg.png\" topmargin=\"0\" leftmargin=\"5\" bgcolor=\"FFFFFF\" "
                  "text=\"000000\" link=\"0000FF\" vlink=\"0000FF\" alink=\"0000FF\">",
                  "")},
        {"typed encoding not in the list",
         with([](PageSkeletonFields& f) { f.encoding = "koi8-r"; }),
         Expected(Meta("koi8-r", "", "", ""), "", kDefaultBody, "")},
        {"quotes, ampersands and angle brackets unchanged",
         with([](PageSkeletonFields& f) {
             f.author = "A \"B\" & <C>";
             f.title = "<b>&amp;</b>";
             f.topMargin = "ten\"";
         }),
         Expected(Meta("UTF-8", "A \"B\" & <C>", "", ""), "<b>&amp;</b>",
                  "<body background=\"\" topmargin=\"ten\"\" leftmargin=\"10\" bgcolor=\"FFFFFF\" "
                  "text=\"000000\" link=\"0000FF\" vlink=\"0000FF\" alink=\"0000FF\">",
                  "")},
        {"spaces are not trimmed, margins not checked",
         with([](PageSkeletonFields& f) {
             f.title = "  x  ";
             f.leftMargin = "";
         }),
         Expected(Meta("UTF-8", "", "", ""), "  x  ",
                  "<body background=\"\" topmargin=\"10\" leftmargin=\"\" bgcolor=\"FFFFFF\" "
                  "text=\"000000\" link=\"0000FF\" vlink=\"0000FF\" alink=\"0000FF\">",
                  "")},
        {"two lines of text without a final Enter",
         with([](PageSkeletonFields& f) { f.text = "Hello\r\nWorld"; }),
         Expected(Meta("UTF-8", "", "", ""), "", kDefaultBody, "Hello\r\nWorld")},
        {"two lines of text ending with Enter leave an empty line",
         with([](PageSkeletonFields& f) { f.text = "Hello\r\nWorld\r\n"; }),
         Expected(Meta("UTF-8", "", "", ""), "", kDefaultBody, "Hello\r\nWorld\r\n")},
        {"colours red and blue",
         with([](PageSkeletonFields& f) {
             f.backgroundColor = 0xFF0000;
             f.textColor = 0x0000FF;
             f.linkColor = 0x00FF00;
             f.visitedLinkColor = 0x123456;
             f.activeLinkColor = 0xFFFFFF;
         }),
         Expected(Meta("UTF-8", "", "", ""), "",
                  "<body background=\"\" topmargin=\"10\" leftmargin=\"10\" bgcolor=\"FF0000\" "
                  "text=\"0000FF\" link=\"00FF00\" vlink=\"123456\" alink=\"FFFFFF\">",
                  "")},
        {"UTF-8 text passes through as bytes",
         with([](PageSkeletonFields& f) { f.title = "Gr\xC3\xBC\xC3\x9F" "e"; }),
         Expected(Meta("UTF-8", "", "", ""), "Gr\xC3\xBC\xC3\x9F" "e", kDefaultBody, "")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPageSkeleton(c.fields), c.expected) << c.name;
}

}  // namespace
