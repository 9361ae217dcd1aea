#pragma once
// The strip left of the editor's text: line numbers, bookmarks and a border. It asks the model
// what to show and is told by the editor which lines are in view.

#include <QFont>
#include <QWidget>
#include <functional>

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
    // The first line in view, the editor's line height and its text baseline within a line.
    void SetView(int topLine, int lineHeight, int textAscent);
    // The text of a line's number as it is shown.
    QString LineNumberText(int line) const;

    std::function<void(int line)> OnLinePressed;
    std::function<void()> OnReleased;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
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
};
