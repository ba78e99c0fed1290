#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/ViewController.h"
#include "gui/FirstPaintQuit.h"
#include "gui/QtPorts.h"
#include "platform/XdgDesktop.h"
#include "service/ServiceEndpoint.h"

int main(int argc, char* argv[]) {
    // --report and --help need no display: they are done before Qt starts.
    {
        XdgDesktop desktop;
        if (auto status = CommandLine::run(argc, argv, desktop, std::cout)) return *status;
    }
    QApplication app(argc, argv);
    // Qt's own texts (file choosers, edit menus) in the language of the rest of the window,
    // whatever the session's locale, when the system has them.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::Taiwan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    XdgDesktop desktop;
    QtPorts ports(desktop);
    ViewController controller(ports.appPorts(), ServiceEndpoint::compiledIn());
    ports.window.bind(controller);

    controller.viewDidLoad();
    // An outdated client has taken the update path and is done before its window shows.
    if (controller.isQuitting()) return 0;
    // The start-up benchmark (scripts/bench.sh) times the way to the first painted window.
    std::unique_ptr<FirstPaintQuit> benchmarkProbe;
    if (std::getenv("NORVALE_QUIT_AFTER_FIRST_PAINT")) {
        benchmarkProbe = std::make_unique<FirstPaintQuit>(ports.window);
    }
    ports.window.show();
    controller.viewDidAppear();
    return QApplication::exec();
}
