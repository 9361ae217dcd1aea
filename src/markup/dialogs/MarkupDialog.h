#pragma once
// What every mark-up dialog answers to: a command resets it from the page's selection, shows it,
// and on "OK" takes the mark-up it gives back, built from its fields by the core builders.

#include "platform/ButtonClosedDialog.h"
#include "markup/InsertionRules.h"

#include <QString>

class TMarkupDialog : public TButtonClosedDialog {
public:
    using TButtonClosedDialog::TButtonClosedDialog;

    // Empties the fields; a dialog that wraps the selection takes its text into its text field.
    virtual void Reset(const QString& selectedText = {}) = 0;
    // The mark-up of the fields as they stand.
    virtual TMarkup Markup() const = 0;
};
