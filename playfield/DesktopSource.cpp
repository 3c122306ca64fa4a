#include "playfield/DesktopSource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

void X11DesktopSource::capture(QScreen* screen, std::function<void()> ready) {
    m_picture = {};
    // Elsewhere a grab either fails or asks the user: the play field shows its background colour.
    if (screen && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QRect area = screen->geometry();
        m_picture = screen->grabWindow(0, 0, 0, area.width(), area.height()).toImage();
    }
    ready();
}

bool isWaylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
