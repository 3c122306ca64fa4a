#include "app/Program.h"
#include "components/WindowRole.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The game ends itself, through its own windows; hidden windows do not end it.
    application.setQuitOnLastWindowClosed(false);
    // The desktop entry's id is the game's name to the window system (the Wayland app id, the
    // desktop file its X11 windows name), so task bars show the entry's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Deskwreck"));
    QApplication::setWindowIcon(windowrole::gameIcon());
    Program program;
    program.start();
    return application.exec();
}
