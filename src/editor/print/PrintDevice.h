#pragma once
// What the print engine asks of a printer, so that the layout runs the same on a real printer, a
// PDF file or, in tests, a device with fixed metrics. A device measures the print font in its
// dots; a canvas also runs a print job and draws text on the grid the layout computed.

#include "editor/print/EditPrinterInfo.h"
#include "editor/control/EditorSettings.h"
#include "highlight/CustomHighlighter.h"

#include <optional>
#include <string>
#include <string_view>

// The fixed grid every printed character sits on, in dots.
struct TPrintFontMetrics {
    int LineHeight = 0;   // the font's height plus its external leading
    int CharAdvance = 0;  // the font's average character width
    friend bool operator==(const TPrintFontMetrics&, const TPrintFontMetrics&) = default;
};

class TPrintDevice {
public:
    virtual ~TPrintDevice() = default;
    // Read afresh for every page count and every print: the current printer may have changed.
    virtual TEditPrinterInfo PrinterInfo() = 0;
    // The font measured with bold, italic, underline and strike-out all on, so that no style
    // needs more room than the grid gives.
    virtual TPrintFontMetrics GridMetrics(const TEditorFont& font) = 0;
    // Width of a text in the font with the given styles.
    virtual int TextWidth(const TEditorFont& font, FontStyles styles, std::string_view utf8) = 0;
};

struct TPrintTextStyle {
    FontStyles Styles = 0;
    TEditorColor Foreground;
    std::optional<RgbColor> Background;  // none: the page colour already there
    // Every character sits this far from the previous one; 0 keeps the font's own widths.
    int CharAdvance = 0;
};

class TPrintCanvas : public TPrintDevice {
public:
    // Throw an error with the user's text when the job cannot be run.
    virtual void BeginJob(const std::string& title) = 0;
    virtual void NewSheet() = 0;
    virtual void EndJob() = 0;

    // Coordinates in dots from the top left of the printable area; y is the top of a text row.
    virtual void FillRect(int left, int top, int right, int bottom, RgbColor color) = 0;
    virtual void DrawText(int x, int y, const TEditorFont& font, std::u32string_view text,
                          const TPrintTextStyle& style) = 0;
};
