#pragma once

#include <QObject>

#include <memory>

#include "app/AppRuntime.h"
#include "gui/InputBlocker.h"

class InputWatch;
class MainLoopQueue;
class MainWindow;

// The workflows' event loop and session services on Qt's main loop.
class QtRuntime final : public QObject, public AppRuntime {
    Q_OBJECT

  public:
    QtRuntime(MainWindow& window, MainLoopQueue& queue);
    ~QtRuntime() override;

    // The step runs on a worker thread while this thread keeps handling events (painting,
    // timers, the window system) with the user's input swallowed. An exception the step
    // throws is thrown again here.
    void runBlocking(const std::string& label, const std::function<void()>& step) override;
    void startRepeatingTimer(double seconds, std::function<void()> tick) override;
    void watchInput(std::function<void()> onActivity) override;
    double now() const override;
    std::optional<std::string> chooseFolder() override;
    void quit() override;

    bool isBusy() const { return busyDepth_ > 0; }

  private:
    MainWindow& window_;
    MainLoopQueue& queue_;
    InputBlocker blocker_;
    std::unique_ptr<InputWatch> watch_;
    int busyDepth_ = 0;
};
