#include "app/IdleWatch.h"

IdleWatch::Verdict IdleWatch::check(double now) {
    if (!lastActivity_) lastActivity_ = now;
    // In single precision, as the window's clock was always compared.
    const float idle = static_cast<float>(now - *lastActivity_);
    if (idle > kLogoutAfterSeconds) return {Verdict::Kind::logout};
    if (idle > kCountdownAfterSeconds) {
        return {Verdict::Kind::countdown, static_cast<int>(kLogoutAfterSeconds - idle)};
    }
    return {};
}
