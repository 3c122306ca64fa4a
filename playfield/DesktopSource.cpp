#include "playfield/DesktopSource.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Whether a compositing manager owns the screen's _NET_WM_CM selection.
bool compositorRunning() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name = "_NET_WM_CM_S0";
    auto atomCookie = xcb_intern_atom(connection, 1, quint16(name.size()), name.constData());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    auto ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
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
