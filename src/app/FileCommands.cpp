// File commands of the main window: New, Open, Save and Save As.
#include "app/MainU.h"
#include "app/InterruptedSaveOffer.h"

#include "app/NewU.h"
#include "app/PageFiles.h"
#include "editor/widget/CodeMemo.h"

#include <QAction>
#include <QDialog>
#include <QMdiSubWindow>

void TForm1::New1Click()
{
    Form24->Reset();
    // The page's window stands behind the New HTML Page dialog; a cancelled dialog leaves it empty.
    AddDocumentWindow(QStringLiteral("Noname") + QString::number(pageCounter_), QString(), [this](TForm2& document) {
        if (platform().ExecModal(*Form24) == QDialog::Accepted)
            document.CodeMemo1->Model().SetText(BuildPageSkeleton(Form24->SkeletonFields()));
    });
    ++pageCounter_;
}

void TForm1::Open1Click()
{
    const std::optional<QString> path = platform().GetOpenFileName(this, OpenDialog1);
    if (!path)
        return;
    OpenDialog1.initialPath = *path;
    OpenPage(*path);
}

TForm2* TForm1::OpenPage(const QString& path)
{
    OfferPreviousVersionsOf(NativePath(path));
    return OpenDocument(FileNamePart(path), path, [&path](TForm2& document) { document.LoadPage(path); });
}

TForm2* TForm1::OpenDocument(const QString& caption, const QString& path, const std::function<void(TForm2&)>& load)
{
    TForm2* document = nullptr;
    // A window that never got its file is not a page: it goes away unsaved.
    ReportErrors([&] { document = AddDocumentWindow(caption, path, load); });
    return document;
}

void TForm1::Save1Click()
{
    if (RequireDocument())
        ReportErrors([this] { SaveDocument(*ActiveDocument()); });
}

void TForm1::SaveAs1Click()
{
    if (RequireDocument())
        ReportErrors([this] { SaveDocumentAs(*ActiveDocument()); });
}

void TForm1::SaveDocument(TForm2& document)
{
    if (document.FileName.isEmpty())
        SaveDocumentAs(document);
    else
        document.WritePage(document.FileName);
}

void TForm1::SaveDocumentAs(TForm2& document)
{
    SaveDialog1.title = SaveDialogTitle(document.Caption());
    const std::optional<QString> path = platform().GetSaveFileName(this, SaveDialog1);
    if (!path)
        return;
    SaveDialog1.initialPath = *path;
    // Written first, so that a failed write leaves the page's name, entry and panel as they were.
    if (!document.WritePage(*path))
        return;
    SetPanelText(0, ReadablePath(*path));
    document.SetCaption(FileNamePart(*path));
    if (document.WindowMenuItem)
        document.WindowMenuItem->setText(MenuEntryText(document.Caption()));
    document.FileName = *path;
}
