#pragma once
// The main window: an MDI frame holding every open page, with the main menu, two tool bars and a
// four-panel status bar. Every user command is one of its handlers; "Doc" commands refuse to run
// with the no-document message while no page is open.

#include "app/NoDocumentMessage.h"
#include "app/UHTML.h"
#include "platform/Platform.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;
class TFindDialog;
class TForm23;
class TForm3;
class TForm4;
class TForm24;
class TForm5;

inline const QString kApplicationTitle = QStringLiteral("Tallo HTML Editor");

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The document window made at start-up, captioned "Noname"; it has no Window menu entry and
    // no status bindings, and the first show closes it unsaved.
    TForm2* CreateStartupDocument();

    void FormCreate();
    void FormShow();
    CloseAction FormClose();

    void UpdateFilePanel();
    void UpdateCaretPanels();
    void UpdateAllPanels();

    // The frame's active document, or nullptr when none is open.
    TForm2* ActiveDocument() const;
    // Open documents, the active one first, then back through the stacking order.
    QList<TForm2*> Documents() const;
    int DocumentCount() const { return static_cast<int>(Documents().size()); }
    int PageCounter() const { return pageCounter_; }
    QString PanelText(int panel) const;
    // Shows the no-document message when no page is open; true when there is a page to work on.
    // Every command on the active page starts with it.
    bool RequireDocument();
    // The command's help topic, 0 when it has none.
    static int HelpContext(const QAction* action);

    // File, Open's steps after its dialog: the file at path in a new page, or an error box and
    // null when it cannot be read.
    TForm2* OpenPage(const QString& path);
    // The same for a page whose text comes from elsewhere: load fills the new window's editor
    // (throwing EFileError to give up), and the page is captioned and named as given.
    TForm2* OpenDocument(const QString& caption, const QString& path, const std::function<void(TForm2&)>& load);

    // File
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Upload1Click();
    void Print1Click();
    void PrintSetup1Click();
    void Exit1Click();
    // Edit
    void Undo1Click();
    void Redo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void Find1Click();
    void Replace1Click();
    // Code
    void Link1Click();
    void Font1Click();
    void Paragraph1Click();
    void Bold1Click();
    void Italic1Click();
    void Underline1Click();
    void Strike1Click();
    void Header1Click();
    void Subscript1Click();
    void Superscript1Click();
    void Break1Click();
    void Image1Click();
    void List1Click();
    void Table1Click();
    void EditFormClick();
    void Input1Click();
    void List2Click();
    void extarea1Click();
    void Label1Click();
    void FrameSet1Click();
    void Frame2Click();
    void Sound1Click();
    void Comment1Click();
    // Test
    void est2Click();
    // Help
    void HelpContents1Click();
    void About1Click();

    // Dialogs made once at start-up and reused by the commands.
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;
    TForm5* Form5 = nullptr;
    TForm23* Form23 = nullptr;
    TForm24* Form24 = nullptr;
    // The mark-up dialogs, TForm6 to TForm22, made once at start-up as children of this window,
    // found by their class.
    template <class TDialog>
    TDialog* Dialog() const
    {
        return findChild<TDialog*>(QString(), Qt::FindDirectChildrenOnly);
    }

    QMdiArea* MdiArea;
    // The main window's own Find dialog, bound to whichever page is active.
    TFindDialog* FindDialog1 = nullptr;
    QMenu* Window1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    FileDialogOptions OpenDialog1;
    FileDialogOptions SaveDialog1;
    // The program-wide current printer, chosen by Print Setup and used by every print.
    QPrinter& Printer();

signals:
    // The main window closed and the program is to end.
    void Closed();
    // A document window was made, before its page is loaded or set up.
    void DocumentCreated(TForm2* document);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // None: the tool bars are fixed, so right-clicking them or the menu bar offers nothing to hide.
    QMenu* createPopupMenu() override;

private:
    // Runs a command; an error it raises ends it and is shown in the error box. False after an error.
    static bool ReportErrors(const std::function<void()>& command);

    // A page's window in the frame, handed the shared Replace dialog; the start-up page stops here.
    TForm2* CreateDocumentWindow(const QString& caption);
    // The one way a page the user asked for is made: its window, Window menu entry, status panels
    // and bindings, with `fill` putting its text in before the change notices are bound. When
    // `fill` throws, the window goes away unsaved, the file panel is as before, and the error
    // passes on.
    TForm2* AddDocumentWindow(const QString& caption, const QString& fileName,
                              const std::function<void(TForm2&)>& fill);
    void BindActivationAndCaretEvents(TForm2& document);
    void BindChangeEvent(TForm2& document);
    void CreateWindowMenuItem(TForm2& document);
    void InsertWindowMenuItem(TForm2& document);
    // File, Save and File, Save As on one page; they throw when the file cannot be written.
    void SaveDocument(TForm2& document);
    void SaveDocumentAs(TForm2& document);

    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    void ShieldShortcutsFromEditor(TForm2& document);
    void SetPanelText(int panel, const QString& text);

    int pageCounter_ = 0;
    std::unique_ptr<QPrinter> printer_;
    std::array<QLabel*, 4> panels_{};
    QList<QKeySequence> menuShortcuts_;
};
