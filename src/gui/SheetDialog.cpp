#include "gui/SheetDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

#include "gui/MainLoopQueue.h"
#include "gui/PathField.h"
#include "gui/QtAlerts.h"

SheetDialog::SheetDialog(QWidget& parent, QtAlerts& alerts, MainLoopQueue& queue)
    : QDialog(&parent), alerts_(alerts), queue_(queue) {}

void SheetDialog::openSheet(std::function<void()> cancel, Done done) {
    cancel_ = std::move(cancel);
    done_ = std::move(done);
    QDialog::open();
}

void SheetDialog::showAlert(const std::string& title, const std::string& informativeText,
                            const std::string& button) {
    alerts_.run({title, informativeText, {button}, true}, *this);
}

std::optional<std::string> SheetDialog::choosePath(const PathPanel& panel) {
    QFileDialog chooser(this, QString::fromStdString(panel.title));
    const QString start = QString::fromStdString(panel.startPath);
    const QFileInfo startInfo(start.isEmpty() ? QDir::homePath() : start);
    // The start names a folder or a file, which need not exist yet.
    if (startInfo.isDir()) {
        chooser.setDirectory(startInfo.absoluteFilePath());
    } else {
        chooser.setDirectory(startInfo.absolutePath());
        chooser.selectFile(startInfo.fileName());
    }
    if (panel.foldersAllowed) {
        // Where to write: an existing file, a new name, or the folder with the name proposed.
        chooser.setAcceptMode(QFileDialog::AcceptSave);
        chooser.setFileMode(QFileDialog::AnyFile);
    } else {
        chooser.setFileMode(QFileDialog::ExistingFile);
    }
    QStringList patterns;
    for (const auto& type : panel.fileTypes) patterns << "*." + QString::fromStdString(type);
    if (!patterns.isEmpty()) {
        chooser.setNameFilter(QStringLiteral("憑證檔 (%1)").arg(patterns.join(' ')));
        chooser.setDefaultSuffix(QString::fromStdString(panel.fileTypes.front()));
    }
    MainLoopQueue::Hold hold(queue_);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return chooser.selectedFiles().front().toStdString();
}

void SheetDialog::endSheet(int sheetResult) {
    QDialog::done(sheetResult == kSheetConfirmed ? Accepted : Rejected);
    // Later, so that the completion may open the next dialog of this kind, and never in the
    // middle of the controller that ended the sheet.
    if (done_) queue_.post([done = std::exchange(done_, {}), sheetResult] { done(sheetResult); });
}

void SheetDialog::reject() {
    if (cancel_) {
        cancel_();
    } else {
        QDialog::reject();
    }
}

std::string SheetDialog::fieldText(const char* name) const {
    QWidget* widget = findChild<QWidget*>(QString::fromUtf8(name));
    if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    return {};
}

void SheetDialog::setFieldText(const char* name, const std::string& text) {
    QWidget* widget = findChild<QWidget*>(QString::fromUtf8(name));
    const QString value = QString::fromStdString(text);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        setLineEditText(*field, value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
        label->setVisible(!value.isEmpty());
    }
}
