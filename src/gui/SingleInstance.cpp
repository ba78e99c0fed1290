#include "gui/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The first start takes the lock and listens a moment later; a second start in between
// tries again for this long.
constexpr int kConnectTries = 20;
constexpr auto kConnectPause = std::chrono::milliseconds(100);

// False when the path does not fit a socket address.
bool socketAddress(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& base)
    : lockPath_(QFile::encodeName(base + QStringLiteral(".lock"))),
      socketPath_(QFile::encodeName(base + QStringLiteral(".socket"))) {}

SingleInstance::~SingleInstance() {
    notifier_.reset();
    if (serverFd_ >= 0) {
        ::close(serverFd_);
        ::unlink(socketPath_.constData());
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::defaultBase() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return runtime + QStringLiteral("/norvale-cert-client");
    return QDir::homePath() + QStringLiteral("/.norvale-cert-client");
}

// flock, not a file that exists or not: the kernel lets go of it when its holder ends, how
// ever that happens, so the file a crash leaves behind locks nothing.
bool SingleInstance::claim() {
    if (lockFd_ >= 0) return true;
    const int fd = ::open(lockPath_.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        qWarning("no single-instance lock at %s", lockPath_.constData());
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        if (!held) return true;
        askFirstInstance();
        return false;
    }
    lockFd_ = fd;
    listen();
    return true;
}

// A socket left by a crashed instance is only a name now: the lock says the name is ours.
void SingleInstance::listen() {
    sockaddr_un address;
    if (!socketAddress(socketPath_, address)) return;
    ::unlink(socketPath_.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    // Owner-only from the start, not after a chmod.
    const mode_t mask = ::umask(077);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 4) != 0) {
        qWarning("no single-instance socket at %s", socketPath_.constData());
        ::close(fd);
        return;
    }
    serverFd_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptAll);
}

void SingleInstance::acceptAll() {
    for (int peer; (peer = ::accept4(serverFd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(peer);
        emit raiseRequested();
    }
}

bool SingleInstance::askFirstInstance() const {
    sockaddr_un address;
    if (!socketAddress(socketPath_, address)) return false;
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const bool reached =
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        if (reached) return true;
        std::this_thread::sleep_for(kConnectPause);
    }
    return false;
}
