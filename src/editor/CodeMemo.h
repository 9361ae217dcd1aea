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

    void SetHighlighter(TCustomHighlighter* highlighter);
    TCustomHighlighter* Highlighter() const;
    void SetPopupMenu(QMenu* menu);
    void SetGutterFont(const QFont& font);

    TEditKeyStrokes& Keystrokes();
    EditorSettings& Settings();

signals:
    void KeyDown();  // before the key is processed
    void KeyUp();    // after it
    void Clicked();  // after the mouse button is released
    void Changed();  // after every change of the text

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
