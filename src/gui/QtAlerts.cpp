#include "gui/QtAlerts.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "gui/MainLoopQueue.h"

QtAlerts::QtAlerts(QWidget& window, MainLoopQueue& queue) : window_(window), queue_(queue) {}

long QtAlerts::runModalSheet(const Alert& alert) {
    return run(alert, window_);
}

long QtAlerts::run(const Alert& alert, QWidget& parent) {
    MainLoopQueue::Hold hold(queue_);
    if (answerer_) return 1000 + answerer_(alert);

    QMessageBox box(&parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(QString::fromStdString(alert.title));
    box.setText(QString::fromStdString(alert.text));
    box.setIcon(alert.warning              ? QMessageBox::Warning
                : alert.buttons.size() > 1 ? QMessageBox::Question
                                           : QMessageBox::Information);
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < alert.buttons.size(); ++i) {
        // The first button is the default; Escape presses the last.
        const auto role = i == 0                          ? QMessageBox::AcceptRole
                          : i + 1 == alert.buttons.size() ? QMessageBox::RejectRole
                                                          : QMessageBox::ActionRole;
        QPushButton* button = box.addButton(QString::fromStdString(alert.buttons[i]), role);
        if (i == 0) box.setDefaultButton(button);
        buttons.push_back(button);
    }
    if (!buttons.empty()) box.setEscapeButton(buttons.back());
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return 1000 + static_cast<long>(i);
    }
    // Ended without a button (the application quitting under it): the last button, which is
    // "no" wherever there is a choice.
    return 1000 + static_cast<long>(buttons.size()) - 1;
}

std::optional<std::string> QtAlerts::askPassword(const std::string& title,
                                                 const std::string& text) {
    MainLoopQueue::Hold hold(queue_);
    if (passwords_) return passwords_(text);
    QInputDialog dialog(&window_);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(QString::fromStdString(title));
    dialog.setLabelText(QString::fromStdString(text));
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(QStringLiteral("確定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::string password = dialog.textValue().toStdString();
    dialog.setTextValue(QString());
    return password;
}
