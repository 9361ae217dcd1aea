#pragma once
// Pages written with the caret as "|" and the selection anchor as "{", for compact command tests.

#include "editor/control/EditorModel.h"

#include <string>

// Loads the page (line feeds between lines) and places caret and anchor.
void LoadMarked(TEditorModel& model, const std::string& marked);
// The page with its caret and anchor marked the same way (markers past a line's end stand right
// after its text).
std::string Marked(const TEditorModel& model);

// A view for the model: fixed size, its own clipboard.
class TTestHost : public TEditorHost {
public:
    int TopLine() const override { return top; }
    int VisibleLines() const override { return lines; }
    int LeftColumn() const override { return left; }
    int VisibleColumns() const override { return columns; }
    void ScrollTo(int topLine, int leftColumn) override { top = topLine; left = leftColumn; }
    std::u32string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::u32string& text) override { clipboard = text; }
    void ContextHelp() override { ++helpRequests; }

    int top = 0, lines = 10, left = 0, columns = 40, helpRequests = 0;
    std::u32string clipboard;
};
