#pragma once

#include <QObject>

#include <deque>
#include <functional>

// Work that belongs to the main loop itself: a sheet's completion starts workflows of its
// own, so it must not run inside a blocking step or an alert that happens to be spinning a
// local loop when it comes due. Held work runs once the last hold is released.
class MainLoopQueue final : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // Runs `work` from the main loop later, never inside the caller.
    void post(std::function<void()> work);

    // While held, posted work waits; nested holds count.
    void hold() { ++holds_; }
    void release();

    // Holds the queue for the life of the scope.
    class Hold {
      public:
        explicit Hold(MainLoopQueue& queue) : queue_(queue) { queue_.hold(); }
        ~Hold() { queue_.release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        MainLoopQueue& queue_;
    };

  private:
    void run(std::function<void()> work);

    int holds_ = 0;
    std::deque<std::function<void()>> waiting_;
};
