#pragma once
// Fills a print engine's lines from an open document, as setting the engine's lines does (tabs
// expanded), for printing what the editor holds rather than what its file holds.

class TEditPrint;
class TTextDocument;

void SetPrintLinesFromDocument(TEditPrint& print, const TTextDocument& document);
