#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ServiceResult.h"
#include "service/ZOLTLib.h"

namespace {

// What the customer may use before login; the function buttons wait for the function status.
constexpr const char* kLoginPanel[] = {
    outlet::kTxtUserIdNo,         outlet::kTxtLoginPwd,     outlet::kTxtSecureLoginPwd,
    outlet::kChkShowPwdPlainText, outlet::kBtnLogin,        outlet::kBtnCrtIdno,
    outlet::kBtnUsageLink,        outlet::kBtnDownloadLink,
};
constexpr const char* kFunctions[] = {
    outlet::kBtnApplyCert,       outlet::kBtnRenewCert,     outlet::kBtnQrySvrCertInfo,
    outlet::kBtnQryClntCertInfo, outlet::kBtnChgPfxPwd,     outlet::kBtnDepCert,
    outlet::kBtnPwdHint,         outlet::kBtnBrowsePfxFile,
};

}  // namespace

void ViewController::viewWillAppear() {
    for (const char* name : kLoginPanel) ports_.view.setEnabled(name, false);
    for (const char* name : kFunctions) ports_.view.setEnabled(name, false);
}

// The window is on the screen with nothing usable while the check runs; only a client the
// service accepts opens its login panel.
void ViewController::viewDidLoad() {
    viewWillAppear();
    doVersionCheck();
    if (gate_.isQuitting()) return;
    for (const char* name : kLoginPanel) ports_.view.setEnabled(name, true);
}

void ViewController::viewDidAppear() {
    if (gate_.isQuitting()) return;
    ports_.view.setWindowTitle(app_text::kWindowTitlePrefix +
                               sysCfg("env.clientVersion").value_or(""));
}

// Only the service's own verdict makes the client outdated. A check that got no answer says
// so and offers another try: an update downloaded for a dead network helps nobody.
void ViewController::doVersionCheck() {
    while (!gate_.isQuitting()) {
        const StepReply checked = step(app_text::kStepVersion, [](ZOLTLib& lib) {
            StepReply out;
            out.rc = lib.versionCheck(out.errMsg);
            return out;
        });
        if (checked.rc == service_result::kOk) return;
        if (checked.rc == service_result::kVersionRefused) break;
        const Alert unreachable{app_text::kInfoTitle,
                                app_text::kServiceUnreachable,
                                {app_text::kRetry, app_text::kQuit},
                                true};
        if (runAlert(unreachable) != 1000) {
            quit();
            return;
        }
    }
    if (gate_.isQuitting()) return;
    doAlert(app_text::kOutdated);
    const std::string installer =
        step(app_text::kStepDownload, [](ZOLTLib& lib) { return lib.dlNewClient(); });
    if (installer.empty()) {
        doAlert(app_text::kDownloadFailed);
    } else {
        doAlert(app_text::kDownloaded);
        if (!ports_.desktop.openFile(installer)) doAlert(app_text::kInstallerFailed);
    }
    quit();
}
