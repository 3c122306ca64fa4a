#pragma once

#include <cmath>

class QScreen;

// The game measures windows in twips (1/1440 inch) and picture sizes in HIMETRIC (0.01 mm).
namespace units {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kHimetricPerInch = 2540.0;

// Rounds to the nearest whole number, halves to the even neighbour.
inline long long roundHalfEven(double value) {
    return std::llrint(std::nearbyint(value));
}

struct ScreenMetrics {
    double dpiX = 96.0;
    double dpiY = 96.0;

    double twipsPerPixelX() const { return kTwipsPerInch / dpiX; }
    double twipsPerPixelY() const { return kTwipsPerInch / dpiY; }

    int toPixelsX(double twips) const { return int(roundHalfEven(twips / twipsPerPixelX())); }
    int toPixelsY(double twips) const { return int(roundHalfEven(twips / twipsPerPixelY())); }
    double toTwipsX(double pixels) const { return pixels * twipsPerPixelX(); }
    double toTwipsY(double pixels) const { return pixels * twipsPerPixelY(); }

    int himetricWidth(int pixels) const {
        return int(roundHalfEven(pixels * kHimetricPerInch / dpiX));
    }
    int himetricHeight(int pixels) const {
        return int(roundHalfEven(pixels * kHimetricPerInch / dpiY));
    }
};

// The metrics of a screen, or of the primary screen (96 dpi where there is none).
ScreenMetrics screenMetrics(const QScreen* screen);
ScreenMetrics primaryScreenMetrics();

} // namespace units
