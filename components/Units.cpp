#include "components/Units.h"

#include <QGuiApplication>
#include <QScreen>

namespace units {

ScreenMetrics primaryScreenMetrics() {
    return screenMetrics(QGuiApplication::primaryScreen());
}

ScreenMetrics screenMetrics(const QScreen* screen) {
    if (!screen)
        return {};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

} // namespace units
