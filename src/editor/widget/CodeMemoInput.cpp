// TCodeMemo's keyboard, input-method, mouse and drag-and-drop handling.
#include "editor/widget/CodeMemo.h"

#include "editor/control/EditTransaction.h"
#include "editor/widget/CodeMemoImpl.h"
#include "editor/widget/QtKeyMapping.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDrag>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace {

bool IsTabKey(const QKeyEvent& event)
{
    const bool tab = event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab;
    return tab && !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// Characters a key press types: none while Ctrl or Alt is held, and no control characters.
std::u32string TypedCharacters(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    std::u32string typed;
    for (char32_t ch : event.text().toStdU32String()) {
        if (ch >= 0x20 && ch != 0x7F) typed += ch;
    }
    return typed;
}

}  // namespace

bool TCodeMemo::event(QEvent* event)
{
    // Tab moves the focus within the document window, whose only control is this editor: it types
    // nothing and the focus stays here.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && !d->model.Settings().WantTabs) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsTabKey(*key)) {
            if (event->type() == QEvent::KeyPress) emit KeyDown();
            else emit KeyUp();
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TCodeMemo::focusNextPrevChild(bool)
{
    return false;
}

void TCodeMemo::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown();
    const auto action = d->NoticeOnce();
    static const TScanCodes scanCodes = PlatformScanCodes();
    const TMappedKey key = MapQtKey(event->key(), event->modifiers(), event->nativeScanCode(), scanCodes);
    try {
        // A key the list cannot name still clears the remembered first key of a sequence.
        if (!d->model.ExecuteKey(key.Key, key.Shift)) {
            const std::u32string typed = TypedCharacters(*event);
            for (char32_t ch : typed) {
                TCommandArgs args;
                args.Char = ch;
                d->model.ExecuteCommand(ecChar, args);
            }
        }
    } catch (const std::exception& error) {
        // Nothing may leave an event handler; a refused character is the usual case.
        d->ShowError(QString::fromStdString(error.what()));
    }
    event->accept();
}

void TCodeMemo::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    emit KeyUp();
}

void TCodeMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty()) {
        const auto action = d->NoticeOnce();
        TCommandArgs args;
        args.Text = event->commitString().toStdU32String();
        try {
            d->model.ExecuteCommand(ecImeStr, args);
        } catch (const EEncodingError& error) {
            d->ShowError(QString::fromStdString(error.what()));
        }
    }
    event->accept();
}

QVariant TCodeMemo::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImCursorRectangle: return d->CaretRect(d->model.Caret()).translated(viewport()->pos());
    case Qt::ImFont: return font();
    case Qt::ImEnabled: return true;
    default: return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TCodeMemo::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    d->RestartCaretBlink();
    viewport()->update();
}

void TCodeMemo::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    d->caretTimer.stop();
    viewport()->update();
}

// --- mouse ------------------------------------------------------------------------------------------

void TCodeMemo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;  // the right button only opens the context menu
    const QPoint point = event->position().toPoint();
    d->pressPoint = d->lastMousePoint = point;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    if (!extend && d->model.Settings().Options.Has(eoDragDropEditing) && d->IsOnSelection(point)) {
        d->mouseMode = Impl::MouseMode::DragPending;
        return;
    }
    const auto action = d->NoticeOnce();
    d->model.SetCaret(d->PositionAt(point), extend ? TSelectionUpdate::Extend : TSelectionUpdate::Clear);
    d->mouseMode = Impl::MouseMode::Selecting;
}

