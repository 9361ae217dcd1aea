#pragma once
// Find and replace on document windows: the document's two search operations on its search fields,
// the find events of the Find dialogs, and the Replace command with its dialog.

#include "editor/search/EditSearch.h"

#include <QObject>

class TFindDialog;
class TForm1;
class TForm2;
class TForm5;

// What a document window owns for searching: its engine and its own Find dialog (the one its
// context menu shows, bound to this document only). Attached to the window on first use and freed
// with it.
class TDocumentSearch : public QObject {
    Q_OBJECT
public:
    static TDocumentSearch& Of(TForm2& document);

    TEditSearch EditSearch1;
    TFindDialog* FindDialog1;

private:
    explicit TDocumentSearch(TForm2& document);
};

// SearchReplace with the document's SearchText, no replacement and its MatchCase, WholeWord and
// Backwards; the match becomes the selection. True when there was one.
bool FindNext(TForm2& document);
// SearchReplace with SearchText, ReplaceText and the options replace, replace all and prompt (no
// handler is bound, so every match in the stretch is replaced), plus the three flags.
void ReplaceAll(TForm2& document);

// The find event of a Find dialog: copies the dialog's options and text into the target's search
// fields and runs FindNext on it. A null target (no document open, as when the main window's
// dialog outlived the last page) shows the no-document message instead.
void FindDialogFind(const TFindDialog& dialog, TForm2* target);

// The main window's Find dialog, bound to whichever document is active when "Find Next" is pressed.
TFindDialog* CreateMainFindDialog(TForm1& mainWindow);
// The context menu's Find: shows the document's own Find dialog, without blocking.
void ShowDocumentFindDialog(TForm2& document);

// The Replace command on a target document: shows the dialog modally; "Replace All" replaces every
// match in the search direction, "Replace" replaces one match at a time, asking after each step
// whether to go on. A replacement the page's encoding cannot hold ends it in the error box.
void ReplaceCommand(TForm5& dialog, TForm2& target);
