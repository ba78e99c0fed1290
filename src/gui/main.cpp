#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/Outlets.h"
#include "app/ViewController.h"
#include "gui/AfterFirstPaint.h"
#include "gui/FirstPaintQuit.h"
#include "gui/QtPorts.h"
#include "gui/SingleInstance.h"
#include "platform/XdgDesktop.h"
#include "service/ServiceEndpoint.h"

#ifndef NORVALE_VERSION
#define NORVALE_VERSION "1.0"
#endif

namespace {

void raiseWindow(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

int main(int argc, char* argv[]) {
    // --report and --help need no display: they are done before Qt starts.
    {
        XdgDesktop desktop;
        if (auto status = CommandLine::run(argc, argv, desktop, std::cout)) return *status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("norvale-cert-client"));
    QApplication::setApplicationVersion(QStringLiteral(NORVALE_VERSION));
    // The window belongs to the desktop entry of that name (task bars, Wayland's app id).
    QApplication::setDesktopFileName(QStringLiteral("norvale-cert-client"));

    // Qt's own texts (file choosers, edit menus, --help) in the language of the rest of the
    // window, whatever the session's locale, when the system has them.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::Taiwan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Norvale證券憑證管理"));
    options.addHelpOption();
    options.addVersionOption();
    options.process(app);

    // A second start shows the running window instead of a second session.
    SingleInstance instance(SingleInstance::defaultBase());
    if (!instance.claim()) return 0;

    XdgDesktop desktop;
    QtPorts ports(desktop);
    ViewController controller(ports.appPorts(), ServiceEndpoint::compiledIn());
    ports.window.bind(controller);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &ports.window,
                     [&ports] { raiseWindow(ports.window); });

    // The window is on the screen before anything else is done: the version check and what
    // it needs (OpenSSL, libcurl, libxml2, the Big5 converter) come after its first paint.
    controller.viewWillAppear();
    std::unique_ptr<AfterFirstPaint> afterPaint;
    if (const char* probe = std::getenv("NORVALE_QUIT_AFTER_FIRST_PAINT")) {
        afterPaint = quitAfterFirstPaint(ports.window, probe);
    } else {
        afterPaint = std::make_unique<AfterFirstPaint>(ports.window, [&] {
            controller.viewDidLoad();
            if (controller.isQuitting()) return;
            if (auto* id = ports.window.findChild<QWidget*>(outlet::kTxtUserIdNo)) id->setFocus();
            controller.viewDidAppear();
        });
    }
    ports.window.show();
    return QApplication::exec();
}
