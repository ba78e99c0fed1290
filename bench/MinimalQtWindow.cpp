// The reference of the start-up figure: the least a Qt Widgets program does before its first
// painted window (a window with one button), quitting right after that paint.
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>

#include "FirstPaintQuit.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QPushButton(QStringLiteral("好"), &window));
    FirstPaintQuit quitAfterPaint(window);
    window.show();
    return QApplication::exec();
}
