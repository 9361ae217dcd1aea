#include "app/MainU.h"

#include "app/AboutU.h"
#include "app/DocumentSearch.h"
#include "app/PageFiles.h"
#include "editor/widget/CodeMemo.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QShowEvent>
#include <exception>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent),
      MdiArea(new QMdiArea(this)),
      OpenDialog1(OpenDialogOptions()),
      SaveDialog1(SaveDialogOptions(QString()))
{
    setWindowTitle(kApplicationTitle);
    setCentralWidget(MdiArea);
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    FindDialog1 = CreateMainFindDialog(*this);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    pageCounter_ = 0;
}

TForm2* TForm1::CreateStartupDocument()
{
    return CreateDocumentWindow(QStringLiteral("Noname"));
}

TForm2* TForm1::CreateDocumentWindow(const QString& caption)
{
    auto* document = new TForm2;
    document->ReplaceDialog = Form5;
    document->SetCaption(caption);
    document->PlaceIn(*MdiArea);
    ShieldShortcutsFromEditor(*document);
    emit DocumentCreated(document);
    return document;
}

TForm2* TForm1::AddDocumentWindow(const QString& caption, const QString& fileName,
                                  const std::function<void(TForm2&)>& fill)
{
    TForm2* document = CreateDocumentWindow(caption);
    CreateWindowMenuItem(*document);
    BindActivationAndCaretEvents(*document);
    const QString previousFilePanel = PanelText(0);
    SetPanelText(0, ReadablePath(fileName));
    try {
        fill(*document);
    } catch (...) {
        delete document->SubWindow();
        SetPanelText(0, previousFilePanel);
        throw;
    }
    document->FileName = fileName;
    UpdateCaretPanels();
    BindChangeEvent(*document);
    InsertWindowMenuItem(*document);
    return document;
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A spontaneous show is the desktop restoring the window, not the program showing it.
    if (!event->spontaneous())
        FormShow();
}

void TForm1::FormShow()
{
    if (TForm2* document = ActiveDocument())
        document->SubWindow()->close();
}

CloseAction TForm1::FormClose()
{
    // Each page is visited once, in the order the frame listed them when the close began.
    QList<QPointer<TForm2>> pages;
    for (TForm2* document : Documents())
        pages.append(document);
    for (const QPointer<TForm2>& document : pages) {
        if (!document)
            continue;
        document->BringToFront();
        try {
            SaveDocument(*document);
        } catch (const std::exception& error) {
            platform().ShowError(QString::fromStdString(error.what()));
            return CloseAction::None;
        }
    }
    return CloseAction::Free;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (FormClose() == CloseAction::None) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

namespace {

// A closed sub-window stays in the frame's list until its deferred deletion; it is no longer open.
TForm2* OpenDocumentIn(QMdiSubWindow* subWindow)
{
    if (!subWindow || subWindow->isHidden())
        return nullptr;
    return qobject_cast<TForm2*>(subWindow->widget());
}

}  // namespace

QList<TForm2*> TForm1::Documents() const
{
    QList<TForm2*> documents;
    const QList<QMdiSubWindow*> stacking = MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) {
        if (TForm2* document = OpenDocumentIn(*it))
            documents.append(document);
    }
    if (TForm2* active = OpenDocumentIn(MdiArea->currentSubWindow())) {
        documents.removeOne(active);
        documents.prepend(active);
    }
    return documents;
}

TForm2* TForm1::ActiveDocument() const
{
    const QList<TForm2*> documents = Documents();
    return documents.isEmpty() ? nullptr : documents.first();
}

bool TForm1::RequireDocument()
{
    return ::RequireDocument(ActiveDocument());
}

bool TForm1::ReportErrors(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        platform().ShowError(QString::fromStdString(error.what()));
        return false;
    }
}

void TForm1::BindActivationAndCaretEvents(TForm2& document)
{
    connect(&document, &TForm2::Activated, this, &TForm1::UpdateFilePanel);
    connect(document.CodeMemo1, &TCodeMemo::KeyDown, this, &TForm1::UpdateCaretPanels);
    connect(document.CodeMemo1, &TCodeMemo::KeyUp, this, &TForm1::UpdateCaretPanels);
    connect(document.CodeMemo1, &TCodeMemo::Clicked, this, &TForm1::UpdateCaretPanels);
}

void TForm1::BindChangeEvent(TForm2& document)
{
    connect(document.CodeMemo1, &TCodeMemo::Changed, this, &TForm1::UpdateAllPanels);
}

void TForm1::CreateWindowMenuItem(TForm2& document)
{
    document.WindowMenuItem = new QAction(&document);
    connect(document.WindowMenuItem, &QAction::triggered, &document, &TForm2::BringToFront);
}

void TForm1::InsertWindowMenuItem(TForm2& document)
{
    const QList<QAction*> entries = Window1->actions();
    Window1->insertAction(entries.isEmpty() ? nullptr : entries.first(), document.WindowMenuItem);
    document.WindowMenuItem->setText(MenuEntryText(document.Caption()));
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::Undo1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->Model().Undo();
}

void TForm1::Redo1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->Model().Redo();
}

void TForm1::Cut1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->RunCommand(ecCut);
}

void TForm1::Copy1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->RunCommand(ecCopy);
}

void TForm1::Paste1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->RunCommand(ecPaste);
}

void TForm1::SelectAll1Click()
{
    if (RequireDocument())
        ActiveDocument()->CodeMemo1->Model().SelectAll();
}

void TForm1::HelpContents1Click()
{
    platform().ShowHelp(0);
}

void TForm1::About1Click()
{
    platform().ExecModal(*Form23);
}
