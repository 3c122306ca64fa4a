#pragma once

#include "components/Units.h"

#include <QPoint>
#include <QString>

// The arithmetic of the settings dialog, over plain values in the game's units.
namespace settingsrules {

// The preview's size before any bitmap has been loaded into it, in twips.
inline constexpr int kDesignPreviewWidth = 2295;
inline constexpr int kDesignPreviewHeight = 1695;

// The folder, a separator unless it already ends in one (a root folder does), then the name.
inline QString fullPathOf(const QString& folder, const QString& fileName) {
    return folder.endsWith(QLatin1Char('/')) ? folder + fileName
                                             : folder + QLatin1Char('/') + fileName;
}

// A picture's natural size in twips: its pixels times the screen's twips per pixel, as a whole
// number (the labels show digits only).
inline int pixelsToTwips(int pixels, double twipsPerPixel) {
    return units::roundTo<int>(pixels * twipsPerPixel);
}

inline QPoint twipPoint(const units::ScreenMetrics& metrics, int x, int y) {
    return {metrics.toPixelsX(x), metrics.toPixelsY(y)};
}

} // namespace settingsrules
