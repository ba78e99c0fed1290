#include <cstdio>

#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "service/ZOLTLib.h"

namespace {

std::string trimmedUpper(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    std::string out = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace

void ViewController::btnLoginOnClick() {
    if (!isUserLogin()) {
        doLogin();
    } else if (doConfirm(app_text::kLogoutQuestion)) {
        doLogout();
        quit();
    }
    ports_.view.setText(outlet::kBtnLogin, isUserLogin() ? app_text::kLogout : app_text::kLogin);
}

int ViewController::doLogin() {
    MainWindowView& view = ports_.view;
    view.setText(outlet::kTxtUserIdNo, trimmedUpper(view.text(outlet::kTxtUserIdNo)));
    const std::string id = idno();
    const std::string pwd =
        view.text(view.isChecked(outlet::kChkShowPwdPlainText) ? outlet::kTxtLoginPwd
                                                               : outlet::kTxtSecureLoginPwd);
    if (id.empty()) {
        doAlert(app_text::kIdEmpty);
        return -1;
    }
    const StepReply reply = step(app_text::kStepLogin, [&id, &pwd](ZOLTLib& lib) {
        StepReply out;
        out.rc = lib.login(id, pwd, out.errMsg);
        return out;
    });
    if (reply.rc != 0) {
        doAlert(reply.errMsg.empty() ? app_text::kLoginFailed : reply.errMsg);
        return reply.rc;
    }
    setUserLogin(true);
    ports_.runtime.startRepeatingTimer(IdleWatch::kKeepAliveEverySeconds, [this] { doIAmAlive(); });
    registerEventMonitor();
    ports_.runtime.startRepeatingTimer(IdleWatch::kCheckEverySeconds, [this] { checkIdle(); });
    doAlert(app_text::kLoginDone);
    setCurrentPfxFilePath(sysCfg("env.userPfxFilePath"));
    for (const char* control : {outlet::kTxtUserIdNo, outlet::kTxtLoginPwd,
                                outlet::kTxtSecureLoginPwd, outlet::kChkShowPwdPlainText}) {
        view.setEnabled(control, false);
    }
    std::string fnStatus;
    int certCount = 0, effectCertCount = 0;
    const int rc = fetchFnStatus(fnStatus, certCount, effectCertCount);
    if (rc != 0) {
        doAlert(app_text::kNoFnStatus);
        return rc;
    }
    setBtnStatus(fnStatus, certCount, effectCertCount);
    const bool loaded =
        loadPfxFileController_.controller && loadPfxFileController_.controller->isWindowLoaded();
    ports_.desktop.log("loaded=" + std::to_string(loaded ? 1 : 0));
    if (loaded) {
        ports_.desktop.log("loaded!!");
    } else {
        ports_.desktop.log("not loaded!!");
        invokeAutoPrcs(fnStatus);
    }
    return 0;
}

int ViewController::doLogout() {
    const std::string id = idno();
    const int rc = step(app_text::kStepLogout, [&id](ZOLTLib& lib) {
                       return StepReply{lib.logout(id), {}};
                   }).rc;
    if (rc != 0) return rc;
    setUserLogin(false);
    return 0;
}

int ViewController::fetchFnStatus(std::string& fnStatus, int& certCount, int& effectCertCount) {
    struct Status : StepReply {
        std::string fnStatus;
        int certCount = 0, effectCertCount = 0;
    };
    const std::string name = cn();
    const Status status = step(app_text::kStepFnStatus, [&name](ZOLTLib& lib) {
        Status out;
        out.rc =
            lib.getFnStatus(name, out.fnStatus, out.certCount, out.effectCertCount, out.errMsg);
        return out;
    });
    fnStatus = status.fnStatus;
    certCount = status.certCount;
    effectCertCount = status.effectCertCount;
    return status.rc;
}

void ViewController::setBtnStatus() {
    std::string fnStatus;
    int certCount = 0, effectCertCount = 0;
    if (fetchFnStatus(fnStatus, certCount, effectCertCount) == 0) {
        setBtnStatus(fnStatus, certCount, effectCertCount);
    }
}

void ViewController::setBtnStatus(const std::string& fnStatus, int certCount, int effectCertCount) {
    currentFnStatus_ = fnStatus;
    MainWindowView& view = ports_.view;
    for (const char* button :
         {outlet::kBtnApplyCert, outlet::kBtnRenewCert, outlet::kBtnQrySvrCertInfo,
          outlet::kBtnQryClntCertInfo, outlet::kBtnChgPfxPwd, outlet::kBtnDepCert}) {
        view.setEnabled(button, false);
    }
    // A status shorter than two characters offers nothing.
    const char applyDigit = fnStatus.size() > 1 ? fnStatus[0] : '0';
    const char renewDigit = fnStatus.size() > 1 ? fnStatus[1] : '0';
    if (applyDigit != '0') view.setEnabled(outlet::kBtnApplyCert, true);
    if (renewDigit != '0') view.setEnabled(outlet::kBtnRenewCert, true);
    if (certCount > 0) {
        for (const char* button : {outlet::kBtnQrySvrCertInfo, outlet::kBtnQryClntCertInfo,
                                   outlet::kBtnPwdHint, outlet::kBtnBrowsePfxFile}) {
            view.setEnabled(button, true);
        }
    }
    if (effectCertCount > 0) {
        view.setEnabled(outlet::kBtnChgPfxPwd, true);
        view.setEnabled(outlet::kBtnDepCert, true);
    }
    if (certCount > 0) doQrySvrCertInfo(cn());
    if (effectCertCount > 0 && applyDigit != '2') {
        doQryClntCertInfo(cn());
        if (!workflowStarted_) doDepCert(cn());
    }
    if (certCount > 0) setCurrentPfxFilePath(getZOLTlib().getCurrentPfxFilePath());
}

void ViewController::invokeAutoPrcs(const std::string& fnStatus) {
    const char applyDigit = fnStatus.size() > 1 ? fnStatus[0] : '0';
    const char renewDigit = fnStatus.size() > 1 ? fnStatus[1] : '0';
    if (applyDigit == '1' || applyDigit == '2') {
        if (doConfirm(applyDigit == '1' ? app_text::kProposeApply
                                        : app_text::kProposeApplyUnfinished)) {
            doApplyCert(cn());
        }
    } else if (renewDigit == '1' || renewDigit == '2') {
        if (doConfirm(renewDigit == '1' ? app_text::kProposeRenew
                                        : app_text::kProposeRenewUnfinished)) {
            doRenewCert(cn());
        }
    }
}

void ViewController::doAutoProcess() {
    std::string fnStatus;
    int certCount = 0, effectCertCount = 0;
    if (fetchFnStatus(fnStatus, certCount, effectCertCount) != 0) {
        doAlert(app_text::kNoFnStatus);
        fnStatus.clear();
    }
    invokeAutoPrcs(fnStatus);
}
