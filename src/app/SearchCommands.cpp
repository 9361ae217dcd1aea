// Edit, Find and Edit, Replace of the main window, and the same two commands of a page's context menu.
#include "app/DocumentSearch.h"
#include "app/MainU.h"
#include "app/ReplaceU.h"
#include "app/FindDialog.h"

void TForm1::Find1Click()
{
    if (!RequireDocument())
        return;
    platform().ShowModeless(*FindDialog1);
}

void TForm1::Replace1Click()
{
    if (!RequireDocument())
        return;
    ReplaceCommand(*Form5, *ActiveDocument());
}

void TForm2::Find1Click()
{
    ShowDocumentFindDialog(*this);
}

void TForm2::Replace1Click()
{
    if (ReplaceDialog)
        ReplaceCommand(*ReplaceDialog, *this);
}

bool TForm2::FindNext()
{
    return ::FindNext(*this);
}

void TForm2::ReplaceAll()
{
    ::ReplaceAll(*this);
}
