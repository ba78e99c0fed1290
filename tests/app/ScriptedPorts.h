#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AlertPort.h"
#include "app/AppRuntime.h"
#include "app/MainWindowView.h"
#include "app/SheetPort.h"
#include "ui/ChgPfxPwdWindowView.h"
#include "ui/DepCertWindowView.h"
#include "ui/DialogHost.h"
#include "ui/LoadPfxWindowView.h"
#include "ui/SavePfxWindowView.h"
#include "ui/UserAgreementWindowView.h"

// Scripted fakes of every port of the main window's workflows. They answer from queues and
// write what the customer would have seen, in order, into one journal:
//   "alert <title>|<text>|<buttons>", "step <label>", "sheet <kind>", "dialog <text>",
//   "timer <seconds>", "watch", "folder", "quit".
using Journal = std::vector<std::string>;

class FakeMainWindow final : public MainWindowView {
  public:
    std::string text(const std::string& outlet) const override;
    void setText(const std::string& outlet, const std::string& text) override;
    bool isChecked(const std::string& outlet) const override;
    void setEnabled(const std::string& outlet, bool enabled) override;
    void setVisible(const std::string& outlet, bool visible) override;
    std::string windowTitle() const override { return title; }
    void setWindowTitle(const std::string& value) override { title = value; }
    void showTable(const std::string& outlet, const ZOLTDGDataSource& rows) override;

    bool enabled(const std::string& outlet) const;
    // "label=value" per row of a table as last shown.
    std::vector<std::string> table(const std::string& outlet) const;

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checked, enabledState, visible;
    std::map<std::string, std::vector<std::string>> tables;
    std::string title;
};

class ScriptedAlerts final : public AlertPort {
  public:
    explicit ScriptedAlerts(Journal& journal) : journal_(journal) {}
    long runModalSheet(const Alert& alert) override;
    std::optional<std::string> askPassword(const std::string& title,
                                           const std::string& text) override;

    std::deque<int> answers;  // button index per alert; the first button when empty
    std::deque<std::optional<std::string>> passwords;  // cancelled when empty
    std::function<void()> whileShown;  // runs inside every alert, as a nested loop would

  private:
    Journal& journal_;
};

class ScriptedRuntime final : public AppRuntime {
  public:
    explicit ScriptedRuntime(Journal& journal) : journal_(journal) {}
    void runBlocking(const std::string& label, const std::function<void()>& step) override;
    void startRepeatingTimer(double seconds, std::function<void()> tick) override;
    void watchInput(std::function<void()> onActivity) override;
    double now() const override { return clock; }
    std::optional<std::string> chooseFolder() override;
    void quit() override;

    // Moves the clock, firing every timer that comes due on the way, in time order.
    void advance(double seconds);
    // A key press or left click delivered to the application.
    void press();

    double clock = 1000;
    std::deque<std::optional<std::string>> folders;
    double nextStepSeconds = 0;  // how long the next blocking step takes on the clock
    int depth = 0, deepest = 0, quits = 0;

  private:
    struct Timer {
        double interval, due;
        std::function<void()> tick;
    };
    Journal& journal_;
    std::vector<Timer> timers_;
    std::function<void()> onActivity_;
};

// Dialogs with in-memory widgets; a sheet's completion runs when settle() is called, as the
// main loop would run it after the dialog's own handler returned.
class ScriptedSheets final : public SheetPort, public DialogHost {
  public:
    explicit ScriptedSheets(Journal& journal) : journal_(journal) {}

    SheetWindow<SavePfxWindowView> makeSavePfxWindow() override;
    SheetWindow<LoadPfxWindowView> makeLoadPfxWindow() override;
    SheetWindow<ChgPfxPwdWindowView> makeChgPfxPwdWindow() override;
    SheetWindow<DepCertWindowView> makeDepCertWindow() override;
    SheetWindow<UserAgreementWindowView> makeUserAgreementWindow() override;
    void beginSheet(SavePfxWindowController& c, SheetDone done) override;
    void beginSheet(LoadPfxWindowController& c, SheetDone done) override;
    void beginSheet(ChgPfxPwdWindowController& c, SheetDone done) override;
    void beginSheet(DepCertWindowController& c, SheetDone done) override;
    void beginSheet(UserAgreementWindowController& c, SheetDone done) override;

    void showAlert(const std::string& title, const std::string& text,
                   const std::string& button) override;
    std::optional<std::string> choosePath(const PathPanel& panel) override;
    void endSheet(int sheetResult) override;

    // What the customer does in the open dialog; each settles the sheet's completion.
    void agree(bool agreed);
    void savePfx(const std::string& pwd, const std::string& confirmation);
    void loadPfx(const std::string& path, const std::string& pwd);
    void changePwd(const std::string& oldPwd, const std::string& newPwd);
    void chooseBrowsers(bool confirm);
    void cancel();
    bool isOpen() const { return open_ != Kind::none; }
    std::string directImportNote() const;
    // Runs the completions of the sheets that ended.
    void settle();

    std::deque<std::optional<std::string>> paths;  // answers of the file chooser
    std::string loadPfxShown;                      // the path the load dialog proposed

  private:
    enum class Kind { none, save, load, change, browsers, agreement };
    void begin(Kind kind, const char* name, SheetDone done);

    Journal& journal_;
    Kind open_ = Kind::none;
    SheetDone done_;
    std::vector<std::function<void()>> ended_;
    SavePfxWindowController* save_ = nullptr;
    LoadPfxWindowController* load_ = nullptr;
    ChgPfxPwdWindowController* change_ = nullptr;
    DepCertWindowController* browsers_ = nullptr;
    UserAgreementWindowController* agreement_ = nullptr;
    struct Views;
    std::shared_ptr<Views> views_;
};
