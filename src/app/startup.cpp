#include "app/AppTexts.h"
#include "app/ViewController.h"
#include "platform/Desktop.h"
#include "service/ZOLTLib.h"

void ViewController::viewDidLoad() {
    doVersionCheck();
}

void ViewController::viewDidAppear() {
    if (gate_.isQuitting()) return;
    ports_.view.setWindowTitle(app_text::kWindowTitlePrefix +
                               sysCfg("env.clientVersion").value_or(""));
}

// Any answer but "current", a dead service included, takes the update path and ends the
// application.
void ViewController::doVersionCheck() {
    ZOLTLib& lib = getZOLTlib();
    int rc = 1;
    std::string errMsg;
    step(app_text::kStepVersion, [&] { rc = lib.versionCheck(errMsg); });
    if (rc == 0) return;
    doAlert(app_text::kOutdated);
    std::string installer;
    step(app_text::kStepDownload, [&] { installer = lib.dlNewClient(); });
    if (installer.empty()) {
        doAlert(app_text::kDownloadFailed);
    } else {
        doAlert(app_text::kDownloaded);
        if (!ports_.desktop.openFile(installer)) doAlert(app_text::kInstallerFailed);
    }
    quit();
}
