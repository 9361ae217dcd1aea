#include "markup/PageSkeleton.h"

#include "markup/ColorToHtmlHex.h"

std::string BuildPageSkeleton(const PageSkeletonFields& f)
{
    static const std::string kBreak = "\r\n";
    std::string page;
    page += "<!doctype html public \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">" + kBreak;
    page += "<html>" + kBreak;
    page += "<head>" + kBreak;
    page += "<meta http-equiv=\"Content-Type\" content=\"text/html;charset=" + f.encoding + "\">" + kBreak;
    page += "<meta name=\"generator\" content=\"Tallo HTML Editor\">" + kBreak;
    page += "<meta name=\"author\" content=\"" + f.author + "\">" + kBreak;
    page += "<meta name=\"description\" content=\"" + f.description + "\">" + kBreak;
    page += "<meta name=\"keywords\" content=\"" + f.keywords + "\">" + kBreak;
    page += "<title>" + f.title + "</title>" + kBreak;
    page += "</head>" + kBreak;
    page += "<body background=\"" + f.backgroundImage + "\" topmargin=\"" + f.topMargin + "\" leftmargin=\"" +
            f.leftMargin + "\" bgcolor=\"" + ColorToHtmlHex(f.backgroundColor) + "\" text=\"" +
            ColorToHtmlHex(f.textColor) + "\" link=\"" + ColorToHtmlHex(f.linkColor) + "\" vlink=\"" +
            ColorToHtmlHex(f.visitedLinkColor) + "\" alink=\"" + ColorToHtmlHex(f.activeLinkColor) + "\">" + kBreak;
    page += f.text + kBreak;
    page += "</body>" + kBreak;
    page += "</html>";
    return page;
}