void TCodeMemo::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    d->lastMousePoint = point;
    if (!(event->buttons() & Qt::LeftButton)) return;
    if (d->mouseMode == Impl::MouseMode::DragPending) {
        if ((point - d->pressPoint).manhattanLength() < QApplication::startDragDistance()) return;
        d->mouseMode = Impl::MouseMode::Idle;
        const QString text = QString::fromStdU32String(d->model.SelectedText());
        auto* mime = new QMimeData;
        mime->setText(text);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        d->dropHandledHere = false;
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
        // Moved into another window: the text leaves this one.
        if (done == Qt::MoveAction && !d->dropHandledHere) {
            const auto action = d->NoticeOnce();
            d->model.ReplaceSelection(U"");
        }
        return;
    }
    if (d->mouseMode != Impl::MouseMode::Selecting) return;
    const bool outside = !viewport()->rect().contains(point);
    if (outside && !d->autoScrollTimer.isActive()) d->autoScrollTimer.start();
    if (!outside) d->autoScrollTimer.stop();
    const auto action = d->NoticeOnce();
    d->model.SetCaret(d->PositionAt(point), TSelectionUpdate::Extend);
}

void TCodeMemo::mouseReleaseEvent(QMouseEvent* event)
{
    d->autoScrollTimer.stop();
    if (event->button() == Qt::LeftButton && d->mouseMode == Impl::MouseMode::DragPending) {
        // A click on the selection that started no drag just places the caret.
        const auto action = d->NoticeOnce();
        d->model.SetCaret(d->PositionAt(event->position().toPoint()));
    }
    d->mouseMode = Impl::MouseMode::Idle;
    emit Clicked();
}

void TCodeMemo::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const auto action = d->NoticeOnce();
    d->model.SetCaret(d->PositionAt(event->position().toPoint()));
    d->model.ExecuteCommand(ecSelWord);
    d->mouseMode = Impl::MouseMode::Idle;
}

void TCodeMemo::contextMenuEvent(QContextMenuEvent* event)
{
    if (!d->popup) return;
    d->popup->popup(event->globalPos());
    event->accept();
}

// --- drag and drop ----------------------------------------------------------------------------------

namespace {

bool IsOwnDrag(const QDropEvent& event, const QWidget& editor)
{
    return event.source() == &editor;
}

Qt::DropAction OwnDropAction(const QDropEvent& event)
{
    return (event.modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

}  // namespace

void TCodeMemo::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasText()) return;
    if (IsOwnDrag(*event, *this)) {
        event->setDropAction(OwnDropAction(*event));
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void TCodeMemo::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasText()) return;
    const QPoint point = event->position().toPoint();
    d->dropCaret = d->PositionAt(point);
    viewport()->update();
    if (IsOwnDrag(*event, *this)) {
        // Text cannot be moved into itself.
        if (d->IsOnSelection(point)) {
            event->ignore();
            return;
        }
        event->setDropAction(OwnDropAction(*event));
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void TCodeMemo::dragLeaveEvent(QDragLeaveEvent*)
{
    d->dropCaret.reset();
    viewport()->update();
}

void TCodeMemo::dropEvent(QDropEvent* event)
{
    d->dropCaret.reset();
    const QPoint point = event->position().toPoint();
    const QString text = event->mimeData()->text();
    const bool own = IsOwnDrag(*event, *this);
    if (own && d->IsOnSelection(point)) {
        event->ignore();
        viewport()->update();
        return;
    }
    TEditorModel& model = d->model;
    const auto action = d->NoticeOnce();
    std::int64_t target = model.Document().CharIndexOf(d->PositionAt(point));
    const Qt::DropAction dropAction = own ? OwnDropAction(*event) : event->proposedAction();
    try {
        TEditTransaction transaction(model);
        if (own && dropAction == Qt::MoveAction) {
            const std::int64_t start = model.SelectionStart(), length = model.SelectionLength();
            model.ReplaceSelection(U"");
            if (target >= start + length) target -= length;
        }
        model.SetSelectionStart(target);
        model.ReplaceSelection(text.toStdU32String());
        const std::int64_t end = model.SelectionStart();
        model.SetSelectionStart(target);
        model.SetSelectionLength(end - target);
    } catch (const EEncodingError& error) {
        d->ShowError(QString::fromStdString(error.what()));
        event->ignore();
        return;
    }
    d->dropHandledHere = own;
    event->setDropAction(dropAction);
    event->accept();
    setFocus(Qt::MouseFocusReason);
}
