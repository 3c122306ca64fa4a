#include "components/WindowRole.h"

#include "components/DialogTitleBar.h"
#include "components/X11Connection.h"

#include <QDialog>
#include <QWidget>

#include <array>

namespace windowrole {

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
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    const std::array<xcb_atom_t, 2> states{x11Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           x11Atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    // Qt merges its own states (full screen, above) into what is there when it maps the window.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()),
                        x11Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        quint32(states.size()), states.data());
    xcb_flush(connection);
}

void closeWithoutAnimation(QWidget* window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    const quint32 skip = 1;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        x11Atom(connection, "_KDE_NET_WM_SKIP_CLOSE_ANIMATION"), XCB_ATOM_CARDINAL,
                        32, 1, &skip);
    xcb_flush(connection);
}

void frameFixedDialog(QDialog* dialog) {
    if (toolkitDrawsFrames())
        DialogTitleBar::install(dialog);
    keepOutOfTaskbar(dialog);
}

} // namespace windowrole
