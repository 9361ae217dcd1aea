#pragma once
// The print engine of a document window: its own list of lines laid out on printer pages on a fixed
// character grid, with the highlighter's styles and colours, line numbers and word wrap, and
// printed through a canvas, every copy a complete run of the pages. The page count is cached until
// the lines, the font, the highlighter or anything the layout depends on changes.

#include "editor/print/EditPrintMargins.h"
#include "editor/control/EditorSettings.h"
#include "editor/print/PrintDevice.h"
#include "editor/print/PrintLayout.h"
#include "editor/print/PrintLines.h"

#include <cstdint>
#include <string>
#include <vector>

class TCustomHighlighter;

// Everything a layout was computed for and from.
struct TPrintLayout {
    TEditPrinterInfo Printer;
    TPrintFontMetrics Grid;
    TPageGeometry Geometry;
    int MaxColumns = 0;
    int MaxLineWidth = 0;  // the width of MaxColumns "W"
    std::vector<TPrintPageStart> Pages;
};

class TEditPrint {
public:
    TEditPrint();

    // Copies the lines, expanding tabs to TabWidth.
    void SetLines(const std::vector<std::string>& lines, TDocumentEncoding encoding);
    // The page file as it stands, tabs kept (one character cell each). Throws EFileError
    // "Cannot open file <path>" and then keeps the lines it had.
    void LoadFromFile(const std::string& path);
    const TPrintLines& Lines() const { return lines_; }

    const TEditorFont& Font() const { return font_; }
    void SetFont(const TEditorFont& font);
    TCustomHighlighter* Highlighter() const { return highlighter_; }
    // The highlighter must outlive the engine or be replaced first.
    void SetHighlighter(TCustomHighlighter* highlighter);

    std::string Title;
    std::string DocTitle;  // names the print job instead of Title when not empty
    int Copies = 1;
    RgbColor Color = 0xFFFFFF;  // the page
    int TabWidth = 8;
    bool Highlight = true;
    bool Colors = false;
    bool LineNumbers = false;
    bool Wrap = true;
    bool LineNumbersInMargin = false;
    int LineOffset = 0;  // added to the printed line numbers
    TEditPrintMargins Margins;

    // Number of pages the lines take on the device.
    int PageCount(TPrintDevice& device);
    // The layout of the last page count or print, computed again when anything it depends on changed.
    const TPrintLayout& Layout(TPrintDevice& device);
    // Prints all pages Copies times on a job named by DocTitle or Title.
    void Print(TPrintCanvas& canvas);

    // Lines handed to the highlighter since creation (for tests and benchmarks).
    std::int64_t HighlightedLineCount() const { return highlightedLines_; }

private:
    struct TLayoutInputs {
        TEditPrinterInfo Printer;
        TPrintFontMetrics Grid;
        int LineNumberWidth = 0;
        TEditPrintMargins Margins;
        bool Wrap = false;
        int LineCount = 0;
        friend bool operator==(const TLayoutInputs&, const TLayoutInputs&) = default;
    };

    bool Highlighting() const { return Highlight && highlighter_ != nullptr; }
    void ScanHighlighterStates();
    int LineNumberWidth(TPrintDevice& device) const;
    // Byte offsets of the rows of a line on the current layout: its start, then every wrap position.
    void RowStarts(int line, std::vector<std::size_t>& starts) const;
    // Byte offset where a row ends, given the row starts of its line.
    std::size_t RowEnd(int line, const std::vector<std::size_t>& starts, std::size_t row) const;
    void PrintPage(TPrintCanvas& canvas, std::size_t page);
    void PrintLineNumber(TPrintCanvas& canvas, int line, int y);
    // Rows [firstRow, endRow) of a line whose row starts are given, the first at y.
    void PrintRows(TPrintCanvas& canvas, int line, const std::vector<std::size_t>& starts, int firstRow,
                   int endRow, int y);

    TPrintLines lines_;
    TEditorFont font_;
    TCustomHighlighter* highlighter_ = nullptr;

    // Made stale by the lines, the font and the highlighter.
    bool layoutStale_ = true;
    bool statesStale_ = true;
    std::vector<std::int32_t> endStates_;
    std::int64_t highlightedLines_ = 0;
    TLayoutInputs inputs_;
    TPrintLayout layout_;
};

// Page order of a print: every copy runs through all pages.
std::vector<int> PrintOrder(int pageCount, int copies);
