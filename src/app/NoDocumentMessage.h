#pragma once
// The message every page command shows while no page is open, and the one check that shows it:
// the main window's handlers (editing, search, mark-up, print, upload) and the dialogs bound to
// the active page all call it.

#include <QString>

class TForm2;

inline const QString kNoDocumentMessage = QStringLiteral(
    "To execute the command, you must create a new page (\"File\\New\") or open a file (\"File\\Open\")!");

// True when there is a page to work on; otherwise shows the no-document message and is false.
bool RequireDocument(const TForm2* document);
