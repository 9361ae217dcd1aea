#pragma once
// The document window: one open page in an MDI child of the main window. It owns the page's editor,
// highlighter and context menu, and saves the page on its own when the user closes it.

#include "platform/Platform.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class TCodeMemo;
class TEditPrint;
class TForm5;
class THtmlHighlighter;

enum class CloseAction { None, Free };

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Puts the window into the frame in its own sub-window, which frees itself when closed.
    QMdiSubWindow* PlaceIn(QMdiArea& frame);
    QMdiSubWindow* SubWindow() const;
    // Shows the window and makes it the frame's active document.
    void BringToFront();

    // The page's display name: window title, Window menu entry, save dialog title.
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    // Runs when the user closes the window: saves the page (asking for a file if it has none) and
    // frees the window, unless the write fails.
    CloseAction FormClose();

    // Context menu commands, on this window's editor only.
    void Undo1Click();
    void Redo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void Find1Click();
    void Replace1Click();

    // The page's file, read or written; both throw EFileError. Before the page overwrites its own
    // file (FileName), ConfirmOverwrite may ask the user; WritePage is false when the answer kept
    // the file as it is.
    void LoadPage(const QString& path);
    bool WritePage(const QString& path);
    std::function<bool()> ConfirmOverwrite;

    // This page's search operations on its search fields; FindNext is true when it found a match.
    bool FindNext();
    void ReplaceAll();

    QString FileName;
    QString SearchText;
    QString ReplaceText;
    bool MatchCase = false;
    bool WholeWord = false;
    bool Backwards = false;
    // This page's entry in the main window's Window menu; owned by the page.
    QAction* WindowMenuItem = nullptr;
    // The main window's Replace dialog, shared by every page; handed in when the window is made.
    TForm5* ReplaceDialog = nullptr;

    TCodeMemo* CodeMemo1;
    std::unique_ptr<THtmlHighlighter> HtmlHighlighter1;
    // The page's print engine, printing with the page's highlighter.
    std::unique_ptr<TEditPrint> EditPrint1;
    QMenu* PopupMenu1;
    // The save dialog used when a page without a file is closed; remembers its last path.
    FileDialogOptions SaveDialog1;

signals:
    // The sub-window became the frame's active one.
    void Activated();
    // The page's text was read from, or written to, the file at path.
    void PageRead(const QString& path);
    void PageWritten(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildPopupMenu();

    QString caption_;
};
