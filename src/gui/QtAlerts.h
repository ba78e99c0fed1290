#pragma once

#include <functional>

#include "app/AlertPort.h"

class MainLoopQueue;
class QWidget;

// Alerts as application-modal message boxes over a window. The caller blocks in the box's
// own loop until a button is pressed; meanwhile the main loop's queued work waits.
class QtAlerts final : public AlertPort {
  public:
    QtAlerts(QWidget& window, MainLoopQueue& queue);

    long runModalSheet(const Alert& alert) override;
    std::optional<std::string> askPassword(const std::string& title,
                                           const std::string& text) override;
    // The same over another window, such as an open dialog.
    long run(const Alert& alert, QWidget& parent);

    // Tests answer alerts instead of a person: the function gets each alert, in place of
    // showing it, and returns the index of the button pressed.
    using Answerer = std::function<int(const Alert&)>;
    void answerWith(Answerer answerer) { answerer_ = std::move(answerer); }
    using PasswordAnswerer = std::function<std::optional<std::string>(const std::string&)>;
    void answerPasswordsWith(PasswordAnswerer answerer) { passwords_ = std::move(answerer); }

  private:
    QWidget& window_;
    MainLoopQueue& queue_;
    Answerer answerer_;
    PasswordAnswerer passwords_;
};
