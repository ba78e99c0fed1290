#pragma once

#include "app/ViewController.h"
#include "gui/MainLoopQueue.h"
#include "gui/MainWindow.h"
#include "gui/QtAlerts.h"
#include "gui/QtRuntime.h"
#include "gui/QtSheets.h"

#include "platform/Desktop.h"

// Every port of the main window's workflows, on one Qt main window, in the order they
// depend on each other.
struct QtPorts {
    explicit QtPorts(Desktop& desktop)
        : desktop(desktop),
          alerts(window, queue),
          sheets(window, alerts, queue, desktop),
          runtime(window, queue) {
        window.rememberSizeIn(
            QString::fromStdString(desktop.configPath() + "/norvale-cert-client/window.conf"));
    }

    AppPorts appPorts() { return {window, alerts, sheets, runtime, desktop}; }

    Desktop& desktop;
    MainLoopQueue queue;
    MainWindow window;
    QtAlerts alerts;
    QtSheets sheets;
    QtRuntime runtime;
};
