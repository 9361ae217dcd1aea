#pragma once
// The strip left of the editor's text: line numbers, bookmarks and a border. It asks the model
// what to show and is told by the editor which lines are in view.

#include <QFont>
#include <QWidget>
#include <functional>
#include <vector>

class TEditorModel;
struct TGutterSettings;

class TGutterWidget : public QWidget {
public:
    TGutterWidget(TEditorModel& model, QWidget* parent);

    void SetGutterFont(const QFont& font);
    const QFont& GutterFont() const { return font_; }
    // The width the settings and the line count ask for: the set width, or more when the line
    // numbers need more digits than fit. 0 when the gutter is hidden.
    int RequiredWidth() const;
    // The first line in view, the editor's line height and its text baseline within a line. A new
    // first line moves the painted rows with their lines and repaints the rows uncovered.
    void SetView(int topLine, int lineHeight, int textAscent);
    // Repaints the rows whose number or bookmarks changed since they were painted (after edits).
    void UpdateChangedRows();
    // The text of a line's number as it is shown.
    QString LineNumberText(int line) const;

    std::function<void(int line)> OnLinePressed;
    std::function<void()> OnReleased;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What a row shows: its line's number (none: -1) with the digits it is padded to, and the
    // bookmarks on its line, a bit each.
    struct RowContent {
        static constexpr int kUnpainted = -2;
        int Line = -1;
        int Digits = 0;
        int Bookmarks = 0;
        friend bool operator==(const RowContent&, const RowContent&) = default;
    };
    std::vector<RowContent> RowsShown() const;
    void MoveRows(int delta);
    void PaintRow(QPainter& painter, int row, const RowContent& content);

    const TGutterSettings& Settings() const;
    int DigitsShown() const;
    void PaintBackground(QPainter& painter);
    void PaintBorder(QPainter& painter);
    void PaintBookmark(QPainter& painter, int index, int y);

    TEditorModel& model_;
    QFont font_;
    int topLine_ = 0;
    int lineHeight_ = 16;
    int textAscent_ = 12;
    std::vector<RowContent> painted_;
};
