#pragma once

class QLineEdit;
class QString;

// Shows a path in a read-only field that is wide enough for a usual path, so that the file
// name at its end is not cut off, and that tells the whole path as its tool tip.
void showPath(QLineEdit& field, const QString& path);
// A field's text: shown as a path when the field is read-only, set as typed text otherwise.
void setLineEditText(QLineEdit& field, const QString& text);
