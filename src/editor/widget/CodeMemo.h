#pragma once
// The editor control of a document window: a scroll area that paints only the visible lines of a
// core text model, with a gutter, caret and selection, keys run through the keystroke list, and
// colours from a highlighter.

#include <QAbstractScrollArea>
#include <QString>
#include <memory>
#include <string>

class QMenu;
class TCustomHighlighter;
class TEditKeyStrokes;
class TEditorModel;
struct EditorSettings;

class TCodeMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TCodeMemo(QWidget* parent = nullptr);
    ~TCodeMemo() override;

    // Whole text from a string (bytes of the page), split at CR LF, CR or LF; a new page saves with CR LF.
    void SetText(const std::string& bytes);
    // Throw EFileError ("Cannot open file %s" / "Cannot create file %s") and leave everything as it was.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    // The whole text as the save rule would write it.
    std::string Text() const;
    int LineCount() const;

    // Editor operations used by commands; character indexes from 0, a line break counts 2.
    QString SelectedText() const;
    // Throws EEncodingError, changing nothing, when the page's encoding cannot hold a character.
    void ReplaceSelection(const QString& text);
    int SelectionStart() const;
    void SetSelectionStart(int index);
    int SelectionLength() const;
    void SetSelectionLength(int length);

    int CaretLine() const;    // 1-based
    int CaretColumn() const;  // 1-based
    bool InsertMode() const;
    void SetInsertMode(bool on);

    void Undo();
    void Redo();
    void CutToClipboard();
    void CopyToClipboard();
    void PasteFromClipboard();
    void SelectAll();

    // The highlighter must outlive the editor, or be detached (nullptr) before it goes.
    void SetHighlighter(TCustomHighlighter* highlighter);
    TCustomHighlighter* Highlighter() const;
    void SetPopupMenu(QMenu* menu);
    QMenu* PopupMenu() const;
    void SetGutterFont(const QFont& font);
    QFont GutterFont() const;

    TEditKeyStrokes& Keystrokes();
    EditorSettings& Settings();
    // Call after changing Settings() so that the view follows (gutter, scroll bars, caret).
    void ApplySettings();

    // The model under the widget, for the search and print operations. Edits made on it directly
    // are shown and raise Changed like the widget's own.
    TEditorModel& Model();
    const TEditorModel& Model() const;

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
