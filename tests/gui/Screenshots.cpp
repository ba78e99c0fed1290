// The README's screenshots, made with the real windows against the stand-in service: the
// main window after a demo customer has logged in and applied, both tables filled, and the
// save-PFX dialog, as docs/main-window.png and docs/save-pfx-dialog.png. Needs a display;
// scripts/screenshots.sh runs it under Xvfb.
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>

#include <iostream>

#include "GuiTestSupport.h"
#include "RegsvcProcess.h"
#include "app/AppTexts.h"
#include "app/Outlets.h"
#include "gui/SavePfxWindow.h"
#include "gui/UserAgreementWindow.h"

namespace {

// Turns the main loop until `done` holds; false when it did not within two minutes.
bool turnUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(120000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents();
    return done();
}

bool save(QWidget& widget, const QString& path) {
    const bool saved = widget.grab().save(path);
    std::cout << (saved ? "wrote " : "could not write ") << path.toStdString() << "\n";
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: gui_screenshots FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    RegsvcProcess service;
    GuiHarness gui;
    gui.desktop.apps["com.google.Chrome"] = {"/apps/chrome.desktop", "Chrome", "120", ""};
    gui.answer = [](const Alert& alert) { return alert.text == app_text::kBackupOffer ? 1 : 0; };
    ViewController controller(gui.ports.appPorts(),
                              {"127.0.0.1:" + std::to_string(service.port()),
                               service.servicePublicKeyPem(), service.trustAnchorPem()});
    MainWindow& window = gui.ports.window;
    window.bind(controller);
    controller.viewDidLoad();
    window.show();
    controller.viewDidAppear();

    gui.child<QLineEdit>(outlet::kTxtUserIdNo)->setText("A123456789");
    gui.child<QLineEdit>(outlet::kTxtSecureLoginPwd)->setText("demo1234");
    gui.child<QPushButton>(outlet::kBtnLogin)->click();
    auto* agreement = gui.openDialog<UserAgreementWindow>();
    if (!agreement) {
        std::cerr << "the application was not proposed after the login\n";
        return 1;
    }
    agreement->findChild<QCheckBox*>("chkAgree")->click();
    agreement->findChild<QPushButton*>("btnNextStep")->click();
    if (!turnUntil([&] { return gui.said(app_text::kDeployExplain); })) {
        std::cerr << "the application did not finish\n";
        return 1;
    }
    if (!save(window, folder + "/main-window.png")) return 1;

    controller.showSavePfxWindow("", "", {});
    auto* dialog = gui.openDialog<SavePfxWindow>();
    if (!dialog) return 1;
    for (const char* field : {"txtPfxPwd", "txtPfxPwdCfm"}) {
        dialog->findChild<QLineEdit*>(field)->setText("demo1234");
    }
    QCoreApplication::processEvents();
    return save(*dialog, folder + "/save-pfx-dialog.png") ? 0 : 1;
}
