#include "desktop/widget/FileDrops.h"

#include "app/MainU.h"
#include "platform/NativePath.h"

#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

QStringList DroppedFiles(const QMimeData& data)
{
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        // The encoded path keeps each byte of a name that is not UTF-8 as %XX; toLocalFile would
        // turn those into U+FFFD.
        const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
        files << (url.host().isEmpty() ? PathFromNative(QByteArray::fromPercentEncoding(encoded).toStdString())
                                       : url.toLocalFile());
    }
    return files;
}

TFileDrops::TFileDrops(TForm1& mainWindow, std::function<void(const QStringList&)> open)
    : QObject(&mainWindow), open_(std::move(open))
{
    mainWindow.MdiArea->viewport()->setAcceptDrops(true);
    mainWindow.MdiArea->viewport()->installEventFilter(this);
}

bool TFileDrops::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (DroppedFiles(*drag->mimeData()).isEmpty())
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = DroppedFiles(*drop->mimeData());
        if (files.isEmpty())
            return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        open_(files);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
