#include "ScriptedPorts.h"

#include "support/FakeTextView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ui/ChgPfxPwdWindowController.h"
#include "ui/DepCertWindowController.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/SavePfxWindowController.h"
#include "ui/UserAgreementWindowController.h"
#include "ui/UserAgreementWindowView.h"

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

void ScriptedRuntime::startRepeatingTimer(double seconds, std::function<void()> tick) {
    journal_.push_back("timer " + std::to_string(static_cast<int>(seconds)));
    timers_.push_back({seconds, clock + seconds, std::move(tick)});
}

void ScriptedRuntime::watchInput(std::function<void()> onActivity) {
    journal_.push_back("watch");
    onActivity_ = std::move(onActivity);
}

std::optional<std::string> ScriptedRuntime::chooseFolder() {
    journal_.push_back("folder");
    return std::exchange(folder, std::nullopt);
}

void ScriptedRuntime::quit() {
    journal_.push_back("quit");
    ++quits;
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

namespace {

class BrowserButtons final : public DepCertWindowView {
  public:
    void showBrowserButton(Button, const std::string&, const std::string&) override {}
    void hideBrowserButton(Button) override {}
    void setBrowserButtonSelected(Button, bool) override {}
    void setDirectImportNote(const std::string& note) override { this->note = note; }
    std::string note;
};

class AgreementPage final : public UserAgreementWindowView {
  public:
    void loadAgreementPage(const std::string&, const std::string&) override {}
    bool isAgreeChecked() const override { return checked; }
    void setAgreeChecked(bool on) override { checked = on; }
    void setNextStepEnabled(bool) override {}
    bool checked = false;
};

}  // namespace

// A window lives until the next one is made.
struct ScriptedSheets::Views {
    FakeTextView<SavePfxWindowView> save;
    FakeTextView<LoadPfxWindowView> load;
    FakeTextView<ChgPfxPwdWindowView> change;
    BrowserButtons browsers;
    AgreementPage agreement;
};

ScriptedSheets::Views& ScriptedSheets::fresh() {
    views_ = std::make_shared<Views>();
    return *views_;
}

SheetWindow<SavePfxWindowView> ScriptedSheets::makeSavePfxWindow() {
    return {fresh().save, *this};
}
SheetWindow<LoadPfxWindowView> ScriptedSheets::makeLoadPfxWindow() {
    return {fresh().load, *this};
}
SheetWindow<ChgPfxPwdWindowView> ScriptedSheets::makeChgPfxPwdWindow() {
    return {fresh().change, *this};
}
SheetWindow<DepCertWindowView> ScriptedSheets::makeDepCertWindow() {
    return {fresh().browsers, *this};
}
SheetWindow<UserAgreementWindowView> ScriptedSheets::makeUserAgreementWindow() {
    return {fresh().agreement, *this};
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
        views_->agreement.checked = true;
        c.chkUserAgreeOnClick();
        c.btnNextStepOnClick();
    };
    begin("agreement", c, std::move(done), ok);
}

void ScriptedSheets::showAlert(const std::string& title, const std::string& text,
                               const std::string&) {
    journal_.push_back("dialog " + title + "|" + text);
}

std::optional<std::string> ScriptedSheets::choosePath(const PathPanel&) {
    if (whileChoosing) whileChoosing();
    return std::exchange(path_, std::nullopt);
}

void ScriptedSheets::endSheet(int sheetResult) {
    open_.clear();
    ended_.push_back([done = std::move(done_), sheetResult] { done(sheetResult); });
}

std::string ScriptedSheets::directImportNote() const {
    return views_->browsers.note;
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

void ScriptedSheets::agree() {
    press("agreement", std::nullopt, {});
}

void ScriptedSheets::chooseBrowsers() {
    press("browsers", std::nullopt, {});
}

void ScriptedSheets::savePfx(const std::string& pwd, const std::string& confirmation,
                             const std::optional<std::string>& at) {
    using Field = SavePfxWindowView::Field;
    press("save", at, [&] {
        views_->save.texts[Field::txtPfxPwd] = pwd;
        views_->save.texts[Field::txtPfxPwdCfm] = confirmation;
    });
}

void ScriptedSheets::loadPfx(const std::string& path, const std::string& pwd) {
    press("load", path, [&] { views_->load.texts[LoadPfxWindowView::Field::txtPfxFilePwd] = pwd; });
}

void ScriptedSheets::changePwd(const std::string& oldPwd, const std::string& newPwd) {
    using Field = ChgPfxPwdWindowView::Field;
    press("change", std::nullopt, [&] {
        views_->change.texts[Field::txtOldPwd] = oldPwd;
        views_->change.texts[Field::txtNewPwd] = newPwd;
        views_->change.texts[Field::txtNewPwdCfm] = newPwd;
    });
}

void ScriptedSheets::cancel() {
    ASSERT_TRUE(isOpen()) << "no sheet to cancel";
    cancel_();
    settle();
}
