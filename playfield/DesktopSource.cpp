#include "playfield/DesktopSource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

QImage X11DesktopSource::grab() {
    // Elsewhere (Wayland) a grab either fails or asks the user: the play field shows its
    // background colour instead.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return screen->grabWindow(0).toImage();
}
