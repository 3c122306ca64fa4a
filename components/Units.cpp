#include "components/Units.h"

#include <QGuiApplication>
#include <QScreen>

namespace units {

ScreenMetrics primaryScreenMetrics() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

} // namespace units
