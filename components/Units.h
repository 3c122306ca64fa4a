#pragma once

#include <QRect>

#include <algorithm>
#include <cmath>
#include <limits>

class QScreen;

// The game measures windows in twips (1/1440 inch) and picture sizes in HIMETRIC (0.01 mm).
namespace units {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kHimetricPerInch = 2540.0;

// Rounds to the nearest whole number, halves to the even neighbour.
inline long long roundHalfEven(double value) {
    return std::llrint(std::nearbyint(value));
}

// A whole number held to the range of T, an integer of 16 or 32 bits (NaN gives 0): no value
// the game stores wraps, and no conversion leaves its range.
template <typename T> T saturate(double whole) {
    static_assert(sizeof(T) <= 4, "a double holds every limit of T exactly");
    if (std::isnan(whole))
        return 0;
    return T(std::clamp(whole, double(std::numeric_limits<T>::min()),
                        double(std::numeric_limits<T>::max())));
}

// Rounded to the nearest whole number, halves to even, and held to the range of T.
template <typename T> T roundTo(double value) {
    return saturate<T>(std::nearbyint(value));
}

struct ScreenMetrics {
    double dpiX = 96.0;
    double dpiY = 96.0;

    double twipsPerPixelX() const { return kTwipsPerInch / dpiX; }
    double twipsPerPixelY() const { return kTwipsPerInch / dpiY; }

    int toPixelsX(double twips) const { return roundTo<int>(twips / twipsPerPixelX()); }
    int toPixelsY(double twips) const { return roundTo<int>(twips / twipsPerPixelY()); }
    double toTwipsX(double pixels) const { return pixels * twipsPerPixelX(); }
    double toTwipsY(double pixels) const { return pixels * twipsPerPixelY(); }

    int himetricWidth(int pixels) const { return roundTo<int>(pixels * kHimetricPerInch / dpiX); }
    int himetricHeight(int pixels) const { return roundTo<int>(pixels * kHimetricPerInch / dpiY); }
};

// The largest side a window may have, in pixels.
inline constexpr int kMaxWindowSide = 32767;

// A place given in twips, in whole pixels: each number rounded on its own, and the sides held
// to what a window may have.
inline QRect toPixels(const ScreenMetrics& metrics, double left, double top, double width,
                      double height) {
    return {metrics.toPixelsX(left), metrics.toPixelsY(top),
            std::clamp(metrics.toPixelsX(width), 0, kMaxWindowSide),
            std::clamp(metrics.toPixelsY(height), 0, kMaxWindowSide)};
}

// The metrics of a screen, or of the primary screen (96 dpi where there is none).
ScreenMetrics screenMetrics(const QScreen* screen);
ScreenMetrics primaryScreenMetrics();

} // namespace units
