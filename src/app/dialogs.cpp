#include <type_traits>

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

template <class Controller, class View, class... Inputs>
Controller& ViewController::makeDialog(Dialog<Controller>& dialog, SheetWindow<View> window,
                                       const Inputs&... inputs) {
    // The controller goes first: it holds a reference to the host it replaces.
    dialog.controller.reset();
    dialog.host = std::make_unique<GatedDialogHost>(window.host, gate_);
    dialog.controller = std::make_unique<Controller>(*dialog.host, window.view, inputs...);
    return *dialog.controller;
}

template <class Controller, class Handler>
void ViewController::openSheet(Controller& controller, Handler handler) {
    controller.windowDidLoad();
    if constexpr (std::is_invocable_v<Handler, int>) {
        ports_.sheets.beginSheet(controller, gate_.completion(std::move(handler)));
    } else {
        using Result = std::remove_cvref_t<decltype(*controller.result())>;
        ResultHandler<Result> typed = std::move(handler);
        // A copy: the handler may open the next dialog of this kind, which replaces this one.
        ports_.sheets.beginSheet(
            controller, gate_.completion([&controller, typed = std::move(typed)](int result) {
                const Result chosen = controller.result().value_or(Result{});
                if (typed) typed(result, chosen);
            }));
    }
}

PfxPasswordRules ViewController::passwordRules() {
    return PfxPasswordRules::fromConfig(getZOLTlib().getSvrCfg().value_or(StringMap{}));
}

// Every dialog opens through the gate: one asked for while another is open waits its turn,
// and its inputs are read when it opens.
void ViewController::showUserAgreement(SheetHandler handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog =
            makeDialog(userAgreementWindowController_, ports_.sheets.makeUserAgreementWindow());
        openSheet(dialog, handler);
    });
}

void ViewController::showSavePfxWindow(const std::string& b64Cert, const std::string& b64PrivateKey,
                                       ResultHandler<SavePfxWindowResult> handler) {
    gate_.requestSheet([this, b64Cert, b64PrivateKey, handler = std::move(handler)] {
        ZOLTLib& lib = getZOLTlib();
        const CommonUtility& util = lib.util();
        auto& dialog = makeDialog(savePfxFileController_, ports_.sheets.makeSavePfxWindow(),
                                  getZOLTlib().util());
        const std::string current = lib.getCurrentPfxFilePath().value_or("");
        dialog.setPfxFilePath(util.getFolderNameFromFullPath(current));
        dialog.setPfxFileName(util.getFileNameFromFullPath(current));
        dialog.setB64Cert(b64Cert);
        dialog.setB64PrivateKey(b64PrivateKey);
        dialog.setPfxFilePwd("");
        dialog.setRules(passwordRules());
        openSheet(dialog, [this, handler](int saved, const SavePfxWindowResult& result) {
            if (saved == 1) {
                setCurrentPfxFilePath(result.pfxFilePath + "/" + result.pfxFileName);
                setCurrentPfxFilePwd(result.pfxFilePwd);
            }
            if (handler) handler(saved, result);
        });
    });
}

void ViewController::showLoadPfxWindow(const std::string& cn, const std::string& issuer,
                                       const std::string& hexSerial, const std::string& certHash,
                                       ResultHandler<LoadPfxWindowResult> handler) {
    gate_.requestSheet([this, cn, issuer, hexSerial, certHash, handler = std::move(handler)] {
        auto& dialog = makeDialog(loadPfxFileController_, ports_.sheets.makeLoadPfxWindow(),
                                  getZOLTlib().util());
        dialog.setCnToCmp(present(cn));
        dialog.setIssuerToCmp(present(issuer));
        dialog.setHexSerialToCmp(present(hexSerial));
        dialog.setCertHashToCmp(present(certHash));
        dialog.setPfxFilePath(getZOLTlib().getCurrentPfxFilePath());
        openSheet(dialog, [this, handler](int loaded, const LoadPfxWindowResult& result) {
            if (loaded == 1) {
                setCurrentPfxFilePath(result.pfxFilePath);
                setCurrentPfxFilePwd(result.pfxFilePwd);
            }
            if (handler) handler(loaded, result);
        });
    });
}

void ViewController::showChgPfxPwdWindow(ResultHandler<ChgPfxPwdWindowResult> handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog = makeDialog(chgPfxPwdController_, ports_.sheets.makeChgPfxPwdWindow(),
                                  getZOLTlib().util());
        dialog.setRules(passwordRules());
        dialog.setPfxFilePath(getZOLTlib().getCurrentPfxFilePath().value_or(""));
        openSheet(dialog, handler);
    });
}

void ViewController::showDepCertWindow(ResultHandler<DepCertWindowResult> handler) {
    gate_.requestSheet([this, handler = std::move(handler)] {
        auto& dialog = makeDialog(depCertController_, ports_.sheets.makeDepCertWindow());
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
