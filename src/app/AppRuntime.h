#pragma once

#include <functional>
#include <optional>
#include <string>

// What the workflows need from the application's event loop and the desktop session besides
// the window itself.
class AppRuntime {
  public:
    virtual ~AppRuntime() = default;

    // Runs `step` to its end before returning. The window keeps painting meanwhile, shows
    // `label` and a busy cursor, and takes no input. Every exchange with the service and
    // every key generation passes through here.
    virtual void runBlocking(const std::string& label, const std::function<void()>& step) = 0;

    // Calls `tick` every `seconds` on the main loop until the application ends.
    virtual void startRepeatingTimer(double seconds, std::function<void()> tick) = 0;
    // Calls `onActivity` for every key press and left mouse press in the application.
    virtual void watchInput(std::function<void()> onActivity) = 0;
    // Seconds on a monotonic clock.
    virtual double now() const = 0;

    // A folder chooser (folders only, one selection); nothing when cancelled.
    virtual std::optional<std::string> chooseFolder() = 0;

    // Ends the application once control returns to the main loop.
    virtual void quit() = 0;
};
