#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ZOLTLib.h"
#include "ui/PfxFailureSentence.h"

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
        saveIssuedInDialog(b64Cert, b64PrivateKey, certId, false);
        return -1;
    }
    const std::string path = *pfxFilePath;
    int rc = 1;
    step(app_text::kStepExport,
         [&] { rc = lib.exportCert(b64Cert, b64PrivateKey, path, pfxFilePwd, errMsg); });
    if (rc != 0) {
        // The service has issued the certificate: it must still reach a file.
        doAlert(withPfxWriteFailure(app_text::kSaveFailed, rc));
        saveIssuedInDialog(b64Cert, b64PrivateKey, certId, false);
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

// An issued certificate whose file could not be written at the default path: the save
// dialog stays until the file is written or the customer gives up, and a renewal's file then
// becomes the recorded one, as the file at the default path would have.
void ViewController::saveIssuedInDialog(const std::string& b64Cert,
                                        const std::string& b64PrivateKey, int certId,
                                        bool renewal) {
    showSavePfxWindow(
        b64Cert, b64PrivateKey,
        [this, certId, renewal](int saved, const SavePfxWindowResult& result) {
            if (saved != 1) {
                doAlert(renewal ? app_text::kRenewSaveCancelled : app_text::kSaveCancelled);
                return;
            }
            ZOLTLib& lib = getZOLTlib();
            const std::string& folder = result.pfxFilePath;
            if (renewal) recordPfx(folder + "/" + result.pfxFileName, result.pfxFilePwd);
            std::string errMsg;
            int rc = 1;
            step(app_text::kStepActivate, [&] { rc = lib.activeCert(certId, folder, errMsg); });
            if (renewal) {
                reportActivation(rc, folder, app_text::kRenewFailed, app_text::kRenewDone,
                                 app_text::kRenewReminder);
            } else {
                reportActivation(rc, folder, app_text::kApplyFailed, app_text::kApplyDone,
                                 app_text::kApplyReminder);
            }
            setBtnStatus();
            doQryClntCertInfo(cn(), true);
        });
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
    // The backup is offered after writes at the default path only, under the ID number.
    if (getZOLTlib().rsa().copyPfxFile(pfxFilePath, idno(), target) == 0) {
        ports_.desktop.log("copy success!!path=" + target);
    } else {
        ports_.desktop.log("copy fail!!");
        doAlert(app_text::kBackupFailed);
    }
}
