#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

// Quits the application once `window` has been painted for the first time: how the start-up
// benchmark tells when a program's window is on the screen.
class FirstPaintQuit final : public QObject {
  public:
    explicit FirstPaintQuit(QWidget& window) { window.installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
        }
        return false;
    }
};
