#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/AlertPort.h"
#include "app/AppRuntime.h"
#include "app/MainWindowView.h"
#include "app/SheetPort.h"
#include "support/FakeTextView.h"
#include "ui/ChgPfxPwdWindowView.h"
#include "ui/DepCertWindowView.h"
#include "ui/DialogHost.h"
#include "ui/LoadPfxWindowView.h"
#include "ui/SavePfxWindowView.h"
#include "ui/UserAgreementWindowView.h"

// Scripted fakes of every port of the main window's workflows. They answer from queues and
// write what the customer would have seen, in order, into one journal:
//   "alert <title>|<text>|<buttons>", "step <label>", "sheet <kind>",
//   "dialog <title>|<text>", "timer <seconds>", "watch", "folder", "quit".
using Journal = std::vector<std::string>;

class FakeMainWindow final : public MainWindowView {
  public:
    std::string text(const std::string& o) const override { return get(texts, o); }
    void setText(const std::string& o, const std::string& value) override { texts[o] = value; }
    bool isChecked(const std::string& o) const override { return get(checked, o); }
    void setEnabled(const std::string& o, bool on) override { enabled[o] = on; }
    void setVisible(const std::string& o, bool on) override { visible[o] = on; }
    std::string windowTitle() const override { return title; }
    void setWindowTitle(const std::string& value) override { title = value; }
    // Keeps "label=value" per row.
    void showTable(const std::string& outlet, const ZOLTDGDataSource& rows) override;

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checked, enabled, visible;  // a control never set reads false
    std::map<std::string, std::vector<std::string>> tables;
    std::string title;

  private:
    template <class Map>
    static typename Map::mapped_type get(const Map& map, const std::string& key) {
        auto it = map.find(key);
        return it == map.end() ? typename Map::mapped_type{} : it->second;
    }
};

class ScriptedAlerts final : public AlertPort {
  public:
    explicit ScriptedAlerts(Journal& journal) : journal_(journal) {}
    long runModalSheet(const Alert& alert) override;
    // Always cancelled: the stand-in desktop has no store that asks for one.
    std::optional<std::string> askPassword(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    std::deque<int> answers;  // button index per alert; the first button when empty

  private:
    Journal& journal_;
};

class ScriptedRuntime final : public AppRuntime {
  public:
    explicit ScriptedRuntime(Journal& journal) : journal_(journal) {}
    void runBlocking(const std::string& label, const std::function<void()>& step) override;
    void startRepeatingTimer(double seconds, std::function<void()> tick) override {
        journal_.push_back("timer " + std::to_string(static_cast<int>(seconds)));
        timers_.push_back({seconds, clock + seconds, std::move(tick)});
    }
    void watchInput(std::function<void()> onActivity) override {
        journal_.push_back("watch");
        onActivity_ = std::move(onActivity);
    }
    double now() const override { return clock; }
    std::optional<std::string> chooseFolder() override {
        journal_.push_back("folder");
        return std::exchange(folder, std::nullopt);
    }
    void quit() override {
        journal_.push_back("quit");
        ++quits;
    }

    // Moves the clock, firing every timer that comes due on the way, in time order.
    void advance(double seconds);
    // A key press or left click delivered to the application.
    void press() { onActivity_(); }

    double clock = 1000;
    std::optional<std::string> folder;  // the folder chooser's next answer
    double nextStepSeconds = 0;         // how long the next blocking step takes on the clock
    int deepest = 0, quits = 0;

  private:
    struct Timer {
        double interval, due;
        std::function<void()> tick;
    };
    Journal& journal_;
    std::vector<Timer> timers_;
    std::function<void()> onActivity_;
    int depth_ = 0;
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

// Dialogs with in-memory widgets; a sheet's completion runs once the customer's action in
// it has returned, as the main loop would run it after the dialog's own handler.
class ScriptedSheets final : public SheetPort, public DialogHost {
  public:
    explicit ScriptedSheets(Journal& journal) : journal_(journal) {}

    // A window's widgets start empty; only the newest window of a kind is still shown.
    SheetWindow<SavePfxWindowView> makeSavePfxWindow() override { return {fresh(save_), *this}; }
    SheetWindow<LoadPfxWindowView> makeLoadPfxWindow() override { return {fresh(load_), *this}; }
    SheetWindow<ChgPfxPwdWindowView> makeChgPfxPwdWindow() override {
        return {fresh(change_), *this};
    }
    SheetWindow<DepCertWindowView> makeDepCertWindow() override {
        return {fresh(browsers_), *this};
    }
    SheetWindow<UserAgreementWindowView> makeUserAgreementWindow() override {
        return {fresh(agreement_), *this};
    }
    void beginSheet(SavePfxWindowController& c, SheetDone done) override;
    void beginSheet(LoadPfxWindowController& c, SheetDone done) override;
    void beginSheet(ChgPfxPwdWindowController& c, SheetDone done) override;
    void beginSheet(DepCertWindowController& c, SheetDone done) override;
    void beginSheet(UserAgreementWindowController& c, SheetDone done) override;

    void showAlert(const std::string& title, const std::string& text, const std::string&) override {
        journal_.push_back("dialog " + title + "|" + text);
    }
    std::optional<std::string> choosePath(const PathPanel&) override {
        if (whileChoosing) whileChoosing();
        return std::exchange(path_, std::nullopt);
    }
    void endSheet(int sheetResult) override {
        open_.clear();
        ended_.push_back([done = std::move(done_), sheetResult] { done(sheetResult); });
    }

    // What the customer does in the open dialog, which must be of the helper's kind. With
    // `at`, the file is first chosen in the dialog's chooser.
    void agree() { press("agreement", std::nullopt, {}); }
    void savePfx(const std::string& pwd, const std::optional<std::string>& at = std::nullopt);
    void loadPfx(const std::string& path, const std::string& pwd);
    void changePwd(const std::string& oldPwd, const std::string& newPwd);
    void chooseBrowsers() { press("browsers", std::nullopt, {}); }
    void cancel();
    bool isOpen() const { return !open_.empty(); }
    // What happens while the customer is inside a dialog's file chooser.
    std::function<void()> whileChoosing;
    std::string directImportNote() const { return browsers_.note; }

  private:
    using Action = std::function<void()>;
    template <class View>
    static View& fresh(View& view) {
        view = View{};
        return view;
    }
    template <class Controller>
    void begin(const char* kind, Controller& c, SheetDone done, Action ok, Action browse = {});
    // Fills the open dialog `kind`, presses its OK and runs the completions that ends.
    void press(const char* kind, const std::optional<std::string>& at, const Action& fill);
    void settle();

    Journal& journal_;
    std::string open_;  // the open dialog's kind
    SheetDone done_;
    Action ok_, cancel_, browse_;
    std::vector<Action> ended_;
    std::optional<std::string> path_;  // the file chooser's next answer
    FakeTextView<SavePfxWindowView> save_;
    FakeTextView<LoadPfxWindowView> load_;
    FakeTextView<ChgPfxPwdWindowView> change_;
    BrowserButtons browsers_;
    AgreementPage agreement_;
};
