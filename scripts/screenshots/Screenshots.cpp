// The README's screenshots, made with the real windows against the stand-in service: the
// main window after a demo customer has logged in and applied, both tables filled, and the
// save-PFX dialog, as docs/main-window.png and docs/save-pfx-dialog.png. Needs a display;
// scripts/screenshots.sh runs it under Xvfb.
#include <QLineEdit>

#include <iostream>

#include "DemoCustomer.h"
#include "gui/SavePfxWindow.h"

namespace {

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
    DemoCustomer gui;
    gui.logIn();
    if (!gui.apply()) {
        std::cerr << "the application was not proposed or did not finish\n";
        return 1;
    }
    if (!save(gui.ports.window, folder + "/main-window.png")) return 1;

    gui.controller.showSavePfxWindow("", "", {});
    auto* dialog = gui.openDialog<SavePfxWindow>();
    if (!dialog) return 1;
    for (const char* field : {"txtPfxPwd", "txtPfxPwdCfm"}) {
        dialog->findChild<QLineEdit*>(field)->setText("demo1234");
    }
    QCoreApplication::processEvents();
    return save(*dialog, folder + "/save-pfx-dialog.png") ? 0 : 1;
}
