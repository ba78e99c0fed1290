#pragma once

#include <deque>
#include <functional>
#include <type_traits>

// What the main window does one at a time. Anything modal (a blocking step, an alert, a file
// chooser, a prompt, the main window's or a dialog's) holds the timer work that comes due
// meanwhile and runs it once right after; sheets open one at a time, a later one when the
// open one has ended. Once quitting, nothing new starts.
class ModalGate {
  public:
    using Work = std::function<void()>;
    using SheetDone = std::function<void(int)>;
    // Timer work that may be held, each kind at most once.
    enum class Timed { keepAlive, idleCheck };

    // `run` does the timer work of a kind; `answered` records that the customer just
    // answered something modal (the native file chooser shows the application no input).
    ModalGate(std::function<void(Timed)> run, Work answered)
        : run_(std::move(run)), answered_(std::move(answered)) {}

    bool isModal() const { return depth_ > 0; }
    bool isQuitting() const { return quitting_; }
    void quit();

    // True when timer work of `kind` may run now; otherwise it is held for later (and
    // dropped once quitting).
    bool mayRunNow(Timed kind);

    // Runs `work` as modal work the customer waits for.
    template <class Work>
    auto modally(Work&& work) {
        return around(std::forward<Work>(work), false);
    }
    // Runs `work` as modal work the customer answers: an alert, a chooser, a prompt.
    template <class Work>
    auto answered(Work&& work) {
        return around(std::forward<Work>(work), true);
    }

    bool isSheetOpen() const { return sheetOpen_; }
    bool hasSheets() const { return sheetOpen_ || !waitingSheets_.empty(); }
    // Calls `open` now, or once every sheet asked for earlier has ended. `open` makes the
    // sheet and shows it with a completion made by `completion`.
    void requestSheet(Work open);
    // The completion to show a sheet with: the sheet counts as ended before `handler` runs,
    // and the next waiting sheet opens after it.
    SheetDone completion(SheetDone handler);

  private:
    template <class Work>
    auto around(Work&& work, bool byCustomer) {
        struct Leave {
            ModalGate& gate;
            bool byCustomer;
            ~Leave() { gate.leave(byCustomer); }
        };
        ++depth_;
        Leave leave{*this, byCustomer};
        return work();
    }
    void leave(bool byCustomer);
    void openNextSheet();

    std::function<void(Timed)> run_;
    Work answered_;
    int depth_ = 0;
    bool quitting_ = false;
    bool keepAliveHeld_ = false;
    bool idleCheckHeld_ = false;
    bool sheetOpen_ = false;
    std::deque<Work> waitingSheets_;
};
