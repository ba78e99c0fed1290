#pragma once

#include <QObject>

#include <functional>

// Reports every key press and left mouse press anywhere in the application, before any
// widget sees it; it never stops an event.
class InputWatch final : public QObject {
    Q_OBJECT

  public:
    explicit InputWatch(std::function<void()> onActivity, QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> onActivity_;
};
