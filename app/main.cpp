// Starts the viewer: one window, with the hue file it was given, if any, in its path field.
#include "viewer/qt/main_window.h"

#include <QApplication>
#include <QIcon>

#include <string>
#include <vector>

namespace {

// Rendered at the usual sizes up front: X11 window managers take the window icon as
// pixmaps and get nothing from a purely scalable one.
QIcon ApplicationIcon() {
    const QIcon scalable(QStringLiteral(":/icons/org.hueviewer.HueViewer.svg"));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(scalable.pixmap(QSize(size, size)));
    }
    return icon;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hueviewer"));
    // Lets desktops match the window to its desktop entry and so to its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.hueviewer.HueViewer"));
    QApplication::setWindowIcon(ApplicationIcon());
    frmMain window;
    window.show();
    std::vector<std::u16string> arguments;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdU16String());
    }
    window.StartWith(arguments);
    return QApplication::exec();
}
