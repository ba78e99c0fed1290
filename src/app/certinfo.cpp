#include <filesystem>

#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ZOLTLib.h"

void ViewController::btnQrySvrCertInfoOnClick() {
    doQrySvrCertInfo(cn());
}

void ViewController::btnQryClntCertInfoOnClick() {
    doQrySvrCertInfo(cn());
    if (doQryClntCertInfo(cn()) == 0) checkBrowserStores();
}

void ViewController::btnChgPfxPwdOnClick() {
    doChangePfxPwd(cn());
}

void ViewController::btnBrowsePfxFileOnClick() {
    doSelectCert();
}

int ViewController::doQrySvrCertInfo(const std::string& cn) {
    const CertInfoReply found = step(app_text::kStepSvrQuery, [&cn](ZOLTLib& lib) {
        CertInfoReply out;
        out.rc = lib.qrySvrCertInfo(cn, out.certInfo, out.errMsg);
        return out;
    });
    // A refusal answers 0 without a record: the table keeps what it showed.
    if (found.rc == 0 && !found.certInfo.empty()) renderSvrCertInfo(found.certInfo);
    return found.rc;
}

// A value that starts with fourteen digits is a time stamp; anything else shows as it is.
std::string ViewController::formatDate(const CommonUtility& util, const std::string& value) {
    const std::string pattern = "^(\\d{4})(\\d{2})(\\d{2})(\\d{2})(\\d{2})(\\d{2}).*$";
    if (!util.regexMatch(value, pattern)) return value;
    return util.regexReplace(value, pattern, "$1/$2/$3 $4:$5:$6");
}

void ViewController::renderTable(const char* outletName, ZOLTDGDataSource& ds,
                                 const StringMap& certInfo, bool withState) {
    const CommonUtility& util = getZOLTlib().util();
    auto value = [&](const char* key) {
        auto it = certInfo.find(key);
        return it == certInfo.end() ? std::string{} : it->second;
    };
    ds.reset();
    auto row = [&](const char* label, const std::string& text) {
        ds.addDataItem({{"Column1", label}, {"Column2", text}});
    };
    row("身分證號", value("certUserId"));
    row("CN", value("cn"));
    row("憑證序號", value("serial"));
    row("憑證效期(起)", formatDate(util, value("notBefore")));
    row("憑證效期(迄)", formatDate(util, value("notAfter")));
    if (withState) {
        row("憑證狀態", value("stateMessage") + "(" + value("state") + ")");
        row("憑證安裝", value("actFlg") == "Y" ? app_text::kInstalled : app_text::kNotInstalled);
    }
    ports_.view.showTable(outletName, ds);
}

void ViewController::renderSvrCertInfo(const StringMap& certInfo) {
    renderTable(outlet::kTvSvrCertInfo, svrCertInfoDs_, certInfo, true);
}

void ViewController::renderClntCertInfo(const StringMap& certInfo) {
    clntCertInfo_ = certInfo;
    renderTable(outlet::kTvClntCertInfo, clntCertInfoDs_, certInfo, false);
}

void ViewController::takeStoredPfx() {
    ZOLTLib& lib = getZOLTlib();
    std::string path, password;
    if (lib.util().loadFromProperties(idno(), path, password)) {
        lib.setCurrentPfxFilePath(path);
        lib.setCurrentPfxFilePwd(password);
    } else {
        lib.setCurrentPfxFilePwd(idno());
    }
}

int ViewController::doQryClntCertInfo(const std::string& cn) {
    ZOLTLib& lib = getZOLTlib();
    takeStoredPfx();
    const std::string path = lib.getCurrentPfxFilePath().value_or("");
    const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
    const CertInfoReply found = step(app_text::kStepClntQuery, [&cn, &path, &pwd](ZOLTLib& lib) {
        CertInfoReply out;
        out.rc = lib.qryClntCertInfo(cn, path, pwd, out.certInfo, out.errMsg);
        return out;
    });
    if (found.rc == 0) {
        renderClntCertInfo(found.certInfo);
        std::error_code error;
        if (!std::filesystem::exists(lib.util().getPropertiesPath(), error)) {
            recordPfx(path, pwd);
            setCurrentPfxFilePath(path);
        }
        return 0;
    }
    showLoadPfxWindow("", "", "", "", [this](int loaded, const LoadPfxWindowResult& result) {
        if (loaded != 1) {
            doAlert(app_text::kClntQueryCancelled);
        } else {
            renderClntCertInfo(result.certInfo);
            recordPfx(result.pfxFilePath, result.pfxFilePwd);
            if (pendingDeployment_) {
                ports_.desktop.log("do deployCert again!");
                doDepCert(this->cn());
                pendingDeployment_ = false;
            }
        }
        doAutoProcess();
    });
    return -1;
}

void ViewController::doSelectCert() {
    showLoadPfxWindow(
        "", "", "", "", [this, id = idno()](int loaded, const LoadPfxWindowResult& result) {
            if (loaded != 1) {
                doAlert(app_text::kSelectCancelled);
                return;
            }
            renderClntCertInfo(result.certInfo);
            const bool recorded =
                getZOLTlib().util().saveToProperties(id, result.pfxFilePath, result.pfxFilePwd);
            doAlert(recorded ? app_text::kSelectDone : app_text::kPropertiesFailed);
        });
}

// The dialog re-protects the file itself; the stored password stays the old one, so the next
// local query asks for the file with its new password.
int ViewController::doChangePfxPwd(const std::string& /*cn*/) {
    showChgPfxPwdWindow([this](int changed, const ChgPfxPwdWindowResult&) {
        doAlert(changed == 1 ? app_text::kPwdChanged : app_text::kCancelled);
    });
    return -1;
}

void ViewController::setCurrentPfxFilePath(const std::optional<std::string>& path) {
    ZOLTLib& lib = getZOLTlib();
    if (path && !path->empty()) lib.setCurrentPfxFilePath(path);
    ports_.view.setText(outlet::kLblPfxFilePath, lib.getCurrentPfxFilePath().value_or(""));
}

void ViewController::setCurrentPfxFilePwd(const std::optional<std::string>& password) {
    getZOLTlib().setCurrentPfxFilePwd(password);
}
