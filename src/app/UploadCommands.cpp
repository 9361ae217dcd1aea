// File, Upload: saves the active page, then shows the Upload window for it.
#include "app/MainU.h"

#include "upload/dialogs/ConnectU.h"

void TForm1::Upload1Click()
{
    if (!RequireDocument())
        return;
    TForm2& document = *ActiveDocument();
    if (!ReportErrors([this, &document] { SaveDocument(document); }))
        return;
    // A new page whose Save As was cancelled has no file to send.
    if (document.FileName.isEmpty())
        return;
    Form3->UploadPath = document.FileName;
    platform().ShowModeless(*Form3);
}
