#include "app/AppTexts.h"
#include "app/IdNumber.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ZOLTLib.h"

// Keep-alive: its outcome is not looked at; the next tick tries again.
void ViewController::doIAmAlive() {
    if (!gate_.mayRunNow(ModalGate::Timed::keepAlive)) return;
    step(app_text::kStepKeepAlive, [](ZOLTLib& lib) { lib.iAmAlive(); });
}

void ViewController::registerEventMonitor() {
    ports_.runtime.watchInput([this] { noteActivity(); });
}

void ViewController::noteActivity() {
    idle_.noteActivity(ports_.runtime.now());
    // The title is only ever changed by the countdown, which has kept the original.
    MainWindowView& view = ports_.view;
    if (origWindowTitle_ && view.windowTitle() != *origWindowTitle_) {
        view.setWindowTitle(*origWindowTitle_);
    }
}

// Idle too long logs out and quits without asking; the countdown shows in the window title.
void ViewController::checkIdle() {
    if (!gate_.mayRunNow(ModalGate::Timed::idleCheck)) return;
    MainWindowView& view = ports_.view;
    if (!origWindowTitle_) origWindowTitle_ = view.windowTitle();
    const IdleWatch::Verdict verdict = idle_.check(ports_.runtime.now());
    if (verdict.kind == IdleWatch::Verdict::Kind::logout) {
        doLogout();
        quit();
    } else if (verdict.kind == IdleWatch::Verdict::Kind::countdown) {
        view.setWindowTitle(
            app_text::fill(app_text::fill(app_text::kIdleCountdown, *origWindowTitle_).c_str(),
                           std::to_string(verdict.secondsLeft)));
    } else if (view.windowTitle() != *origWindowTitle_) {
        view.setWindowTitle(*origWindowTitle_);
    }
}

void ViewController::chkShowPwdPlaintextOnClick() {
    MainWindowView& view = ports_.view;
    const bool plain = view.isChecked(outlet::kChkShowPwdPlainText);
    const char* from = plain ? outlet::kTxtSecureLoginPwd : outlet::kTxtLoginPwd;
    const char* to = plain ? outlet::kTxtLoginPwd : outlet::kTxtSecureLoginPwd;
    view.setText(to, view.text(from));
    view.setVisible(to, true);
    view.setVisible(from, false);
}

void ViewController::btnPwdHintOnClick() {
    doAlert(app_text::kPwdHint);
}

void ViewController::btnUsageLinkOnClick() {
    ports_.desktop.openUrl(sysCfg("usageLink.url").value_or(""));
}

void ViewController::btnDownloadLinkOnClick() {
    ports_.desktop.openUrl(sysCfg("downloadLink.url").value_or(""));
}

void ViewController::btnCrtIdnoOnClick() {
    const std::string id = createIdno();
    MainWindowView& view = ports_.view;
    view.setText(outlet::kTxtUserIdNo, id);
    view.setText(view.isChecked(outlet::kChkShowPwdPlainText) ? outlet::kTxtLoginPwd
                                                              : outlet::kTxtSecureLoginPwd,
                 id);
}

std::string ViewController::createIdno() {
    const std::uint32_t r1 = random_();
    const std::uint32_t r2 = random_();
    return IdNumber::create(r1, r2);
}
