#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "app/AlertPort.h"
#include "gui/QtPorts.h"
#include "support/FakeDesktop.h"

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
        for (const auto& alert : alerts) {
            if (alert.text == text) return true;
        }
        return false;
    }

    FakeDesktop desktop;
    QtPorts ports{desktop};
    std::vector<Alert> alerts;
    std::function<int(const Alert&)> answer;
};
