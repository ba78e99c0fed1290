#include "gui/PathField.h"

#include <QLineEdit>

#include <algorithm>

void showPath(QLineEdit& field, const QString& path) {
    field.setText(path);
    field.setToolTip(path);
    const QFontMetrics metrics = field.fontMetrics();
    // Room for the text and the frame, up to a width that still fits beside its label on a
    // small screen; a longer path scrolls.
    const int wanted = metrics.horizontalAdvance(path) + 4 * metrics.averageCharWidth();
    field.setMinimumWidth(std::min(wanted, 56 * metrics.averageCharWidth()));
}

void setLineEditText(QLineEdit& field, const QString& text) {
    if (field.isReadOnly()) {
        showPath(field, text);
    } else {
        field.setText(text);
    }
}
