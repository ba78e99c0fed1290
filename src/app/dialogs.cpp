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

template <class Controller, class View, class Make>
Controller& ViewController::makeDialog(Dialog<Controller>& dialog, SheetWindow<View> window,
                                       Make make) {
    // The controller goes first: it holds a reference to the host it replaces.
    dialog.controller.reset();
    dialog.host = std::make_unique<GatedDialogHost>(window.host, gate_);
    dialog.controller = make(*dialog.host, window.view);
    return *dialog.controller;
}

template <class Controller>
auto ViewController::withDelegate() {
    return [this](DialogHost& host, auto& view) {
        return std::make_unique<Controller>(*this, host, view, getZOLTlib().util());
    };
}

template <class Controller>
void ViewController::openSheet(Controller& controller, SheetHandler handler) {
    controller.windowDidLoad();
    ports_.sheets.beginSheet(controller, gate_.completion(std::move(handler)));
}

PfxPasswordRules ViewController::passwordRules() {
    return PfxPasswordRules::fromConfig(getZOLTlib().getSvrCfg().value_or(StringMap{}));
}

// Every dialog opens through the gate: one asked for while another is open waits its turn,
// and its inputs are read when it opens.
void ViewController::showUserAgreement(SheetHandler handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog =
            makeDialog(userAgreementWindowController_, ports_.sheets.makeUserAgreementWindow(),
                       [](DialogHost& host, UserAgreementWindowView& view) {
                           return std::make_unique<UserAgreementWindowController>(host, view);
                       });
        openSheet(dialog, handler);
    });
}

void ViewController::showSavePfxWindow(const std::string& b64Cert, const std::string& b64PrivateKey,
                                       SheetHandler handler) {
    gate_.requestSheet([this, b64Cert, b64PrivateKey, handler = std::move(handler)] {
        ZOLTLib& lib = getZOLTlib();
        const CommonUtility& util = lib.util();
        auto& dialog = makeDialog(savePfxFileController_, ports_.sheets.makeSavePfxWindow(),
                                  withDelegate<SavePfxWindowController>());
        const std::string current = lib.getCurrentPfxFilePath().value_or("");
        dialog.setPfxFilePath(util.getFolderNameFromFullPath(current));
        dialog.setPfxFileName(util.getFileNameFromFullPath(current));
        dialog.setB64Cert(b64Cert);
        dialog.setB64PrivateKey(b64PrivateKey);
        dialog.setPfxFilePwd("");
        dialog.setRules(passwordRules());
        openSheet(dialog, handler);
    });
}

void ViewController::showLoadPfxWindow(const std::string& cn, const std::string& issuer,
                                       const std::string& hexSerial, const std::string& certHash,
                                       SheetHandler handler) {
    gate_.requestSheet([this, cn, issuer, hexSerial, certHash, handler = std::move(handler)] {
        auto& dialog = makeDialog(loadPfxFileController_, ports_.sheets.makeLoadPfxWindow(),
                                  withDelegate<LoadPfxWindowController>());
        dialog.setCnToCmp(present(cn));
        dialog.setIssuerToCmp(present(issuer));
        dialog.setHexSerialToCmp(present(hexSerial));
        dialog.setCertHashToCmp(present(certHash));
        dialog.setPfxFilePath(getZOLTlib().getCurrentPfxFilePath());
        openSheet(dialog, handler);
    });
}

void ViewController::showChgPfxPwdWindow(SheetHandler handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog = makeDialog(chgPfxPwdController_, ports_.sheets.makeChgPfxPwdWindow(),
                                  withDelegate<ChgPfxPwdWindowController>());
        dialog.setRules(passwordRules());
        dialog.setPfxFilePath(getZOLTlib().getCurrentPfxFilePath().value_or(""));
        openSheet(dialog, handler);
    });
}

void ViewController::showDepCertWindow(SheetHandler handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog =
            makeDialog(depCertController_, ports_.sheets.makeDepCertWindow(),
                       [this](DialogHost& host, DepCertWindowView& view) {
                           return std::make_unique<DepCertWindowController>(*this, host, view);
                       });
        dialog.setSelectMode(sysCfg("depCert.mode").value_or(""));
        const auto browsers = getZOLTlib().getDefaultSelectedBrowserInfo();
        dialog.setBrowsersInfo(browsers);
        if (directImportOn()) {
            std::vector<std::string> ids, names;
            for (const auto& browser : browsers)
                ids.push_back(browser.count("bundleId") ? browser.at("bundleId") : "");
            for (const auto& store : BrowserDeployment::targets(browserStores(), ids)) {
                names.push_back(store_text::label(store));
            }
            dialog.setDirectImportBrowsers(names);
        }
        openSheet(dialog, handler);
    });
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
