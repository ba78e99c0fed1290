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
        struct Issued : StepReply {
            std::string b64PrivateKey, b64Cert;
            StringMap certInfo;
        };
        Issued issued = step(app_text::kStepApply, [&cn](ZOLTLib& lib) {
            Issued out;
            out.rc = lib.applyCert(cn, out.b64PrivateKey, out.b64Cert, out.certInfo, out.errMsg);
            return out;
        });
        if (issued.rc != 0) {
            showErrMsg(issued.rc, issued.errMsg);
            setBtnStatus();
            return;
        }
        applyCertInfo_ = issued.certInfo;
        std::string pfxPwd;
        if (doApplyCertSaveToPfx(issued.b64Cert, issued.b64PrivateKey, pfxPath, pfxPwd,
                                 issued.errMsg) != 0) {
            return;
        }
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
    const int certId = ZOLTLib::leadingInt(applyCertInfo_["certId"]);
    if (!pfxFilePath || pfxFilePath->empty()) {
        saveIssuedInDialog(b64Cert, b64PrivateKey, certId, false);
        return -1;
    }
    const std::string path = *pfxFilePath;
    const StepReply exported =
        step(app_text::kStepExport, [&b64Cert, &b64PrivateKey, &path, &pfxFilePwd](ZOLTLib& lib) {
            StepReply out;
            out.rc = lib.exportCert(b64Cert, b64PrivateKey, path, pfxFilePwd, out.errMsg);
            return out;
        });
    errMsg = exported.errMsg;
    if (const int rc = exported.rc; rc != 0) {
        // The service has issued the certificate: it must still reach a file.
        doAlert(withPfxWriteFailure(app_text::kSaveFailed, rc));
        saveIssuedInDialog(b64Cert, b64PrivateKey, certId, false);
        return rc;
    }
    recordPfx(path, pfxFilePwd);
    setCurrentPfxFilePath(path);
    reportActivation(activate(certId, path), path, app_text::kApplyFailed, app_text::kApplyDone,
                     app_text::kApplyReminder);
    setBtnStatus();
    doQryClntCertInfo(cn());
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
            const std::string& folder = result.pfxFilePath;
            if (renewal) recordPfx(folder + "/" + result.pfxFileName, result.pfxFilePwd);
            const int rc = activate(certId, folder);
            if (renewal) {
                reportActivation(rc, folder, app_text::kRenewFailed, app_text::kRenewDone,
                                 app_text::kRenewReminder);
            } else {
                reportActivation(rc, folder, app_text::kApplyFailed, app_text::kApplyDone,
                                 app_text::kApplyReminder);
            }
            setBtnStatus();
            doQryClntCertInfo(cn());
        });
}

int ViewController::activate(int certId, const std::string& pfxFilePath) {
    return step(app_text::kStepActivate,
                [certId, &pfxFilePath](ZOLTLib& lib) {
                    StepReply out;
                    out.rc = lib.activeCert(certId, pfxFilePath, out.errMsg);
                    return out;
                })
        .rc;
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
