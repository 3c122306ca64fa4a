#include "components/WindowRole.h"

#include "components/DialogTitleBar.h"

#include <QDialog>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>

namespace windowrole {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    auto cookie = xcb_intern_atom(connection, 0, quint16(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

} // namespace

QIcon gameIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/deskwreck.png").arg(size), QSize(size, size));
    return icon;
}

Qt::WindowFlags fixedDialog() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void keepOutOfTaskbar(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const std::array<xcb_atom_t, 2> states{internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    // Qt merges its own states (full screen, above) into what is there when it maps the window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()),
                        internAtom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        quint32(states.size()), states.data());
    xcb_flush(connection);
}

void closeWithoutAnimation(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const quint32 skip = 1;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        internAtom(connection, "_KDE_NET_WM_SKIP_CLOSE_ANIMATION"),
                        XCB_ATOM_CARDINAL, 32, 1, &skip);
    xcb_flush(connection);
}

void frameFixedDialog(QDialog* dialog) {
    if (toolkitDrawsFrames())
        DialogTitleBar::install(dialog);
    keepOutOfTaskbar(dialog);
}

} // namespace windowrole
