#include "app/ViewController.h"
#include "service/BrowserDeployment.h"
#include "service/StoreTexts.h"
#include "service/ZOLTLib.h"
#include "ui/ChgPfxPwdWindowView.h"
#include "ui/DepCertWindowView.h"
#include "ui/LoadPfxWindowView.h"
#include "ui/SavePfxWindowView.h"
#include "ui/UserAgreementWindowView.h"

namespace {

std::optional<std::string> present(const std::string& value) {
    if (value.empty()) return std::nullopt;
    return value;
}

}  // namespace

// One sheet at a time: a dialog asked for while another is open is not shown.
bool ViewController::maySheet() const {
    return !quitting_ && !sheetOpen_;
}

template <class Controller>
void ViewController::openSheet(Controller& controller, SheetHandler handler) {
    controller.windowDidLoad();
    sheetOpen_ = true;
    ports_.sheets.beginSheet(controller, [this, handler = std::move(handler)](int result) {
        sheetOpen_ = false;
        if (handler && (result == 0 || result == 1)) handler(result);
    });
}

PfxPasswordRules ViewController::passwordRules() {
    return PfxPasswordRules::fromConfig(getZOLTlib().getSvrCfg().value_or(StringMap{}));
}

void ViewController::showUserAgreement(SheetHandler handler) {
    if (!maySheet()) return;
    auto window = ports_.sheets.makeUserAgreementWindow();
    userAgreementWindowController_ =
        std::make_unique<UserAgreementWindowController>(window.host, window.view);
    openSheet(*userAgreementWindowController_, std::move(handler));
}

void ViewController::showSavePfxWindow(const std::string& b64Cert, const std::string& b64PrivateKey,
                                       SheetHandler handler) {
    if (!maySheet()) return;
    ZOLTLib& lib = getZOLTlib();
    const CommonUtility& util = lib.util();
    auto window = ports_.sheets.makeSavePfxWindow();
    savePfxFileController_ =
        std::make_unique<SavePfxWindowController>(*this, window.host, window.view, util);
    SavePfxWindowController& dialog = *savePfxFileController_;
    const std::string current = lib.getCurrentPfxFilePath().value_or("");
    dialog.setPfxFilePath(util.getFolderNameFromFullPath(current));
    dialog.setPfxFileName(util.getFileNameFromFullPath(current));
    dialog.setB64Cert(b64Cert);
    dialog.setB64PrivateKey(b64PrivateKey);
    dialog.setPfxFilePwd("");
    dialog.setRules(passwordRules());
    openSheet(dialog, std::move(handler));
}

void ViewController::showLoadPfxWindow(const std::string& cn, const std::string& issuer,
                                       const std::string& hexSerial, const std::string& certHash,
                                       SheetHandler handler) {
    if (!maySheet()) return;
    auto window = ports_.sheets.makeLoadPfxWindow();
    loadPfxFileController_ = std::make_unique<LoadPfxWindowController>(
        *this, window.host, window.view, getZOLTlib().util());
    LoadPfxWindowController& dialog = *loadPfxFileController_;
    dialog.setCnToCmp(present(cn));
    dialog.setIssuerToCmp(present(issuer));
    dialog.setHexSerialToCmp(present(hexSerial));
    dialog.setCertHashToCmp(present(certHash));
    dialog.setPfxFilePath(getZOLTlib().getCurrentPfxFilePath());
    openSheet(dialog, std::move(handler));
}

void ViewController::showChgPfxPwdWindow(SheetHandler handler) {
    if (!maySheet()) return;
    auto window = ports_.sheets.makeChgPfxPwdWindow();
    chgPfxPwdController_ = std::make_unique<ChgPfxPwdWindowController>(
        *this, window.host, window.view, getZOLTlib().util());
    chgPfxPwdController_->setRules(passwordRules());
    chgPfxPwdController_->setPfxFilePath(getZOLTlib().getCurrentPfxFilePath().value_or(""));
    openSheet(*chgPfxPwdController_, std::move(handler));
}

void ViewController::showDepCertWindow(SheetHandler handler) {
    if (!maySheet()) return;
    auto window = ports_.sheets.makeDepCertWindow();
    depCertController_ = std::make_unique<DepCertWindowController>(*this, window.host, window.view);
    depCertController_->setSelectMode(sysCfg("depCert.mode").value_or(""));
    const auto browsers = getZOLTlib().getDefaultSelectedBrowserInfo();
    depCertController_->setBrowsersInfo(browsers);
    if (directImportOn()) {
        std::vector<std::string> ids, names;
        for (const auto& browser : browsers)
            ids.push_back(browser.count("bundleId") ? browser.at("bundleId") : "");
        for (const auto& store : BrowserDeployment::targets(browserStores(), ids)) {
            names.push_back(store_text::label(store));
        }
        depCertController_->setDirectImportBrowsers(names);
    }
    openSheet(*depCertController_, std::move(handler));
}

void ViewController::getSavePfxWindowData(const std::string& pfxFilePath,
                                          const std::string& pfxFileName,
                                          const std::string& pfxFilePwd) {
    savePfxFileWindowResult_ = {
        {"pfxFilePath", pfxFilePath}, {"pfxFileName", pfxFileName}, {"pfxFilePwd", pfxFilePwd}};
    setCurrentPfxFilePath(pfxFilePath + "/" + pfxFileName);
    setCurrentPfxFilePwd(pfxFilePwd);
}

void ViewController::getLoadPfxWindowData(const std::string& pfxFilePath,
                                          const std::string& pfxFilePwd,
                                          const StringMap& certInfo) {
    loadPfxFileWindowResult_ = {{"pfxFilePath", pfxFilePath}, {"pfxFilePwd", pfxFilePwd}};
    loadPfxCertInfo_ = certInfo;
    setCurrentPfxFilePath(pfxFilePath);
    setCurrentPfxFilePwd(pfxFilePwd);
}

void ViewController::getChgPwdWindowData(const std::string& pfxFilePath,
                                         const std::string& pfxFilePwd) {
    chgPfxPwdWindowResult_ = {{"pfxFilePath", pfxFilePath}, {"pfxFilePwd", pfxFilePwd}};
}

void ViewController::getDepCertWindowData(const std::vector<StringMap>& browsersInfo) {
    depCertSelectedBrowsersInfo_ = browsersInfo;
}
