#include <filesystem>

#include "app/AppTexts.h"
#include "app/ViewController.h"
#include "service/ZOLTLib.h"

namespace {

std::optional<std::string> field(const std::optional<StringMap>& map, const char* key) {
    if (!map) return std::nullopt;
    auto it = map->find(key);
    if (it == map->end()) return std::nullopt;
    return it->second;
}

}  // namespace

void ViewController::btnDepCertOnClick() {
    doDepCert(cn());
}

int ViewController::doDepCert(const std::string& cn) {
    ZOLTLib& lib = getZOLTlib();
    const std::string path = lib.getCurrentPfxFilePath().value_or("");
    std::error_code error;
    // With a dialog already open (the login's own load-PFX dialog), the deployment waits for
    // that dialog's confirmation like a missing file does, instead of replacing it.
    if (path.empty() || !std::filesystem::exists(path, error) || gate_.isSheetOpen()) {
        pendingDeployment_ = true;
        return -1;
    }
    std::optional<StringMap> lastActive;
    step(app_text::kStepLastActive, [&] { lastActive = lib.getLastActiveCertInfo(cn); });
    const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
    const auto own =
        lib.getClientCertInfo(path, pwd, field(lastActive, "cn"), field(lastActive, "issuer"),
                              field(lastActive, "serial"), field(lastActive, "certHash"));
    if (own) {
        doAlert(app_text::kDeployExplain);
        depCertSelectedBrowsersInfo_ = lib.getDefaultSelectedBrowserInfo();
        int rc = 1;
        step(app_text::kStepDeploy,
             [&] { rc = lib.deployCert(path, pwd, depCertSelectedBrowsersInfo_); });
        if (rc != 0) doAlert(app_text::kDeployFailed);
        importIntoBrowserStores(path, pwd, depCertSelectedBrowsersInfo_);
        return rc;
    }
    showLoadPfxWindow(field(lastActive, "cn").value_or(""),
                      field(lastActive, "issuer").value_or(""),
                      field(lastActive, "hexSerial").value_or(""), "", [this](int loaded) {
                          if (loaded != 1) {
                              doAlert(app_text::kDeployLoadCancelled);
                              return;
                          }
                          ZOLTLib& lib = getZOLTlib();
                          lib.setCurrentPfxFilePath(loadPfxFileWindowResult_["pfxFilePath"]);
                          lib.setCurrentPfxFilePwd(loadPfxFileWindowResult_["pfxFilePwd"]);
                          doDepCertChooseBrowser();
                      });
    return 0;
}

int ViewController::doDepCertChooseBrowser() {
    showDepCertWindow([this](int chosen) {
        if (chosen != 1) {
            doAlert(app_text::kCancelled);
            return;
        }
        ZOLTLib& lib = getZOLTlib();
        const std::string path = lib.getCurrentPfxFilePath().value_or("");
        const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
        int rc = 1;
        step(app_text::kStepDeploy,
             [&] { rc = lib.deployCert(path, pwd, depCertSelectedBrowsersInfo_); });
        if (rc != 0) doAlert(app_text::kDeployFailed);
        importIntoBrowserStores(path, pwd, depCertSelectedBrowsersInfo_);
    });
    return 0;
}
