// The reference of the start-up figure: the least a Qt Widgets program does before its first
// painted window (a window with one button), ending right after that paint.
#include <QApplication>
#include <QMainWindow>
#include <QPushButton>

#include <cstdlib>

#include "FirstPaintQuit.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QPushButton(QStringLiteral("好"), &window));
    const char* mode = std::getenv("NORVALE_QUIT_AFTER_FIRST_PAINT");
    auto probe = quitAfterFirstPaint(window, mode ? mode : "");
    window.show();
    return QApplication::exec();
}
