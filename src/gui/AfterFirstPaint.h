#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <utility>

// Runs `then` once, from the main loop, right after `window` has been painted for the first
// time: whatever that paint does not need waits until the window is on the screen. A window
// the system does not expose (started minimised, on another workspace) gets it after `bound`.
class AfterFirstPaint final : public QObject {
  public:
    AfterFirstPaint(QWidget& window, std::function<void()> then,
                    std::chrono::milliseconds bound = std::chrono::seconds(1))
        : then_(std::move(then)) {
        window.installEventFilter(this);
        bound_.setSingleShot(true);
        connect(&bound_, &QTimer::timeout, this, &AfterFirstPaint::fire);
        bound_.start(bound);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the paint itself ends first.
            QMetaObject::invokeMethod(this, &AfterFirstPaint::fire, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void fire() {
        bound_.stop();
        if (auto then = std::exchange(then_, nullptr)) then();
    }

    std::function<void()> then_;
    QTimer bound_;
};
