#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "RegsvcProcess.h"
#include "ScriptedPorts.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "support/TestPki.h"

// What the customer was told, in order.
using Texts = std::vector<std::string>;

// The main window's controller against the stand-in service, in a temporary home, with every
// port scripted. Tests read what the customer saw from the journal.
class WorkflowFixture : public testing::Test {
  public:
    // What the direct import into the shared store of the installed Chrome says.
    static inline const std::string kImported = "已安裝至 Chrome／Chromium";
    // After a renewal: the renewed certificate in, the one it replaced out.
    static inline const std::string kImportedReplacing = kImported + "，並已移除 1 張您較舊的憑證";

    // `overrides`: the stand-in service's settings; sessions always outlive the moved clock.
    explicit WorkflowFixture(std::map<std::string, std::string> overrides = {})
        : service((overrides.emplace("sessionIdleSeconds", "100000000"), std::move(overrides))) {
        desktop.apps["com.google.Chrome"] = {"/apps/chrome.desktop", "Chrome", "120", ""};
        desktop.defaultHandler = "com.google.Chrome";
    }

    ServiceEndpoint endpoint() const {
        return {"127.0.0.1:" + std::to_string(service.port()), service.servicePublicKeyPem(),
                service.trustAnchorPem()};
    }

    // Types the ID number and password into a window and presses 登入.
    void login(FakeMainWindow& window, ViewController& controller,
               const std::string& id = "A123456789") {
        window.texts[outlet::kTxtUserIdNo] = id;
        window.texts[outlet::kTxtSecureLoginPwd] = "demo1234";
        controller.btnLoginOnClick();
    }
    void login(const std::string& id = "A123456789") { login(view, vc, id); }

    // The journal since the last call, then forgotten.
    Journal take() { return std::exchange(journal, {}); }
    // The texts of the alerts and dialog errors since the last call, the home folder as "~".
    std::vector<std::string> said() {
        std::vector<std::string> texts;
        for (auto entry : take()) {
            if (entry.rfind("alert ", 0) != 0 && entry.rfind("dialog ", 0) != 0) continue;
            for (auto at = entry.find(home()); at != std::string::npos; at = entry.find(home()))
                entry.replace(at, home().size(), "~");
            const auto first = entry.find('|');
            const auto last = entry[0] == 'a' ? entry.rfind('|') : entry.size();
            texts.push_back(entry.substr(first + 1, last - first - 1));
        }
        return texts;
    }
    int count(const std::string& action) {
        int n = 0;
        for (const auto& r : nlohmann::json::parse(service.requests())) n += r["action"] == action;
        return n;
    }
    std::string home() const { return desktop.homePath(); }
    std::string pfxPath() const { return home() + "/A123456789_S.pfx"; }
    ZOLTLib& lib() const { return vc.getZOLTlib(); }
    StringMap properties() const {
        return lib()
            .util()
            .propertiesFileToDictionary(lib().util().getPropertiesPath())
            .value_or(StringMap{});
    }
    std::string storedPassword() const {
        std::string path, password;
        lib().util().loadFromProperties("A123456789", path, password);
        return password;
    }
    void store(const std::string& path, const std::string& pwd) {
        ASSERT_TRUE(lib().util().saveToProperties("A123456789", path, pwd));
    }

    // The customer's steps, one word each; FILE is in the home folder, and every password
    // is the ID number unless named. Buttons: login, apply (a new customer's whole
    // application), renew, query, deploy, change. In the open dialog:
    // agree, browsers, cancel, load:FILE, newpwd:PASSWORD. Around it: due (for renewal),
    // move:FILE (the PFX moves there), store:FILE (recorded), stale (the recorded password
    // no longer opens the file), current:FILE, stranger (somebody else's PFX at
    // stranger.pfx), folder:FILE (a folder where FILE should go), unrecordable (the record
    // cannot be written), status:DIGITS, refuse:ACTION (the service refuses it).
    void walk(const std::string& steps) {
        namespace fs = std::filesystem;
        using Arg = const std::string&;
        auto at = [this](Arg file) { return home() + "/" + file; };
        const std::map<std::string, std::function<void(Arg)>> verbs = {
            {"login", [&](Arg) { login(); }},
            {"apply",  // no backup; the journal is emptied afterwards
             [&](Arg) {
                 alerts.answers = {0, 0, 0, 0, 1, 0};  // login, proposal, two messages, no backup
                 login();
                 sheets.agree();
                 take();
             }},
            {"renew", [&](Arg) { vc.btnRenewOnClick(); }},
            {"query", [&](Arg) { vc.btnQryClntCertInfoOnClick(); }},
            {"deploy", [&](Arg) { vc.btnDepCertOnClick(); }},
            {"change", [&](Arg) { vc.btnChgPfxPwdOnClick(); }},
            {"agree", [&](Arg) { sheets.agree(); }},
            {"browsers", [&](Arg) { sheets.chooseBrowsers(); }},
            {"cancel", [&](Arg) { sheets.cancel(); }},
            {"load", [&](Arg file) { sheets.loadPfx(at(file), "A123456789"); }},
            {"newpwd", [&](Arg pwd) { sheets.changePwd("A123456789", pwd); }},
            {"due",
             [&](Arg) {
                 service.advanceClock(340 * 24 * 60 * 60);
                 vc.setBtnStatus();
                 ASSERT_EQ(vc.currentFnStatus(), "01");
                 take();
             }},
            {"move", [&](Arg file) { fs::rename(pfxPath(), at(file)); }},
            {"store", [&](Arg file) { store(at(file), "A123456789"); }},
            {"stale", [&](Arg) { store(pfxPath(), "stale-password"); }},
            {"current", [&](Arg file) { lib().setCurrentPfxFilePath(at(file)); }},
            {"stranger",
             [&](Arg) {
                 TestPki pki;
                 std::string key;
                 const std::string cert = pki.issue(pki.newRequest("/CN=stranger", key), "01");
                 fs::copy_file(pki.pkcs12(cert, key, "A123456789"), at("stranger.pfx"),
                               fs::copy_options::overwrite_existing);
             }},
            {"folder", [&](Arg file) { fs::create_directory(at(file)); }},
            {"unrecordable",
             [&](Arg) {
                 fs::remove(lib().util().getPropertiesPath());
                 fs::create_directory(lib().util().getPropertiesPath());
             }},
            {"status", [&](Arg digits) { vc.setBtnStatus(digits, 0, 0); }},
            {"refuse", [&](Arg action) { service.setRule(action, R"({"rtnCode": "5701"})"); }},
        };
        std::istringstream in(steps);
        for (std::string word; in >> word;) {
            const auto colon = word.find(':');
            const auto verb = verbs.find(word.substr(0, colon));
            ASSERT_NE(verb, verbs.end()) << word;
            verb->second(colon == std::string::npos ? "" : word.substr(colon + 1));
        }
    }

    RegsvcProcess service;
    FakeDesktop desktop;
    Journal journal;
    FakeMainWindow view;
    ScriptedAlerts alerts{journal};
    ScriptedSheets sheets{journal};
    ScriptedRuntime runtime{journal};
    std::uint32_t nextRandom = 0;
    mutable ViewController vc{
        {view, alerts, sheets, runtime, desktop}, endpoint(), [this] { return nextRandom++; }};
};
