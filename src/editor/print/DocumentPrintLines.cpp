#include "editor/print/DocumentPrintLines.h"

#include "editor/print/EditPrint.h"
#include "editor/text/TextDocument.h"

void SetPrintLinesFromDocument(TEditPrint& print, const TTextDocument& document)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(document.LineCount()));
    for (int line = 0; line < document.LineCount(); ++line)
        lines.emplace_back(document.LineBytes(line));
    print.SetLines(lines, document.Encoding());
}
