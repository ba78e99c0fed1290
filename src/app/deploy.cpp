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
    const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
    std::error_code error;
    // With a dialog already open (the login's own load-PFX dialog), the deployment waits for
    // that dialog's confirmation like a missing file does, instead of replacing it.
    if (path.empty() || !std::filesystem::exists(path, error) || gate_.isSheetOpen()) {
        pendingDeployment_ = true;
        return -1;
    }
    const std::optional<StringMap> lastActive = step(
        app_text::kStepLastActive, [&cn](ZOLTLib& lib) { return lib.getLastActiveCertInfo(cn); });
    const auto own =
        lib.getClientCertInfo(path, pwd, field(lastActive, "cn"), field(lastActive, "issuer"),
                              field(lastActive, "serial"), field(lastActive, "certHash"));
    if (own) {
        doAlert(app_text::kDeployExplain);
        return deployTo(path, pwd, lib.getDefaultSelectedBrowserInfo());
    }
    showLoadPfxWindow(field(lastActive, "cn").value_or(""),
                      field(lastActive, "issuer").value_or(""),
                      field(lastActive, "hexSerial").value_or(""), "",
                      [this](int loaded, const LoadPfxWindowResult&) {
                          if (loaded != 1) {
                              doAlert(app_text::kDeployLoadCancelled);
                              return;
                          }
                          doDepCertChooseBrowser();
                      });
    return 0;
}

// The file is the one current when the browsers are asked for, not when they are chosen: another
// dialog's completion in between (a renewal taking the stored file back) would otherwise put a
// file the customer never chose for this deployment into the browsers.
int ViewController::doDepCertChooseBrowser() {
    ZOLTLib& lib = getZOLTlib();
    const std::string path = lib.getCurrentPfxFilePath().value_or("");
    const std::string pwd = lib.getCurrentPfxFilePwd().value_or("");
    showDepCertWindow([this, path, pwd](int chosen, const DepCertWindowResult& result) {
        if (chosen != 1) {
            doAlert(app_text::kCancelled);
            return;
        }
        deployTo(path, pwd, result.browsersInfo);
    });
    return 0;
}

// The page, then the stores directly.
int ViewController::deployTo(const std::string& path, const std::string& pwd,
                             const std::vector<StringMap>& browsersInfo) {
    const int rc = step(app_text::kStepDeploy, [&path, &pwd, &browsersInfo](ZOLTLib& lib) {
                       return StepReply{lib.deployCert(path, pwd, browsersInfo), {}};
                   }).rc;
    if (rc != 0) doAlert(app_text::kDeployFailed);
    importIntoBrowserStores(path, pwd, browsersInfo);
    return rc;
}
