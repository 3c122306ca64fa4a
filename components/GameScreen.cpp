#include "components/GameScreen.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace gamescreen {

namespace {

QPointer<QScreen> g_chosen;

// Qt's own guess at a window frame when no shown window tells its size.
QPoint frameOffset() {
    int width = 0;
    int height = 0;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        width = std::max(width, window->geometry().x() - window->x());
        height = std::max(height, window->geometry().y() - window->y());
    }
    if (width == 0 || height == 0 || width >= 10 || height >= 40)
        return {10, 40};
    return {width, height};
}

} // namespace

QScreen* screen() {
    return g_chosen ? g_chosen.data() : QGuiApplication::primaryScreen();
}

void choose(QScreen* screen) {
    g_chosen = screen;
}

QScreen* underPointer() {
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return QGuiApplication::primaryScreen();
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

units::ScreenMetrics metrics() {
    return units::screenMetrics(screen());
}

void centre(QWidget* window) {
    QScreen* target = screen();
    if (!target)
        return;
    window->setScreen(target);
    const QRect desk = target->availableGeometry();
    const QPoint middle(desk.x() + desk.width() / 2, desk.y() + desk.height() / 2);
    window->move(middle - QPoint(window->width() / 2, window->height() / 2) - frameOffset());
}

} // namespace gamescreen
