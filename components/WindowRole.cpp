#include "components/WindowRole.h"

#include "components/DialogTitleBar.h"
#include "components/X11Connection.h"

#include <QDialog>
#include <QIconEngine>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <array>

namespace windowrole {

namespace {

// The game's icon, each size read from the resources when it is asked for and none kept: the
// window system takes its own copies as a window is shown (X11's _NET_WM_ICON; a Wayland client
// asks for none), and kept pictures, 256 KB for the largest alone, would stay resident for the
// whole game.
class GameIconEngine final : public QIconEngine {
  public:
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::max(size.width(), size.height());
        const auto drawn = std::find_if(kSides.begin(), kSides.end(),
                                        [side](int available) { return available >= side; });
        const int chosen = drawn != kSides.end() ? *drawn : kSides.back();
        // Through QImage: QPixmap's own loading would keep the picture in QPixmapCache.
        QPixmap picture =
            QPixmap::fromImage(QImage(QStringLiteral(":/icons/%1x%1/deskwreck.png").arg(chosen)));
        if (chosen == side || picture.isNull())
            return picture;
        return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : kSides)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine* clone() const override { return new GameIconEngine; }

  private:
    static constexpr std::array<int, 6> kSides{16, 32, 48, 64, 128, 256};
};

} // namespace

QIcon gameIcon() {
    return QIcon(new GameIconEngine);
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
