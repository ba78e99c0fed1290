#include "ScriptedPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ui/ChgPfxPwdWindowController.h"
#include "ui/DepCertWindowController.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/SavePfxWindowController.h"
#include "ui/UserAgreementWindowController.h"

void FakeMainWindow::showTable(const std::string& outlet, const ZOLTDGDataSource& rows) {
    auto& shown = tables[outlet];
    shown.clear();
    for (std::size_t i = 0; i < rows.numberOfRowsInTableView(); ++i) {
        shown.push_back(rows.objectValueForTableColumn("Column1", i).value_or("?") + "=" +
                        rows.objectValueForTableColumn("Column2", i).value_or("?"));
    }
}

long ScriptedAlerts::runModalSheet(const Alert& alert) {
    std::string buttons;
    for (const auto& b : alert.buttons) buttons += (buttons.empty() ? "" : ",") + b;
    journal_.push_back("alert " + alert.title + "|" + alert.text + "|" + buttons);
    const int index = answers.empty() ? 0 : answers.front();
    if (!answers.empty()) answers.pop_front();
    return 1000 + index;
}

void ScriptedRuntime::runBlocking(const std::string& label, const std::function<void()>& step) {
    journal_.push_back("step " + label);
    deepest = std::max(deepest, ++depth_);
    step();
    // Time passes while the step runs, and the timers that come due fire meanwhile, as they
    // would on the window's event loop.
    if (nextStepSeconds > 0) advance(std::exchange(nextStepSeconds, 0));
    --depth_;
}

void ScriptedRuntime::advance(double seconds) {
    const double end = clock + seconds;
    for (;;) {
        auto next = std::min_element(timers_.begin(), timers_.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (next == timers_.end() || next->due > end) break;
        clock = next->due;
        next->due += next->interval;
        auto tick = next->tick;  // a tick may start another timer
        tick();
    }
    clock = end;
}

template <class Controller>
void ScriptedSheets::begin(const char* kind, Controller& c, SheetDone done, Action ok,
                           Action browse) {
    ASSERT_FALSE(isOpen()) << "a second sheet over an open one: " << kind;
    journal_.push_back(std::string("sheet ") + kind);
    open_ = kind;
    done_ = std::move(done);
    ok_ = std::move(ok);
    cancel_ = [&c] { c.btnCancelOnClick(); };
    browse_ = std::move(browse);
}

void ScriptedSheets::beginSheet(SavePfxWindowController& c, SheetDone done) {
    begin(
        "save", c, std::move(done), [&c] { c.btnOKOnClick(); },
        [&c] { c.btnBrowserFilePathOnClick(); });
}
void ScriptedSheets::beginSheet(LoadPfxWindowController& c, SheetDone done) {
    begin(
        "load", c, std::move(done), [&c] { c.btnOkOnClick(); }, [&c] { c.btnBrowseFileOnClick(); });
}
void ScriptedSheets::beginSheet(ChgPfxPwdWindowController& c, SheetDone done) {
    begin("change", c, std::move(done), [&c] { c.btnOkOnClick(); });
}
void ScriptedSheets::beginSheet(DepCertWindowController& c, SheetDone done) {
    begin("browsers", c, std::move(done), [&c] { c.btnOkOnClick(); });
}
void ScriptedSheets::beginSheet(UserAgreementWindowController& c, SheetDone done) {
    auto ok = [this, &c] {
        agreement_.checked = true;
        c.chkUserAgreeOnClick();
        c.btnNextStepOnClick();
    };
    begin("agreement", c, std::move(done), ok);
}

void ScriptedSheets::settle() {
    // A completion may end the next sheet: its own completion runs after this batch.
    while (!ended_.empty()) {
        for (auto& done : std::exchange(ended_, {})) done();
    }
}

void ScriptedSheets::press(const char* kind, const std::optional<std::string>& at,
                           const Action& fill) {
    ASSERT_EQ(open_, kind);
    if (at) {
        path_ = at;
        browse_();
    }
    if (fill) fill();
    ok_();
    settle();
}

void ScriptedSheets::savePfx(const std::string& pwd, const std::optional<std::string>& at) {
    using Field = SavePfxWindowView::Field;
    press("save", at,
          [&] { save_.texts[Field::txtPfxPwd] = save_.texts[Field::txtPfxPwdCfm] = pwd; });
}

void ScriptedSheets::loadPfx(const std::string& path, const std::string& pwd) {
    press("load", path, [&] { load_.texts[LoadPfxWindowView::Field::txtPfxFilePwd] = pwd; });
}

void ScriptedSheets::changePwd(const std::string& oldPwd, const std::string& newPwd) {
    using Field = ChgPfxPwdWindowView::Field;
    press("change", std::nullopt, [&] {
        change_.texts[Field::txtOldPwd] = oldPwd;
        change_.texts[Field::txtNewPwd] = newPwd;
        change_.texts[Field::txtNewPwdCfm] = newPwd;
    });
}

void ScriptedSheets::cancel() {
    ASSERT_TRUE(isOpen()) << "no sheet to cancel";
    cancel_();
    settle();
}
