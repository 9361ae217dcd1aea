// Mark-up commands of the main window, one row each: the dialog the command shows, made ready for
// it, and whether it takes the selected text. Every command resets its dialog, shows it, and
// writes the mark-up the dialog gives back into the active page as one undo step.
#include "app/MainU.h"

#include "editor/widget/CodeMemo.h"
#include "editor/control/EditorModel.h"
#include "editor/text/TextEncoding.h"
#include "markup/InsertionRules.h"
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

namespace {

// Reading a large selection is not free; only the wrapping commands need it.
enum class TSelectionUse { Wraps, Ignores };

using TDialogOf = TMarkupDialog& (*)(const TForm1&);

template <class TDialog>
TMarkupDialog& Plain(const TForm1& main)
{
    return *main.Dialog<TDialog>();
}

// The six text styles share the "Text" dialog, each with its own caption, topic and tags.
template <TTextStyle style>
TMarkupDialog& Styled(const TForm1& main)
{
    TForm9& dialog = *main.Dialog<TForm9>();
    dialog.SetStyle(style);
    return dialog;
}

// Shows the dialog until it is cancelled or confirmed with mark-up the page can hold, then writes
// the mark-up. Text the page cannot hold is refused before anything is written, and the dialog
// comes back with everything the user typed.
void RunMarkupCommand(TForm1& main, TDialogOf dialogOf, TSelectionUse selection)
{
    if (!main.RequireDocument()) return;
    TEditorModel& page = main.ActiveDocument()->CodeMemo1->Model();
    TMarkupDialog& dialog = dialogOf(main);
    dialog.Reset(selection == TSelectionUse::Wraps ? QString::fromStdU32String(page.SelectedText()) : QString());
    while (platform().ExecModal(dialog) == QDialog::Accepted) {
        try {
            WriteMarkup(page, dialog.Markup());
            return;
        } catch (const EEncodingError& error) {
            platform().ShowError(QString::fromStdString(error.what()));
        }
    }
}

constexpr auto kWraps = TSelectionUse::Wraps;
constexpr auto kIgnores = TSelectionUse::Ignores;

}  // namespace

void TForm1::Link1Click() { RunMarkupCommand(*this, Plain<TForm6>, kWraps); }
void TForm1::Font1Click() { RunMarkupCommand(*this, Plain<TForm7>, kWraps); }
void TForm1::Paragraph1Click() { RunMarkupCommand(*this, Plain<TForm8>, kWraps); }
void TForm1::Bold1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Bold>, kWraps); }
void TForm1::Italic1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Italic>, kWraps); }
void TForm1::Underline1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Underline>, kWraps); }
void TForm1::Strike1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Strike>, kWraps); }
void TForm1::Subscript1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Subscript>, kWraps); }
void TForm1::Superscript1Click() { RunMarkupCommand(*this, Styled<TTextStyle::Superscript>, kWraps); }
void TForm1::Header1Click() { RunMarkupCommand(*this, Plain<TForm10>, kWraps); }
void TForm1::Image1Click() { RunMarkupCommand(*this, Plain<TForm11>, kIgnores); }
void TForm1::List1Click() { RunMarkupCommand(*this, Plain<TForm12>, kIgnores); }
void TForm1::Table1Click() { RunMarkupCommand(*this, Plain<TForm13>, kIgnores); }
void TForm1::EditFormClick() { RunMarkupCommand(*this, Plain<TForm14>, kIgnores); }
void TForm1::Input1Click() { RunMarkupCommand(*this, Plain<TForm15>, kIgnores); }
void TForm1::List2Click() { RunMarkupCommand(*this, Plain<TForm16>, kIgnores); }
void TForm1::extarea1Click() { RunMarkupCommand(*this, Plain<TForm17>, kIgnores); }
void TForm1::Label1Click() { RunMarkupCommand(*this, Plain<TForm18>, kIgnores); }
void TForm1::FrameSet1Click() { RunMarkupCommand(*this, Plain<TForm19>, kIgnores); }
void TForm1::Frame2Click() { RunMarkupCommand(*this, Plain<TForm20>, kIgnores); }
void TForm1::Sound1Click() { RunMarkupCommand(*this, Plain<TForm21>, kIgnores); }
void TForm1::Comment1Click() { RunMarkupCommand(*this, Plain<TForm22>, kIgnores); }

void TForm1::Break1Click()
{
    if (RequireDocument()) WriteMarkup(ActiveDocument()->CodeMemo1->Model(), BreakMarkup());
}
