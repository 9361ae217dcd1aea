#include "editor/DocumentPrintLines.h"

#include "editor/EditPrint.h"
#include "editor/TextDocument.h"

void SetPrintLinesFromDocument(TEditPrint& print, const TTextDocument& document)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(document.LineCount()));
    for (int line = 0; line < document.LineCount(); ++line)
        lines.emplace_back(document.LineBytes(line));
    print.SetLines(lines, document.Encoding());
}
