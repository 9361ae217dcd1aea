#pragma once
// The listening end of the one-editor-per-user socket in the running editor: requests from later
// starts arrive through the event loop and come out as lists of files to open, with the lines to show.

#include "desktop/InstanceProtocol.h"

#include <QObject>
#include <QStringList>
#include <map>
#include <memory>

class QSocketNotifier;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // Null when another editor listens already or the socket cannot be made.
    static std::unique_ptr<TSingleInstance> Listen(const std::string& socketPath);
    ~TSingleInstance() override;

signals:
    // lines: one per path (from 1, 0 where none), or empty when the request named none. sideBySide:
    // the files are to be shown beside each other.
    void FilesRequested(const QStringList& paths, const QList<int>& lines, bool sideBySide);

private:
    struct Connection;

    explicit TSingleInstance(std::unique_ptr<TInstanceListener> listener);
    void AcceptWaiting();
    void ReadFrom(int fd);
    void Drop(int fd);

    std::unique_ptr<TInstanceListener> listener_;
    QSocketNotifier* listenNotifier_;
    std::map<int, std::unique_ptr<Connection>> connections_;
};
