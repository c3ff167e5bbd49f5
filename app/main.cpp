// Starts the viewer: one window, no command line of its own.
#include "viewer/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hueviewer"));
    frmMain window;
    window.show();
    return QApplication::exec();
}
