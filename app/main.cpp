#include "app/Program.h"
#include "components/WindowRole.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt 6.4's Wayland client can hang as the application is destroyed: the display waits for its
// event thread, which waits in wl_display_read_events for a read the main thread prepared and
// never made. Under load one game in about twelve on sway stayed running after its windows had
// gone. The game's own objects are gone by then and the compositor closes the connection with
// the process, so a Wayland client ends here.
void endWithoutWaylandTeardown(int status) {
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return;
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The game ends itself, through its own windows; hidden windows do not end it.
    application.setQuitOnLastWindowClosed(false);
    // The desktop entry's id is the game's name to the window system (the Wayland app id, the
    // desktop file its X11 windows name), so task bars show the entry's name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Deskwreck"));
    QApplication::setWindowIcon(windowrole::gameIcon());
    int status = 0;
    {
        Program program;
        program.start();
        status = application.exec();
    }
    endWithoutWaylandTeardown(status);
    return status;
}
