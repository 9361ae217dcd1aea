#pragma once
// Files dragged from a file manager onto the main window's page area open as pages. A drop onto a
// page's text is the editor's own (it inserts the text); only what reaches the frame lands here.

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;
class TForm1;

// The local files a drag carries, as full paths with every byte kept (PathFromNative); empty when
// it carries none.
QStringList DroppedFiles(const QMimeData& data);

class TFileDrops : public QObject {
    Q_OBJECT
public:
    // Watches the frame of mainWindow; opened files go to open.
    TFileDrops(TForm1& mainWindow, std::function<void(const QStringList&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> open_;
};
