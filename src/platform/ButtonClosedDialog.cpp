#include "platform/ButtonClosedDialog.h"

#include "platform/Platform.h"

#include <QKeyEvent>

TButtonClosedDialog::TButtonClosedDialog(int helpContext, QWidget* parent)
    : QDialog(parent), helpContext_(helpContext)
{
}

void TButtonClosedDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    case Qt::Key_F1:
        platform().ShowHelp(helpContext_);
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
