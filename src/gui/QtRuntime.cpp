#include "gui/QtRuntime.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStatusBar>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <thread>

#include "gui/InputWatch.h"
#include "gui/MainLoopQueue.h"
#include "gui/MainWindow.h"

QtRuntime::QtRuntime(MainWindow& window, MainLoopQueue& queue) : window_(window), queue_(queue) {}

QtRuntime::~QtRuntime() = default;

void QtRuntime::runBlocking(const std::string& label, const std::function<void()>& step) {
    MainLoopQueue::Hold hold(queue_);
    if (busyDepth_++ == 0) {
        qApp->installEventFilter(&blocker_);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    const QString previous = window_.statusBar()->currentMessage();
    window_.showBusy(QString::fromStdString(label));

    std::atomic<bool> finished = false;
    std::exception_ptr failure;
    QObject waker;
    std::thread worker([&] {
        try {
            step();
        } catch (...) {
            failure = std::current_exception();
        }
        // Set before the wake-up is posted: the loop below looks at the flag after every
        // batch of events, so it never sleeps on a wake-up that has already been handled.
        finished.store(true, std::memory_order_release);
        QMetaObject::invokeMethod(
            &waker, [] {}, Qt::QueuedConnection);
    });
    // Not a QEventLoop: a quit of the application ends every QEventLoop at once, and this
    // one must not return before its step has.
    while (!finished.load(std::memory_order_acquire)) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    worker.join();

    if (--busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&blocker_);
        window_.clearBusy();
    } else {
        window_.showBusy(previous);
    }
    if (failure) std::rethrow_exception(failure);
}

void QtRuntime::startRepeatingTimer(double seconds, std::function<void()> tick) {
    auto* timer = new QTimer(this);
    timer->setInterval(std::chrono::milliseconds(std::llround(seconds * 1000)));
    connect(timer, &QTimer::timeout, this, [tick = std::move(tick)] { tick(); });
    timer->start();
}

void QtRuntime::watchInput(std::function<void()> onActivity) {
    watch_ = std::make_unique<InputWatch>(std::move(onActivity));
    qApp->installEventFilter(watch_.get());
}

double QtRuntime::now() const {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<std::string> QtRuntime::chooseFolder() {
    MainLoopQueue::Hold hold(queue_);
    const QString folder =
        QFileDialog::getExistingDirectory(&window_, QStringLiteral("選擇憑證備份資料夾"),
                                          QDir::homePath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

// Queued, so that whatever the workflow still does on its way out runs first.
void QtRuntime::quit() {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}
