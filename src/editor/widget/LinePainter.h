#pragma once
// Paints one line of the editor: its characters decoded per the page's encoding, tabs expanded,
// coloured token by token through the highlighter, with the selection on top. Only the columns in
// view are decoded and drawn, from the character at the view's left edge on, so that the far end of
// a line of megabytes costs no more than its start.

#include "editor/text/HighlightStore.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QPainter;
class TEditorModel;

// Where text lands in the viewport and in which colours.
struct TTextView {
    int TextLeft = 0;        // x of display column LeftColumn
    int CharWidth = 8;
    int LineHeight = 16;
    int Ascent = 12;
    int LeftColumn = 0;
    int ColumnsInView = 80;  // columns drawn from LeftColumn on, the last one maybe in part
    QColor Text;
    QColor Background;
    QColor SelectionText;
    QColor SelectionBackground;
};

// Bytes of a line that can show within the first endColumn display columns.
std::size_t VisibleByteBound(int endColumn);

class TLinePainter {
public:
    explicit TLinePainter(TEditorModel& model);

    // The font in its sixteen style variants, each spaced to the given character cell width.
    void SetFont(const QFont& font, int cellWidth);

    // Paints line at top y. A highlighter fault is handed to onError and the line is painted plain.
    void Paint(QPainter& painter, const TTextView& view, int line, int y,
               const std::function<void(const std::string&)>& onError);

    // Widest line seen by Paint so far, in display columns (an estimate for very long lines).
    int WidestLine() const { return widestLine_; }
    void ForgetWidestLine() { widestLine_ = 0; }

private:
    struct Run {
        int X = 0;
        QString Text;
        int FontIndex = 0;
        QColor Foreground;
    };

    // Where the line's view starts: the first character shown, its byte and display column.
    struct ViewStart {
        std::size_t Byte = 0;
        int Display = 0;
    };

    void CollectTokens(int line, std::size_t lineSize, ViewStart start, std::size_t byteBound,
                       const std::function<void(const std::string&)>& onError);
    void BuildRuns(const TTextView& view, std::string_view bytes, ViewStart start, QPainter& painter, int y);

    TEditorModel& model_;
    std::array<QFont, 16> fonts_;
    std::vector<TLineToken> tokens_;
    std::vector<Run> runs_;
    int widestLine_ = 0;
};
