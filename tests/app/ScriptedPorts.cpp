#include "ScriptedPorts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "ui/ChgPfxPwdWindowController.h"
#include "ui/DepCertWindowController.h"
#include "ui/LoadPfxWindowController.h"
#include "ui/SavePfxWindowController.h"
#include "ui/UserAgreementWindowController.h"

// --- main window ---

std::string FakeMainWindow::text(const std::string& outlet) const {
    auto it = texts.find(outlet);
    return it == texts.end() ? "" : it->second;
}

void FakeMainWindow::setText(const std::string& outlet, const std::string& value) {
    texts[outlet] = value;
}

bool FakeMainWindow::isChecked(const std::string& outlet) const {
    auto it = checked.find(outlet);
    return it != checked.end() && it->second;
}

void FakeMainWindow::setEnabled(const std::string& outlet, bool on) {
    enabledState[outlet] = on;
}

void FakeMainWindow::setVisible(const std::string& outlet, bool on) {
    visible[outlet] = on;
}

bool FakeMainWindow::enabled(const std::string& outlet) const {
    auto it = enabledState.find(outlet);
    return it != enabledState.end() && it->second;
}

void FakeMainWindow::showTable(const std::string& outlet, const ZOLTDGDataSource& rows) {
    auto& shown = tables[outlet];
    shown.clear();
    for (std::size_t i = 0; i < rows.numberOfRowsInTableView(); ++i) {
        shown.push_back(rows.objectValueForTableColumn("Column1", i).value_or("?") + "=" +
                        rows.objectValueForTableColumn("Column2", i).value_or("?"));
    }
}

std::vector<std::string> FakeMainWindow::table(const std::string& outlet) const {
    auto it = tables.find(outlet);
    return it == tables.end() ? std::vector<std::string>{} : it->second;
}

// --- alerts and runtime ---

long ScriptedAlerts::runModalSheet(const Alert& alert) {
    std::string buttons;
    for (const auto& b : alert.buttons) buttons += (buttons.empty() ? "" : ",") + b;
    journal_.push_back("alert " + alert.title + "|" + alert.text + "|" + buttons);
    if (whileShown) whileShown();
    int index = 0;
    if (!answers.empty()) {
        index = answers.front();
        answers.pop_front();
    }
    return 1000 + index;
}

std::optional<std::string> ScriptedAlerts::askPassword(const std::string&,
                                                       const std::string& text) {
    journal_.push_back("password " + text);
    if (passwords.empty()) return std::nullopt;
    auto password = passwords.front();
    passwords.pop_front();
    return password;
}

