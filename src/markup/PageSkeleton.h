#pragma once
// The HTML 4.01 Strict skeleton that File, New writes from the answers of the New HTML Page dialog.

#include <cstdint>
#include <string>

// Field values as typed (UTF-8), written without trimming or escaping; colours are 0xRRGGBB.
struct PageSkeletonFields {
    std::string encoding = "UTF-8";
    std::string author;
    std::string description;
    std::string keywords;
    std::string title;
    std::string backgroundImage;
    std::string topMargin = "10";
    std::string leftMargin = "10";
    // The text box's content with its lines joined by CR LF; a final CR LF only when one was typed.
    std::string text;
    std::uint32_t backgroundColor = 0xFFFFFF;
    std::uint32_t textColor = 0x000000;
    std::uint32_t linkColor = 0x0000FF;
    std::uint32_t visitedLinkColor = 0x0000FF;
    std::uint32_t activeLinkColor = 0x0000FF;
};

// Fourteen lines joined by CR LF, the last ("</html>") without a line break.
std::string BuildPageSkeleton(const PageSkeletonFields& fields);
