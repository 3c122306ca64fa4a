#include "playfield/DesktopSource.h"

#include "components/X11Connection.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdlib>

namespace {

// Whether a compositing manager owns the screen's _NET_WM_CM selection.
bool compositorRunning() {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return false;
    const xcb_atom_t selection = x11Atom(connection, "_NET_WM_CM_S0");
    auto ownerCookie = xcb_get_selection_owner(connection, selection);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return running;
}

} // namespace

void DesktopSource::whenHiddenWindowGone(std::function<void()> gone) {
    QTimer::singleShot(0, qApp, std::move(gone));
}

void X11DesktopSource::whenHiddenWindowGone(std::function<void()> gone) {
    // Once this returns, the X server has unmapped the window.
    QGuiApplication::sync();
    QTimer::singleShot(compositorRunning() ? kCompositorMs : kRepaintMs, qApp, std::move(gone));
}

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