void ScriptedRuntime::runBlocking(const std::string& label, const std::function<void()>& step) {
    journal_.push_back("step " + label);
    deepest = std::max(deepest, ++depth);
    step();
    // Time passes while the step runs, and the timers that come due fire meanwhile, as they
    // would on the window's event loop.
    if (nextStepSeconds > 0) advance(std::exchange(nextStepSeconds, 0));
    --depth;
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
    if (folders.empty()) return std::nullopt;
    auto folder = folders.front();
    folders.pop_front();
    return folder;
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

void ScriptedRuntime::press() {
    if (onActivity_) onActivity_();
}

// --- dialogs ---

namespace {

template <class Base>
class MapView final : public Base {
  public:
    using Field = typename Base::Field;
    std::string text(Field field) const override {
        auto it = values.find(field);
        return it == values.end() ? "" : it->second;
    }
    void setText(Field field, const std::string& value) override { values[field] = value; }
    std::map<Field, std::string> values;
};

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

struct ScriptedSheets::Views {
    MapView<SavePfxWindowView> save;
    MapView<LoadPfxWindowView> load;
    MapView<ChgPfxPwdWindowView> change;
    BrowserButtons browsers;
    AgreementPage agreement;
};

SheetWindow<SavePfxWindowView> ScriptedSheets::makeSavePfxWindow() {
    views_ = std::make_shared<Views>();
    return {views_->save, *this};
}
SheetWindow<LoadPfxWindowView> ScriptedSheets::makeLoadPfxWindow() {
    views_ = std::make_shared<Views>();
    return {views_->load, *this};
}
SheetWindow<ChgPfxPwdWindowView> ScriptedSheets::makeChgPfxPwdWindow() {
    views_ = std::make_shared<Views>();
    return {views_->change, *this};
}
SheetWindow<DepCertWindowView> ScriptedSheets::makeDepCertWindow() {
    views_ = std::make_shared<Views>();
    return {views_->browsers, *this};
}
SheetWindow<UserAgreementWindowView> ScriptedSheets::makeUserAgreementWindow() {
    views_ = std::make_shared<Views>();
    return {views_->agreement, *this};
}

void ScriptedSheets::begin(Kind kind, const char* name, SheetDone done) {
    ASSERT_EQ(open_, Kind::none) << "a second sheet over an open one: " << name;
    journal_.push_back(std::string("sheet ") + name);
    open_ = kind;
    done_ = std::move(done);
}

void ScriptedSheets::beginSheet(SavePfxWindowController& c, SheetDone done) {
    save_ = &c;
    begin(Kind::save, "save", std::move(done));
}
void ScriptedSheets::beginSheet(LoadPfxWindowController& c, SheetDone done) {
    load_ = &c;
    loadPfxShown = views_->load.text(LoadPfxWindowView::Field::lblPfxFilePath);
    begin(Kind::load, "load", std::move(done));
}
void ScriptedSheets::beginSheet(ChgPfxPwdWindowController& c, SheetDone done) {
    change_ = &c;
    begin(Kind::change, "change", std::move(done));
}
void ScriptedSheets::beginSheet(DepCertWindowController& c, SheetDone done) {
    browsers_ = &c;
    begin(Kind::browsers, "browsers", std::move(done));
}
void ScriptedSheets::beginSheet(UserAgreementWindowController& c, SheetDone done) {
    agreement_ = &c;
    begin(Kind::agreement, "agreement", std::move(done));
}

void ScriptedSheets::showAlert(const std::string& title, const std::string& text,
                               const std::string&) {
    journal_.push_back("dialog " + title + "|" + text);
}

std::optional<std::string> ScriptedSheets::choosePath(const PathPanel&) {
    if (paths.empty()) return std::nullopt;
    auto path = paths.front();
    paths.pop_front();
    return path;
}

void ScriptedSheets::endSheet(int sheetResult) {
    open_ = Kind::none;
    ended_.push_back([done = std::move(done_), sheetResult] { done(sheetResult); });
}

std::string ScriptedSheets::directImportNote() const {
    return views_->browsers.note;
}

void ScriptedSheets::settle() {
    while (!ended_.empty()) {
        auto next = std::move(ended_.front());
        ended_.erase(ended_.begin());
        next();
    }
}

void ScriptedSheets::agree(bool agreed) {
    ASSERT_EQ(open_, Kind::agreement);
    if (agreed) {
        views_->agreement.checked = true;
        agreement_->chkUserAgreeOnClick();
        agreement_->btnNextStepOnClick();
    } else {
        agreement_->btnCancelOnClick();
    }
    settle();
}

void ScriptedSheets::savePfx(const std::string& pwd, const std::string& confirmation) {
    ASSERT_EQ(open_, Kind::save);
    views_->save.values[SavePfxWindowView::Field::txtPfxPwd] = pwd;
    views_->save.values[SavePfxWindowView::Field::txtPfxPwdCfm] = confirmation;
    save_->btnOKOnClick();
    settle();
}

void ScriptedSheets::loadPfx(const std::string& path, const std::string& pwd) {
    ASSERT_EQ(open_, Kind::load);
    paths.push_back(path);
    load_->btnBrowseFileOnClick();
    views_->load.values[LoadPfxWindowView::Field::txtPfxFilePwd] = pwd;
    load_->btnOkOnClick();
    settle();
}

void ScriptedSheets::changePwd(const std::string& oldPwd, const std::string& newPwd) {
    ASSERT_EQ(open_, Kind::change);
    views_->change.values[ChgPfxPwdWindowView::Field::txtOldPwd] = oldPwd;
    views_->change.values[ChgPfxPwdWindowView::Field::txtNewPwd] = newPwd;
    views_->change.values[ChgPfxPwdWindowView::Field::txtNewPwdCfm] = newPwd;
    change_->btnOkOnClick();
    settle();
}

void ScriptedSheets::chooseBrowsers(bool confirm) {
    ASSERT_EQ(open_, Kind::browsers);
    if (confirm) {
        browsers_->btnOkOnClick();
    } else {
        browsers_->btnCancelOnClick();
    }
    settle();
}

void ScriptedSheets::cancel() {
    switch (open_) {
        case Kind::save:
            save_->btnCancelOnClick();
            break;
        case Kind::load:
            load_->btnCancelOnClick();
            break;
        case Kind::change:
            change_->btnCancelOnClick();
            break;
        case Kind::browsers:
            browsers_->btnCancelOnClick();
            break;
        case Kind::agreement:
            agreement_->btnCancelOnClick();
            break;
        case Kind::none:
            ADD_FAILURE() << "no sheet to cancel";
            break;
    }
    settle();
}
