#include "gui/MainLoopQueue.h"

void MainLoopQueue::post(std::function<void()> work) {
    QMetaObject::invokeMethod(
        this, [this, work = std::move(work)]() mutable { run(std::move(work)); },
        Qt::QueuedConnection);
}

void MainLoopQueue::release() {
    if (--holds_ > 0) return;
    // Posted again rather than run here: the releasing caller is still in the middle of its
    // own workflow.
    while (!waiting_.empty()) {
        post(std::move(waiting_.front()));
        waiting_.pop_front();
    }
}

void MainLoopQueue::run(std::function<void()> work) {
    if (holds_ > 0) {
        waiting_.push_back(std::move(work));
    } else {
        work();
    }
}
