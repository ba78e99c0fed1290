#pragma once

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <map>
#include <string>

#include "GuiTestSupport.h"
#include "RegsvcProcess.h"
#include "gui/UserAgreementWindow.h"

// The demo customer against the stand-in service, the window shown, for the screenshot program
// and the paint-gap measure. Chrome is installed; a backup is declined.
struct DemoCustomer : GuiHarness {
    DemoCustomer() {
        desktop.apps["com.google.Chrome"] = {"/apps/chrome.desktop", "Chrome", "120", ""};
        answer = [](const Alert& alert) { return alert.text == app_text::kBackupOffer ? 1 : 0; };
        ports.window.bind(controller);
        controller.viewDidLoad();
        ports.window.show();
        controller.viewDidAppear();
    }
    void logIn() {
        QTest::keyClicks(child(outlet::kTxtUserIdNo), " a123456789");
        QTest::keyClicks(child(outlet::kTxtSecureLoginPwd), "demo1234");
        QTest::mouseClick(child(outlet::kBtnLogin), Qt::LeftButton);
    }
    bool said(const std::string& text) const {
        return std::any_of(alerts.begin(), alerts.end(), [&](auto& a) { return a.text == text; });
    }
    // Accepts the agreement of the proposed application; true once it has been deployed.
    bool apply() {
        auto* agreement = openDialog<UserAgreementWindow>();
        if (!agreement) return false;
        tick(agreement->findChild<QCheckBox*>("chkAgree"));
        QTest::mouseClick(agreement->findChild<QPushButton*>("btnNextStep"), Qt::LeftButton);
        // Bounded, so that a stuck application fails instead of hanging.
        QDeadlineTimer deadline(120000);
        while (!said(app_text::kDeployExplain) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        }
        return said(app_text::kDeployExplain);
    }

    RegsvcProcess service{std::map<std::string, std::string>{{"sessionIdleSeconds", "100000000"}}};
    ViewController controller{ports.appPorts(),
                              {"127.0.0.1:" + std::to_string(service.port()),
                               service.servicePublicKeyPem(), service.trustAnchorPem()}};
};
