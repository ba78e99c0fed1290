#include "app/AppTexts.h"
#include "app/ViewController.h"
#include "crypto/RSAUtility.h"
#include "service/ZOLTLib.h"
#include "ui/PfxFailureSentence.h"

namespace {

std::string field(const StringMap& map, const char* key) {
    auto it = map.find(key);
    return it == map.end() ? std::string{} : it->second;
}

}  // namespace

void ViewController::btnRenewOnClick() {
    doRenewCert(cn());
}

int ViewController::doRenewCert(const std::string& cn) {
    workflowStarted_ = true;
    const std::string defaultPath = sysCfg("env.userPfxFilePath").value_or("");
    showUserAgreement([this, cn, defaultPath](int agreed) {
        if (agreed != 1) {
            doAlert(app_text::kRenewAgreementCancelled);
            return;
        }
        const char digit = currentFnStatus_.size() > 1 ? currentFnStatus_[1] : '0';
        int rc = 0;
        if (digit == '1') {
            rc = doRenewCertWithSign(cn);
        } else if (digit == '2') {
            rc = doRenewCert(cn, defaultPath, idno());
        } else {
            doAlert(app_text::kRenewNotAllowed);
            return;
        }
        if (rc != 0) return;
        backupCert(defaultPath);
        if (sysCfg("depCert.autoDeploy") == "Y") doDepCert(cn);
    });
    return -1;
}

int ViewController::doRenewCertWithSign(const std::string& cn) {
    ZOLTLib& lib = getZOLTlib();
    std::optional<StringMap> lastActive;
    step(app_text::kStepLastActive, [&] { lastActive = lib.getLastActiveCertInfo(cn); });
    if (!lastActive || lastActive->empty()) {
        doAlert(app_text::kNoLastActiveCert);
        return -1;
    }
    takeStoredPfx();
    const std::string path = lib.getCurrentPfxFilePath().value_or("");
    const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
    const std::string issuer = field(*lastActive, "issuer");
    const std::string serial = field(*lastActive, "serial");
    const auto own = lib.getClientCertInfo(path, pwd, cn, issuer, serial, std::string{});
    if (own && !own->empty()) return doRenewCert(cn, path, pwd);
    showLoadPfxWindow(cn, issuer, serial, "",
                      [this, cn](int loaded, const LoadPfxWindowResult& result) {
                          if (loaded != 1) {
                              doAlert(app_text::kRenewLoadCancelled);
                              return;
                          }
                          recordPfx(result.pfxFilePath, result.pfxFilePwd);
                          setCurrentPfxFilePath(result.pfxFilePath);
                          doRenewCert(cn, result.pfxFilePath, result.pfxFilePwd);
                      });
    return 999;
}

int ViewController::doRenewCert(const std::string& cn, const std::string& pfxFilePath,
                                const std::string& pfxFilePwd) {
    ZOLTLib& lib = getZOLTlib();
    std::string b64Cert, errMsg;
    StringMap certInfo;
    int rc = 1;
    step(app_text::kStepRenew,
         [&] { rc = lib.renewCert(cn, pfxFilePath, pfxFilePwd, b64Cert, certInfo, errMsg); });
    if (rc != 0) {
        showErrMsg(rc, errMsg);
        return rc;
    }
    const std::string defaultPath = sysCfg("env.userPfxFilePath").value_or("");
    const std::string id = idno();
    const int certId = ZOLTLib::leadingInt(field(certInfo, "certId"));
    // The new certificate is issued: without a file at the default path, the customer picks
    // one, with the key from the key cache.
    if (defaultPath.empty()) {
        saveIssuedInDialog(b64Cert, "", certId, true);
        return -1;
    }
    rc = 1;
    step(app_text::kStepExport,
         [&] { rc = lib.exportCert(b64Cert, std::nullopt, defaultPath, id, errMsg); });
    if (rc != 0) {
        doAlert(withPfxWriteFailure(app_text::kRenewSaveFailed, rc));
        saveIssuedInDialog(b64Cert, "", certId, true);
        return rc;
    }
    recordPfx(defaultPath, id);
    setCurrentPfxFilePath(defaultPath);
    int activated = 1;
    step(app_text::kStepActivate, [&] { activated = lib.activeCert(certId, defaultPath, errMsg); });
    reportActivation(activated, pfxFilePath, app_text::kRenewFailed, app_text::kRenewDone,
                     app_text::kRenewReminder);
    setBtnStatus();
    doQryClntCertInfo(this->cn(), true);
    return 0;
}

int ViewController::savePfxFileNorv(const std::string& b64Cert, const std::string& pfxFilePath,
                                    const std::string& pfxFilePwd) {
    return getZOLTlib().rsa().savePfxFile(b64Cert, pfxFilePath, pfxFilePwd);
}
