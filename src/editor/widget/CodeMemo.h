#pragma once
// The editor control of a document window: a scroll area that paints only the visible lines of a
// core text model, with a gutter, caret and selection, keys run through the keystroke list, and
// colours from a highlighter.

#include "editor/control/EditorModel.h"

#include <QAbstractScrollArea>
#include <memory>

class QMenu;

class TCodeMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TCodeMemo(QWidget* parent = nullptr);
    ~TCodeMemo() override;

    // The model under the widget: the one way in to the page's text, caret, selection, edits,
    // keystrokes and settings. Every change made on it is shown; one of the text raises Changed.
    TEditorModel& Model();
    const TEditorModel& Model() const;

    // Runs a command the user gave outside the keys (a menu): shown once like a key's, a character
    // the page cannot hold refused with an error message instead of an exception.
    void RunCommand(TEditorCommand command);

    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const;
    void SetGutterFont(const QFont& font);
    QFont GutterFont() const;

    // Call after changing Model().Settings() so that the view follows (gutter, scroll bars, caret).
    void ApplySettings();

    // The first line in view (0-based) and the whole lines the view holds.
    int TopLine() const;
    void SetTopLine(int line);
    int LinesInView() const;

    // The caret's place for input methods (Qt::ImCursorRectangle), in widget coordinates.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void KeyDown();  // before the key is processed
    void KeyUp();    // after it
    void Clicked();  // after the mouse button is released
    void Changed();  // after every change of the text

protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
