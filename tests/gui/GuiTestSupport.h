#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "RegsvcProcess.h"
#include "app/AlertPort.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "gui/QtPorts.h"
#include "gui/UserAgreementWindow.h"
#include "support/FakeDesktop.h"

// Every control of the main window, by outlet.
inline const char* const kWindowControls[] = {
    outlet::kTxtUserIdNo,         outlet::kTxtLoginPwd,  outlet::kTxtSecureLoginPwd,
    outlet::kChkShowPwdPlainText, outlet::kBtnLogin,     outlet::kBtnCrtIdno,
    outlet::kBtnApplyCert,        outlet::kBtnRenewCert, outlet::kBtnQrySvrCertInfo,
    outlet::kBtnQryClntCertInfo,  outlet::kBtnChgPfxPwd, outlet::kBtnDepCert,
    outlet::kBtnPwdHint,          outlet::kBtnUsageLink, outlet::kBtnDownloadLink,
    outlet::kBtnBrowsePfxFile,
};

// Clicks a check box on its box, as a person does: its middle may lie past its caption.
inline void tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

// The Qt ports over a temporary home, with alerts answered instead of shown: every alert is
// recorded, and the answer is the index `answer` gives (the first button by default).
struct GuiHarness {
    GuiHarness() {
        ports.alerts.answerWith([this](const Alert& alert) {
            alerts.push_back(alert);
            return answer ? answer(alert) : 0;
        });
    }

    // The dialog of that kind that is open now, if any.
    template <class Window>
    Window* openDialog() const {
        for (Window* window : ports.window.findChildren<Window*>()) {
            if (window->isVisible()) return window;
        }
        return nullptr;
    }
    template <class Widget = QWidget>
    Widget* child(const char* name) const {
        return ports.window.findChild<Widget*>(QString::fromUtf8(name));
    }
    bool said(const std::string& text) const {
        return std::any_of(alerts.begin(), alerts.end(), [&](auto& a) { return a.text == text; });
    }

    FakeDesktop desktop;
    QtPorts ports{desktop};
    std::vector<Alert> alerts;
    std::function<int(const Alert&)> answer;
};

// The demo customer against the stand-in service, the window shown. Chrome is installed; a
// backup is declined.
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

// A service that takes connections and never answers, until it is closed.
struct DeadService {
    DeadService() {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(fd, 4);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~DeadService() { close(); }
    // The compiled-in service moved here.
    ServiceEndpoint endpoint() const {
        ServiceEndpoint moved = ServiceEndpoint::compiledIn();
        moved.host = "127.0.0.1:" + std::to_string(port);
        return moved;
    }
    // Connections waiting in the queue are reset with it.
    void close() { ::close(std::exchange(fd, -1)); }
    int fd = ::socket(AF_INET, SOCK_STREAM, 0), port = 0;
};
