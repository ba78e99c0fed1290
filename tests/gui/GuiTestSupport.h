#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QTest>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/AlertPort.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "gui/QtPorts.h"
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

    FakeDesktop desktop;
    QtPorts ports{desktop};
    std::vector<Alert> alerts;
    std::function<int(const Alert&)> answer;
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
