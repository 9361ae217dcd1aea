#include "app/DocumentSearch.h"

#include "app/MainU.h"
#include "app/ReplaceU.h"
#include "app/UHTML.h"
#include "editor/widget/CodeMemo.h"
#include "editor/search/SearchReplace.h"
#include "app/FindDialog.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <exception>

namespace {

constexpr char kObjectName[] = "DocumentSearch";

TSearchReplaceOptions FlagsOf(const TForm2& document)
{
    return {.MatchCase = document.MatchCase, .WholeWord = document.WholeWord, .Backwards = document.Backwards};
}

// One step of replacing one by one: find the next match and replace it.
void ReplaceNext(TForm2& target)
{
    // Only a match this search selected is replaced, never a selection the user had made before.
    if (!FindNext(target))
        return;
    TEditorModel& editor = target.CodeMemo1->Model();
    const TTextPosition matchStart = editor.BlockBegin();
    target.CodeMemo1->Model().ReplaceSelection(target.ReplaceText.toStdU32String());
    // Searching up goes on before the replacement, so a replacement holding the search text is
    // not found again.
    if (target.Backwards)
        editor.SetCaret(matchStart);
}

}  // namespace

TDocumentSearch::TDocumentSearch(TForm2& document) : QObject(&document), FindDialog1(new TFindDialog(&document))
{
    setObjectName(QString::fromLatin1(kObjectName));
    TForm2* target = &document;
    connect(FindDialog1, &TFindDialog::OnFind, this, [this, target] { FindDialogFind(*FindDialog1, target); });
}

TDocumentSearch& TDocumentSearch::Of(TForm2& document)
{
    if (auto* attached = document.findChild<TDocumentSearch*>(QString::fromLatin1(kObjectName),
                                                              Qt::FindDirectChildrenOnly))
        return *attached;
    return *new TDocumentSearch(document);
}

bool FindNext(TForm2& document)
{
    return SearchReplace(document.CodeMemo1->Model(), &TDocumentSearch::Of(document).EditSearch1,
                         document.SearchText.toStdU32String(), U"", FlagsOf(document)) > 0;
}

void ReplaceAll(TForm2& document)
{
    TSearchReplaceOptions options = FlagsOf(document);
    options.Replace = options.ReplaceAll = options.Prompt = true;
    SearchReplace(document.CodeMemo1->Model(), &TDocumentSearch::Of(document).EditSearch1,
                  document.SearchText.toStdU32String(), document.ReplaceText.toStdU32String(), options);
}

void FindDialogFind(const TFindDialog& dialog, TForm2* target)
{
    if (!RequireDocument(target))
        return;
    target->MatchCase = dialog.MatchCase();
    target->WholeWord = dialog.WholeWord();
    target->Backwards = dialog.Backwards();
    target->SearchText = dialog.FindText();
    FindNext(*target);
}

TFindDialog* CreateMainFindDialog(TForm1& mainWindow)
{
    auto* dialog = new TFindDialog(&mainWindow);
    QObject::connect(dialog, &TFindDialog::OnFind, &mainWindow,
                     [dialog, &mainWindow] { FindDialogFind(*dialog, mainWindow.ActiveDocument()); });
    return dialog;
}

void ShowDocumentFindDialog(TForm2& document)
{
    platform().ShowModeless(*TDocumentSearch::Of(document).FindDialog1);
}

void ReplaceCommand(TForm5& dialog, TForm2& target)
{
    platform().ExecModal(dialog);
    if (dialog.Outcome == TReplaceOutcome::None)
        return;
    target.MatchCase = dialog.CheckBox1->isChecked();
    target.WholeWord = dialog.CheckBox2->isChecked();
    target.Backwards = !dialog.RadioButton2->isChecked();
    target.SearchText = dialog.Edit1->text();
    target.ReplaceText = dialog.Edit2->text();
    try {
        if (dialog.Outcome == TReplaceOutcome::ReplaceAll) {
            ReplaceAll(target);
            return;
        }
        // The question comes after every step, also when nothing was left to replace; only No ends it.
        do
            ReplaceNext(target);
        while (platform().Confirm(QStringLiteral("Confirm"), QStringLiteral("Do You want to replace next?")));
    } catch (const std::exception& error) {
        // A replacement the page cannot hold: the command ends in the error box, the page unchanged.
        platform().ShowError(QString::fromUtf8(error.what()));
    }
}
