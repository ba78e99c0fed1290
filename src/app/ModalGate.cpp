#include "app/ModalGate.h"

#include <utility>

void ModalGate::quit() {
    quitting_ = true;
    keepAliveHeld_ = idleCheckHeld_ = false;
    waitingSheets_.clear();
}

bool ModalGate::mayRunNow(Timed kind) {
    if (quitting_) return false;
    if (depth_ == 0) return true;
    (kind == Timed::keepAlive ? keepAliveHeld_ : idleCheckHeld_) = true;
    return false;
}

void ModalGate::leave(bool byCustomer) {
    --depth_;
    // Before the held idle check: the answer itself was the customer's activity.
    if (byCustomer && answered_) answered_();
    if (depth_ > 0) return;
    if (std::exchange(keepAliveHeld_, false)) run_(Timed::keepAlive);
    if (std::exchange(idleCheckHeld_, false)) run_(Timed::idleCheck);
}

void ModalGate::requestSheet(Work open) {
    if (quitting_) return;
    // Behind the sheets already waiting, even when none is open at this moment (inside a
    // completion, before the next one has opened).
    if (sheetOpen_ || !waitingSheets_.empty()) {
        waitingSheets_.push_back(std::move(open));
        return;
    }
    sheetOpen_ = true;
    open();
}

ModalGate::SheetDone ModalGate::completion(SheetDone handler) {
    return [this, handler = std::move(handler)](int result) {
        sheetOpen_ = false;
        if (handler && (result == 0 || result == 1)) handler(result);
        openNextSheet();
    };
}

void ModalGate::openNextSheet() {
    if (sheetOpen_ || quitting_ || waitingSheets_.empty()) return;
    Work open = std::move(waitingSheets_.front());
    waitingSheets_.pop_front();
    sheetOpen_ = true;
    open();
}
