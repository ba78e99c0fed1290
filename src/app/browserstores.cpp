#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/BrowserDeployment.h"
#include "service/StoreTexts.h"
#include "service/ZOLTLib.h"

// The configuration folder counts only inside the desktop's home folder: a home of the tests'
// own must never lead to the stores of the person running them.
std::vector<BrowserStore> ViewController::browserStores() const {
    const std::string home = ports_.desktop.homePath();
    std::optional<std::string> configHome = ports_.desktop.configPath();
    if (configHome->rfind(home + "/", 0) != 0) configHome.reset();
    return BrowserStores(home, configHome).find();
}

// On unless the service turns it off; the deployment page is there either way.
bool ViewController::directImportOn() {
    return sysCfg("depCert.directImport") != "N";
}

void ViewController::importIntoBrowserStores(const std::string& pfxPath, const std::string& pfxPwd,
                                             const std::vector<StringMap>& browsersInfo) {
    if (!directImportOn()) return;
    std::vector<std::string> bundleIds;
    for (const auto& browser : browsersInfo) {
        if (auto id = browser.find("bundleId"); id != browser.end())
            bundleIds.push_back(id->second);
    }
    const auto targets = BrowserDeployment::targets(browserStores(), bundleIds);
    if (targets.empty()) return;
    const std::optional<Bytes> pkcs12 = getZOLTlib().util().getFile(pfxPath);
    if (!pkcs12) return;
    // NSS opens, writes and reads back each store in blocking steps, with nothing of this
    // controller's; a primary password is asked here, between them.
    const auto outcomes = BrowserDeployment::deploy(
        targets, *pkcs12, pfxPwd,
        [this](const BrowserStore& store) {
            return modally([&] {
                return ports_.alerts.askPassword(
                    app_text::kPrimaryPasswordTitle,
                    app_text::fill(app_text::kPrimaryPassword, store_text::label(store)));
            });
        },
        [this](const std::function<void()>& work) { runStep(app_text::kStepBrowserStores, work); });
    if (!outcomes.empty()) doAlert(BrowserDeployment::message(outcomes));
}

// Off with the direct import: the query is then the plain local one. The offer it may end
// with is one question, and none while another workflow has a dialog open or waiting.
void ViewController::checkBrowserStores() {
    if (!directImportOn()) return;
    std::vector<BrowserStore> stores;
    for (auto& store : browserStores()) {
        if (store.exists) stores.push_back(std::move(store));
    }
    if (stores.empty() || clntCertInfo_.empty()) return;
    const std::string name = cn();
    const std::optional<StringMap> lastActive =
        step(app_text::kStepLastActive,
             [&name](ZOLTLib& lib) { return lib.getLastActiveCertInfo(name); });
    const auto checks = BrowserDeployment::check(stores, lastActive, clntCertInfo_);
    bool storeBehind = false, pfxBehind = false;
    for (const auto& check : checks) {
        clntCertInfoDs_.addDataItem(
            {{"Column1", app_text::kBrowserStoreRow}, {"Column2", check.line}});
        if (!check.verdict) continue;
        const auto behind = check.verdict->behind;
        storeBehind |= behind == StoreVerdict::Behind::Store;
        pfxBehind |=
            behind == StoreVerdict::Behind::LocalPfx || behind == StoreVerdict::Behind::StoreAndPfx;
    }
    ports_.view.showTable(outlet::kTvClntCertInfo, clntCertInfoDs_);
    if (gate_.hasSheets()) return;
    // The file first: deploying a file that is behind would only put it behind in the stores.
    if (pfxBehind) {
        if (doConfirm(app_text::kOfferReload)) doSelectCert();
    } else if (storeBehind && doConfirm(app_text::kOfferRedeploy)) {
        doDepCert(name);
    }
}
