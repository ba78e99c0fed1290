#pragma once

#include <optional>

// How long the customer has been away, on the runtime's clock. More than five minutes
// without a key press or click logs out; the last half minute counts down.
class IdleWatch {
  public:
    static constexpr double kLogoutAfterSeconds = 300;
    static constexpr double kCountdownAfterSeconds = 270;
    static constexpr double kCheckEverySeconds = 5;
    static constexpr double kKeepAliveEverySeconds = 300;

    struct Verdict {
        enum class Kind { active, countdown, logout } kind = Kind::active;
        int secondsLeft = 0;  // with a countdown
    };

    void noteActivity(double now) { lastActivity_ = now; }
    // The first check starts the watch when nothing was noted before.
    Verdict check(double now);
    std::optional<double> lastActivity() const { return lastActivity_; }

  private:
    std::optional<double> lastActivity_;
};
