#include <QApplication>

#include "app/ViewController.h"
#include "gui/QtPorts.h"
#include "platform/XdgDesktop.h"
#include "service/ServiceEndpoint.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    XdgDesktop desktop;
    QtPorts ports(desktop);
    ViewController controller(ports.appPorts(), ServiceEndpoint::compiledIn());
    ports.window.bind(controller);

    controller.viewDidLoad();
    // An outdated client has taken the update path and is done before its window shows.
    if (controller.isQuitting()) return 0;
    ports.window.show();
    controller.viewDidAppear();
    return QApplication::exec();
}
