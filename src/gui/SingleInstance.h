#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// One client per user: the first start holds a lock and listens on a local socket beside it;
// a later start connects there, which asks the first to raise its window, and ends. Two
// clients would keep two sessions over one properties store and one key cache. Plain
// sockets: the network module would cost the start more than the rest of the window.
class SingleInstance final : public QObject {
    Q_OBJECT

  public:
    // The lock is `base` + ".lock", the socket `base` + ".socket".
    explicit SingleInstance(const QString& base);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // In $XDG_RUNTIME_DIR, or hidden in the home folder when that is unset.
    static QString defaultBase();

    // True when this process is the one instance from now on. False when another holds the
    // lock: that one has been asked to raise its window (or could not be reached in time).
    // A lock that cannot be made at all does not keep the client from starting.
    bool claim();

  signals:
    // Another start asked for the window.
    void raiseRequested();

  private:
    void listen();
    void acceptAll();
    bool askFirstInstance() const;

    QByteArray lockPath_;
    QByteArray socketPath_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};
