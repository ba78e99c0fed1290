#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "RegsvcProcess.h"
#include "ScriptedPorts.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"

// The main window's controller against the stand-in service, in a temporary home, with every
// port scripted. Tests read what the customer saw from the journal.
class WorkflowFixture : public testing::Test {
  protected:
    explicit WorkflowFixture(std::map<std::string, std::string> overrides = {})
        : service(withLongSessions(std::move(overrides))) {
        desktop.apps["com.google.Chrome"] = {"/apps/chrome.desktop", "Chrome", "120", ""};
        desktop.defaultHandler = "com.google.Chrome";
    }

    // Sessions that outlive the clock the tests move.
    static std::map<std::string, std::string> withLongSessions(
        std::map<std::string, std::string> overrides) {
        overrides.emplace("sessionIdleSeconds", "100000000");
        return overrides;
    }

    ServiceEndpoint endpoint() const {
        return {"127.0.0.1:" + std::to_string(service.port()), service.servicePublicKeyPem(),
                service.trustAnchorPem()};
    }

    // Types the ID number and password into the window and presses 登入.
    void login(const std::string& id = "A123456789", const std::string& pwd = "demo1234") {
        view.texts[outlet::kTxtUserIdNo] = id;
        view.texts[outlet::kTxtSecureLoginPwd] = pwd;
        vc.btnLoginOnClick();
    }

    // The journal since the last call, then forgotten.
    Journal take() { return std::exchange(journal, {}); }
    // Only the texts of the alerts in the journal since the last call.
    std::vector<std::string> said() {
        std::vector<std::string> texts;
        for (const auto& entry : take()) {
            if (entry.rfind("alert ", 0) != 0) continue;
            const auto first = entry.find('|');
            texts.push_back(entry.substr(first + 1, entry.rfind('|') - first - 1));
        }
        return texts;
    }
    int count(const std::string& action) {
        int n = 0;
        for (const auto& r : nlohmann::json::parse(service.requests())) n += r["action"] == action;
        return n;
    }
    std::string home() const { return desktop.homePath(); }
    // What the direct import into the shared store of the installed Chrome says.
    const std::string kImported = "已安裝至 Chrome／Chromium";
    // After a renewal: the renewed certificate in, the one it replaced out.
    const std::string kImportedReplacing = kImported + "，並已移除 1 張您較舊的憑證";
    std::string pfxPath() const { return home() + "/A123456789_S.pfx"; }
    StringMap properties() const {
        return lib()
            .util()
            .propertiesFileToDictionary(lib().util().getPropertiesPath())
            .value_or(StringMap{});
    }
    ZOLTLib& lib() const { return vc.getZOLTlib(); }
    std::string storedPassword() const {
        std::string path, password;
        lib().util().loadFromProperties("A123456789", path, password);
        return password;
    }

    // A new customer logs in and applies: the PFX at the default path, no backup; the
    // journal is emptied afterwards.
    void applyAsNewCustomer() {
        alerts.answers = {0, 0, 0, 0, 1, 0};
        login();
        sheets.agree(true);
        take();
        ASSERT_TRUE(lib().getClientCertInfo(pfxPath(), "A123456789", {}, {}, {}, {}));
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
