#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// The arithmetic of the play field's handlers, over plain values in twips and HIMETRIC.
namespace rules {

// --- Loading ---
// The strip height in twips: a quarter of the shotgun launcher's HIMETRIC height, used as twips.
double stripHeight(int launcherHeight);
// The first screen pixel row of the desktop band under the gun strip.
std::int32_t stripTop(double screenHeightTwips, double twipsPerPixelY, int launcherHeight);
// The normal gun half-width for a launcher of this HIMETRIC width.
std::int16_t normalGunHalfWidth(int launcherWidth);
// "Speed: " and the speed number in its shortest decimal form, as the play field first shows it.
QString loadSpeedText(std::int32_t intervalMs, const QLocale& locale);

// --- Target motion ---
struct TargetRoom {
    std::int32_t screenWidth;  // twips
    std::int32_t screenHeight; // twips
    float targetWidth;
    float targetHeight;
    float stripHeight;
    float frameTop;
    float frameHeight;
};
struct TargetPlace {
    std::int32_t x;
    std::int32_t y;
};
// Where the target jumps for the random numbers r1 and r2 in [0, 1).
TargetPlace placeTarget(float r1, float r2, const TargetRoom& room);

// --- Firing ---
struct ShotPoint {
    float X;
    float Y;
};
// The ImageList1 image whose picture size sets a weapon's mark offsets (0: none).
int offsetImageFor(std::int16_t weaponType);
// Where the mark's top-left corner goes for a shot at (X, Y); sizeWidth and sizeHeight are the
// HIMETRIC picture size of offsetImageFor(weaponType).
ShotPoint markPosition(std::int16_t weaponType, ShotPoint shot, int sizeWidth, int sizeHeight);
std::int16_t scoreAfterMiss(std::int16_t score);
// The score never wraps: at the top it stays where it is.
std::int16_t scoreAfterHit(std::int16_t score);
// "Score: " and the score grouped in thousands ("#,###,##0").
QString scoreText(std::int16_t score, const QLocale& locale);
// The user's locale, with English grouping where the locale is the plain C one.
QLocale displayLocale();

// --- Gun strip ---
struct GunDraw {
    float left;                 // twips, the launcher's left edge
    std::int16_t halfWidthUsed; // after the left-edge clamp
};
GunDraw gunDraw(float X, std::int16_t halfWidth);

// --- Keyboard ---
inline constexpr std::int16_t kBackspace = 8;
inline constexpr std::int16_t kSpace = 32;
inline constexpr std::int32_t kFastestInterval = 1;
inline constexpr std::int32_t kSlowestInterval = 3000;
struct WeaponKey {
    std::int16_t weaponType;
    const char* soundFile; // in the program's folder
    std::int16_t gunImage;
};
std::optional<WeaponKey> weaponForKey(std::int16_t keyAscii);
// Keys "5" and "6" do nothing at all.
bool isDeadKey(std::int16_t keyAscii);
std::int32_t nextInterval(std::int16_t keyAscii, std::int32_t intervalMs);
QString speedText(std::int32_t intervalMs);

// --- Banner ---
struct BannerStep {
    std::int16_t frame;
    int intervalMs; // until the next tick
};
BannerStep nextBannerFrame(std::int16_t frame);

} // namespace rules
