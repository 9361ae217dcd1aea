#include "app/NoDocumentMessage.h"

#include "platform/Platform.h"

bool RequireDocument(const TForm2* document)
{
    if (document)
        return true;
    platform().ShowMessage(kNoDocumentMessage);
    return false;
}
