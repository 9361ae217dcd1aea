#include "markup/dialogs/ColorChooser.h"

#include "markup/dialogs/ColorSwatch.h"
#include "platform/Platform.h"

bool ColorChooser::ChooseInto(QWidget* parent, ColorSwatch& swatch)
{
    const std::optional<QColor> chosen = platform().GetColor(parent, last_);
    if (!chosen)
        return false;
    last_ = *chosen;
    swatch.SetColor(*chosen);
    return true;
}
