#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ZOLTLib.h"

void ViewController::btnApplyCertOnClick() {
    doApplyCert(cn());
}

int ViewController::doApplyCert(const std::string& cn) {
    workflowStarted_ = true;
    showUserAgreement([this, cn](int agreed) {
        if (agreed != 1) return;
        std::optional<std::string> pfxPath = sysCfg("env.userPfxFilePath");
        std::string b64PrivateKey, b64Cert, errMsg;
        StringMap certInfo;
        int rc = 1;
        step(app_text::kStepApply,
             [&] { rc = getZOLTlib().applyCert(cn, b64PrivateKey, b64Cert, certInfo, errMsg); });
        if (rc != 0) {
            showErrMsg(rc, errMsg);
            setBtnStatus();
            return;
        }
        applyCertInfo_ = certInfo;
        std::string pfxPwd;
        if (doApplyCertSaveToPfx(b64Cert, b64PrivateKey, pfxPath, pfxPwd, errMsg) != 0) return;
        backupCert(pfxPath.value_or(""));
        if (sysCfg("depCert.autoDeploy") == "Y") doDepCert(cn);
    });
    return -1;
}

int ViewController::doApplyCertSaveToPfx(const std::string& b64Cert,
                                         const std::string& b64PrivateKey,
                                         std::optional<std::string>& pfxFilePath,
                                         std::string& pfxFilePwd, std::string& errMsg) {
    pfxFilePwd = idno();
    ZOLTLib& lib = getZOLTlib();
    const int certId = ZOLTLib::leadingInt(applyCertInfo_["certId"]);
    if (!pfxFilePath || pfxFilePath->empty()) {
        showSavePfxWindow(b64Cert, b64PrivateKey, [this, certId](int saved) {
            if (saved != 1) {
                doAlert(app_text::kSaveCancelled);
                return;
            }
            const std::string folder = savePfxFileWindowResult_["pfxFilePath"];
            std::string errMsg;
            int rc = 1;
            step(app_text::kStepActivate,
                 [&] { rc = getZOLTlib().activeCert(certId, folder, errMsg); });
            reportActivation(rc, folder, app_text::kApplyFailed, app_text::kApplyDone,
                             app_text::kApplyReminder);
            setBtnStatus();
            doQryClntCertInfo(cn(), true);
        });
        return -1;
    }
    const std::string path = *pfxFilePath;
    int rc = 1;
    step(app_text::kStepExport,
         [&] { rc = lib.exportCert(b64Cert, b64PrivateKey, path, pfxFilePwd, errMsg); });
    if (rc != 0) {
        doAlert(app_text::kSaveFailed);
        return rc;
    }
    recordPfx(path, pfxFilePwd);
    setCurrentPfxFilePath(path);
    int activated = 1;
    step(app_text::kStepActivate, [&] { activated = lib.activeCert(certId, path, errMsg); });
    reportActivation(activated, path, app_text::kApplyFailed, app_text::kApplyDone,
                     app_text::kApplyReminder);
    setBtnStatus();
    doQryClntCertInfo(cn(), true);
    return 0;
}

void ViewController::reportActivation(int rc, const std::string& shownPath, const char* failed,
                                      const char* done, const char* reminder) {
    if (rc != 0) {
        doAlert(failed);
        return;
    }
    doAlert(app_text::fill(done, shownPath));
    doAlert(reminder);
}

bool ViewController::recordPfx(const std::string& pfxPath, const std::string& password) {
    if (getZOLTlib().util().saveToProperties(idno(), pfxPath, password)) return true;
    doAlert(app_text::kPropertiesFailed);
    return false;
}

// The copy is owner-only and replaced atomically like every file holding a key.
void ViewController::backupCert(const std::string& pfxFilePath) {
    const Alert offer{app_text::kInfoTitle,
                      app_text::kBackupOffer,
                      {app_text::kConfirm, app_text::kCancel},
                      true};
    if (runAlert(offer) != 1000) return;
    const std::optional<std::string> folder =
        answered([&] { return ports_.runtime.chooseFolder(); });
    if (!folder) return;
    std::string target = *folder;
    if (target.empty() || target.back() != '/') target += '/';
    target += app_text::kBackupFileName;
    const CommonUtility& util = getZOLTlib().util();
    const std::optional<Bytes> pfx = util.getFile(pfxFilePath);
    if (pfx && util.saveFile(target, *pfx)) {
        ports_.desktop.log("copy success!!path=" + target);
    } else {
        ports_.desktop.log("copy fail!!");
        doAlert(app_text::kBackupFailed);
    }
}
