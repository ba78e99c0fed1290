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
    const std::optional<StringMap> lastActive = step(
        app_text::kStepLastActive, [&cn](ZOLTLib& lib) { return lib.getLastActiveCertInfo(cn); });
    if (!lastActive || lastActive->empty()) {
        doAlert(app_text::kNoLastActiveCert);
        return -1;
    }
    takeStoredPfx();
    ZOLTLib& lib = getZOLTlib();
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
    struct Renewed : StepReply {
        std::string b64Cert;
        StringMap certInfo;
    };
    const Renewed renewed =
        step(app_text::kStepRenew, [&cn, &pfxFilePath, &pfxFilePwd](ZOLTLib& lib) {
            Renewed out;
            out.rc =
                lib.renewCert(cn, pfxFilePath, pfxFilePwd, out.b64Cert, out.certInfo, out.errMsg);
            return out;
        });
    if (renewed.rc != 0) {
        showErrMsg(renewed.rc, renewed.errMsg);
        return renewed.rc;
    }
    const std::string& b64Cert = renewed.b64Cert;
    const std::string defaultPath = sysCfg("env.userPfxFilePath").value_or("");
    const std::string id = idno();
    const int certId = ZOLTLib::leadingInt(field(renewed.certInfo, "certId"));
    // The new certificate is issued: without a file at the default path, the customer picks
    // one, with the key from the key cache.
    if (defaultPath.empty()) {
        saveIssuedInDialog(b64Cert, "", certId, true);
        return -1;
    }
    const StepReply exported =
        step(app_text::kStepExport, [&b64Cert, &defaultPath, &id](ZOLTLib& lib) {
            StepReply out;
            out.rc = lib.exportCert(b64Cert, std::nullopt, defaultPath, id, out.errMsg);
            return out;
        });
    if (const int rc = exported.rc; rc != 0) {
        doAlert(withPfxWriteFailure(app_text::kRenewSaveFailed, rc));
        saveIssuedInDialog(b64Cert, "", certId, true);
        return rc;
    }
    recordPfx(defaultPath, id);
    setCurrentPfxFilePath(defaultPath);
    reportActivation(activate(certId, defaultPath), pfxFilePath, app_text::kRenewFailed,
                     app_text::kRenewDone, app_text::kRenewReminder);
    setBtnStatus();
    doQryClntCertInfo(this->cn());
    return 0;
}

int ViewController::savePfxFileNorv(const std::string& b64Cert, const std::string& pfxFilePath,
                                    const std::string& pfxFilePwd) {
    return getZOLTlib().rsa().savePfxFile(b64Cert, pfxFilePath, pfxFilePwd);
}
