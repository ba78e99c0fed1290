#include "gui/InputWatch.h"

#include <QMouseEvent>

InputWatch::InputWatch(std::function<void()> onActivity, QObject* parent)
    : QObject(parent), onActivity_(std::move(onActivity)) {}

bool InputWatch::eventFilter(QObject* watched, QEvent* event) {
    // A press passes here once for its window and again for each widget it is offered to;
    // the report only records a time, so seeing it more than once does no harm.
    const QEvent::Type type = event->type();
    const bool leftPress =
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (type == QEvent::KeyPress || leftPress) onActivity_();
    return QObject::eventFilter(watched, event);
}
