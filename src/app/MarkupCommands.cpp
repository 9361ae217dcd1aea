// Mark-up commands of the main window: each prepares its dialog, shows it, and writes the mark-up
// built from the dialog's fields into the active page as one undo step.
#include "app/MainU.h"

#include "editor/widget/CodeMemo.h"
#include "editor/EditorModel.h"
#include "editor/TextEncoding.h"
#include "markup/InsertionRules.h"
#include "markup/FormMarkup.h"
#include "markup/LinkMarkup.h"
#include "markup/ListMarkup.h"
#include "markup/TableMarkup.h"
#include "markup/TextMarkup.h"
#include "markup/dialogs/CommentU.h"
#include "markup/dialogs/FontU.h"
#include "markup/dialogs/FormListU.h"
#include "markup/dialogs/FormU.h"
#include "markup/dialogs/FrameU.h"
#include "markup/dialogs/FramesetU.h"
#include "markup/dialogs/HeaderU.h"
#include "markup/dialogs/ImageU.h"
#include "markup/dialogs/InputU.h"
#include "markup/dialogs/LabelU.h"
#include "markup/dialogs/LinkU.h"
#include "markup/dialogs/ListU.h"
#include "markup/dialogs/ParagraphU.h"
#include "markup/dialogs/SoundU.h"
#include "markup/dialogs/TableU.h"
#include "markup/dialogs/TextU.h"
#include "markup/dialogs/TextareaU.h"

#include <QDialog>

namespace {

TCodeMemo& ActiveEditor(const TForm1& main)
{
    return *main.ActiveDocument()->CodeMemo1;
}

// Shows the dialog until it is cancelled or confirmed with mark-up the page can hold, then writes
// the mark-up. Text the page cannot hold is refused before anything is written, and the dialog
// comes back with everything the user typed.
template <class BuildMarkup>
void ShowAndWrite(QDialog& dialog, TCodeMemo& editor, BuildMarkup build)
{
    while (platform().ExecModal(dialog) == QDialog::Accepted) {
        try {
            WriteMarkup(editor.Model(), build());
            return;
        } catch (const EEncodingError& error) {
            platform().ShowError(QString::fromStdString(error.what()));
        }
    }
}

void RunTextStyle(TForm1& main, TTextStyle style)
{
    TCodeMemo& editor = ActiveEditor(main);
    TForm9& dialog = *main.Form9;
    dialog.Prepare(style, editor.SelectedText());
    ShowAndWrite(dialog, editor, [&] { return TextStyleMarkup(style, dialog.Text()); });
}

}  // namespace

void TForm1::Bold1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Bold); }
void TForm1::Italic1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Italic); }
void TForm1::Underline1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Underline); }
void TForm1::Strike1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Strike); }
void TForm1::Subscript1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Subscript); }
void TForm1::Superscript1Click() { if (RequireDocument()) RunTextStyle(*this, TTextStyle::Superscript); }

void TForm1::Break1Click()
{
    if (RequireDocument())
        WriteMarkup(ActiveEditor(*this).Model(), BreakMarkup());
}

void TForm1::Comment1Click()
{
    if (!RequireDocument())
        return;
    Form22->Reset();
    ShowAndWrite(*Form22, ActiveEditor(*this), [this] { return CommentMarkup(Form22->Text()); });
}

void TForm1::Font1Click()
{
    if (!RequireDocument())
        return;
    TCodeMemo& editor = ActiveEditor(*this);
    Form7->Reset(editor.SelectedText());
    ShowAndWrite(*Form7, editor, [this] { return FontMarkup(Form7->Fields()); });
}

void TForm1::Paragraph1Click()
{
    if (!RequireDocument())
        return;
    TCodeMemo& editor = ActiveEditor(*this);
    Form8->Reset(editor.SelectedText());
    ShowAndWrite(*Form8, editor, [this] { return ParagraphMarkup(Form8->Alignment(), Form8->Text()); });
}

void TForm1::Header1Click()
{
    if (!RequireDocument())
        return;
    TCodeMemo& editor = ActiveEditor(*this);
    Form10->Reset(editor.SelectedText());
    ShowAndWrite(*Form10, editor, [this] { return HeaderMarkup(Form10->Fields()); });
}

void TForm1::Link1Click()
{
    if (!RequireDocument())
        return;
    TCodeMemo& editor = ActiveEditor(*this);
    Form6->Reset(editor.SelectedText());
    ShowAndWrite(*Form6, editor, [this] { return LinkMarkup(Form6->Fields()); });
}

void TForm1::Image1Click()
{
    if (!RequireDocument())
        return;
    Form11->Reset();
    ShowAndWrite(*Form11, ActiveEditor(*this), [this] { return ImageMarkup(Form11->Fields()); });
}

void TForm1::Sound1Click()
{
    if (!RequireDocument())
        return;
    Form21->Reset();
    ShowAndWrite(*Form21, ActiveEditor(*this),
                 [this] { return SoundMarkup(Form21->FileName(), Form21->RepeatCount()); });
}

void TForm1::List1Click()
{
    if (!RequireDocument())
        return;
    Form12->Reset();
    ShowAndWrite(*Form12, ActiveEditor(*this), [this] { return ListMarkup(Form12->Entries()); });
}

void TForm1::Table1Click()
{
    if (!RequireDocument())
        return;
    Form13->Reset();
    ShowAndWrite(*Form13, ActiveEditor(*this), [this] { return TableMarkup(Form13->Fields()); });
}

void TForm1::EditFormClick()
{
    if (!RequireDocument())
        return;
    Form14->Reset();
    ShowAndWrite(*Form14, ActiveEditor(*this), [this] { return Form14->Markup(); });
}

void TForm1::Input1Click()
{
    if (!RequireDocument())
        return;
    Form15->Reset();
    ShowAndWrite(*Form15, ActiveEditor(*this), [this] { return Form15->Markup(); });
}

void TForm1::List2Click()
{
    if (!RequireDocument())
        return;
    Form16->Reset();
    ShowAndWrite(*Form16, ActiveEditor(*this), [this] { return SelectListMarkup(Form16->Fields()); });
}

void TForm1::extarea1Click()
{
    if (!RequireDocument())
        return;
    Form17->Reset();
    ShowAndWrite(*Form17, ActiveEditor(*this), [this] { return TextAreaMarkup(Form17->Fields()); });
}

void TForm1::Label1Click()
{
    if (!RequireDocument())
        return;
    Form18->Reset();
    ShowAndWrite(*Form18, ActiveEditor(*this), [this] { return Form18->Markup(); });
}

void TForm1::FrameSet1Click()
{
    if (!RequireDocument())
        return;
    Form19->Reset();
    ShowAndWrite(*Form19, ActiveEditor(*this), [this] { return Form19->Markup(); });
}

void TForm1::Frame2Click()
{
    if (!RequireDocument())
        return;
    Form20->Reset();
    ShowAndWrite(*Form20, ActiveEditor(*this), [this] { return FrameMarkup(Form20->Fields()); });
}
