#include "desktop/widget/SingleInstance.h"

#include "platform/NativePath.h"

#include <QSocketNotifier>
#include <QTimer>
#include <unistd.h>

namespace {

// A later start that never finishes its request does not keep its connection open for long.
constexpr int kRequestMilliseconds = 10000;

}  // namespace

struct TSingleInstance::Connection {
    TRequestReader reader;
    QSocketNotifier* notifier = nullptr;
    QTimer* deadline = nullptr;
};

std::unique_ptr<TSingleInstance> TSingleInstance::Listen(const std::string& socketPath)
{
    std::unique_ptr<TInstanceListener> listener = TInstanceListener::Listen(socketPath);
    if (!listener)
        return nullptr;
    return std::unique_ptr<TSingleInstance>(new TSingleInstance(std::move(listener)));
}

TSingleInstance::TSingleInstance(std::unique_ptr<TInstanceListener> listener)
    : listener_(std::move(listener)),
      listenNotifier_(new QSocketNotifier(listener_->Descriptor(), QSocketNotifier::Read, this))
{
    connect(listenNotifier_, &QSocketNotifier::activated, this, &TSingleInstance::AcceptWaiting);
}

TSingleInstance::~TSingleInstance()
{
    while (!connections_.empty())
        Drop(connections_.begin()->first);
}

void TSingleInstance::AcceptWaiting()
{
    for (int fd = listener_->Accept(); fd >= 0; fd = listener_->Accept()) {
        auto connection = std::make_unique<Connection>();
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(connection->notifier, &QSocketNotifier::activated, this, [this, fd] { ReadFrom(fd); });
        connection->deadline = new QTimer(this);
        connection->deadline->setSingleShot(true);
        connect(connection->deadline, &QTimer::timeout, this, [this, fd] { Drop(fd); });
        connection->deadline->start(kRequestMilliseconds);
        connections_[fd] = std::move(connection);
    }
}

void TSingleInstance::ReadFrom(int fd)
{
    const auto found = connections_.find(fd);
    if (found == connections_.end())
        return;
    TRequestReader& reader = found->second->reader;
    switch (reader.ReadFrom(fd)) {
    case TRequestState::Incomplete:
        return;
    case TRequestState::Invalid:
        Drop(fd);
        return;
    case TRequestState::Complete:
        break;
    }
    QStringList paths;
    for (const std::string& path : reader.Request().Paths)
        paths << PathFromNative(path);
    const std::vector<int>& requested = reader.Request().Lines;
    const QList<int> lines(requested.begin(), requested.end());
    const bool sideBySide = reader.Request().SideBySide;
    SendOpenReply(fd);
    Drop(fd);
    emit FilesRequested(paths, lines, sideBySide);
}

void TSingleInstance::Drop(int fd)
{
    const auto found = connections_.find(fd);
    if (found == connections_.end())
        return;
    // Both may be the sender of the signal that got here, so they go later; the notifier stops
    // watching before its descriptor is closed.
    found->second->notifier->setEnabled(false);
    found->second->notifier->deleteLater();
    found->second->deadline->stop();
    found->second->deadline->deleteLater();
    connections_.erase(found);
    ::close(fd);
}
