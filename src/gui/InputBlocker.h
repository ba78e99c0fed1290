#pragma once

#include <QObject>

// Swallows the user's input to every window of the application while it is installed, so
// nothing can be clicked or typed while a blocking step runs. Painting, timers and the
// window system's own events go on.
class InputBlocker final : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
