#pragma once
// How lines are laid out on printer pages, in printer dots: the page geometry from the margins,
// the number of columns that fit, where long lines wrap, and which row starts each page. Rows of
// one wrapped line may continue on the next page, so that no row falls below the bottom margin.

#include "editor/print/EditPrintMargins.h"
#include "editor/print/EditPrinterInfo.h"
#include "editor/print/PrintDevice.h"
#include "editor/text/TextEncoding.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

struct TPageGeometry {
    int MarginLeft = 0;  // the left margin; line numbers end at TextLeft
    int TextLeft = 0;
    int TextRight = 0;
    int TextTop = 0;
    int TextBottom = 0;
    int HeaderLine = 0;
    int FooterLine = 0;
    int InternalMargin = 0;
    int HeaderFooterLeft = 0;
    int HeaderFooterRight = 0;
    friend bool operator==(const TPageGeometry&, const TPageGeometry&) = default;
};

// lineNumberWidth is the room taken by line numbers inside the left margin (0 for none).
TPageGeometry ComputePageGeometry(const TEditPrintMargins& margins, const TEditPrinterInfo& printer,
                                  int lineNumberWidth);

// How many "W" fit in the width: one fewer than the count whose width reaches or passes it; at
// least 1, so that a page narrower than a character still prints.
int CountColumns(TPrintDevice& device, const TEditorFont& font, int width);

// Byte offsets in the line where printed rows after the first start; empty when the line fits.
// Breaks go just after a tab, blank, "," or "-", else just after ")", "." or ";"; a row still
// longer than maxColumns is cut every maxColumns characters.
void FindWrapPositions(std::string_view line, TDocumentEncoding encoding, int maxColumns,
                       std::vector<std::size_t>& positions);

struct TPrintPageStart {
    int Line = 0;
    int Row = 0;  // the first row of that line printed on the page
    friend bool operator==(const TPrintPageStart&, const TPrintPageStart&) = default;
};

// Starts of the pages for lineCount lines of rowCount(line) rows each; every page gets at least
// one row, and an empty list still makes one page.
std::vector<TPrintPageStart> Paginate(int lineCount, const std::function<int(int line)>& rowCount,
                                      const TPageGeometry& geometry, int lineHeight);
