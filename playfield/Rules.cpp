#include "playfield/Rules.h"

#include "components/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rules {

namespace {

// Every float stored into an integer is held to that integer's range.
std::int32_t round32(double value) {
    return units::roundTo<std::int32_t>(value);
}

std::int32_t floor32(double value) {
    return units::saturate<std::int32_t>(std::floor(value));
}

} // namespace

double stripHeight(int launcherHeight) {
    return launcherHeight / 4.0;
}

std::int32_t stripTop(double screenHeightTwips, double twipsPerPixelY, int launcherHeight) {
    const std::int32_t bottomRow = round32(screenHeightTwips / twipsPerPixelY);
    return round32(bottomRow - stripHeight(launcherHeight) / twipsPerPixelY);
}

std::int16_t normalGunHalfWidth(int launcherWidth) {
    return units::saturate<std::int16_t>(std::floor(launcherWidth / 4.5));
}

QString loadSpeedText(std::int32_t intervalMs, const QLocale& locale) {
    const double speed = (kSlowestInterval - intervalMs) / 100.0;
    return QStringLiteral("Speed: ") + locale.toString(speed, 'g', QLocale::FloatingPointShortest);
}

TargetPlace placeTarget(float r1, float r2, const TargetRoom& room) {
    std::int32_t x = floor32(double(r1) * room.screenWidth);
    std::int32_t y = floor32(double(r2) * room.screenHeight - room.stripHeight);
    const double rightLimit = double(room.screenWidth) - room.targetWidth;
    if (rightLimit < x)
        x = round32(rightLimit);
    const double bottomLimit = double(room.screenHeight) - room.targetHeight - room.stripHeight;
    if (bottomLimit < y)
        y = round32(bottomLimit);
    const double topLimit = double(room.frameTop) + room.frameHeight;
    if (topLimit > y)
        y = round32(topLimit);
    return {x, y};
}

int offsetImageFor(std::int16_t weaponType) {
    switch (weaponType) {
    case 2:
        return 2;
    case 3:
    case 4:
        return 3;
    default:
        return 0;
    }
}

ShotPoint markPosition(std::int16_t weaponType, ShotPoint shot, int sizeWidth, int sizeHeight) {
    double dx = 0;
    double dy = 0;
    switch (weaponType) {
    case 2:
        dx = 3;
        dy = 3;
        break;
    case 3:
        dx = 3.5;
        dy = 4.5;
        break;
    case 4:
        dx = 5.5;
        dy = 6.5;
        break;
    default:
        return shot;
    }
    shot.X = float(double(shot.X) - std::floor(sizeWidth / dx));
    shot.Y = float(double(shot.Y) - std::floor(sizeHeight / dy));
    shot.X = std::max(shot.X, 0.0f);
    shot.Y = std::max(shot.Y, 0.0f);
    return shot;
}

std::int16_t scoreAfterMiss(std::int16_t score) {
    return std::int16_t(std::max(score - 100, 0));
}

std::int16_t scoreAfterHit(std::int16_t score) {
    if (score > std::numeric_limits<std::int16_t>::max() - 100)
        return score;
    return std::int16_t(score + 100);
}

QString scoreText(std::int16_t score, const QLocale& locale) {
    return QStringLiteral("Score: ") + locale.toString(int(score));
}

QLocale displayLocale() {
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

GunDraw gunDraw(float X, std::int16_t halfWidth) {
    if (float(halfWidth) > X)
        halfWidth = units::roundTo<std::int16_t>(X);
    return {X - float(halfWidth), halfWidth};
}

std::optional<WeaponKey> weaponForKey(std::int16_t keyAscii) {
    switch (keyAscii) {
    case '1':
        return WeaponKey{1, "dart.wav", 9};
    case '2':
        return WeaponKey{2, "love.wav", 8};
    case '3':
        return WeaponKey{3, "shoot.wav", 5};
    case '4':
        return WeaponKey{4, "succ.wav", 6};
    default:
        return std::nullopt;
    }
}

bool isDeadKey(std::int16_t keyAscii) {
    return keyAscii == '5' || keyAscii == '6';
}

std::int32_t nextInterval(std::int16_t keyAscii, std::int32_t intervalMs) {
    if (keyAscii == '=')
        intervalMs -= 50;
    else if (keyAscii == '-')
        intervalMs += 50;
    return std::clamp(intervalMs, kFastestInterval, kSlowestInterval);
}

QString speedText(std::int32_t intervalMs) {
    const double speed = (kSlowestInterval - intervalMs) / 100.0;
    return QStringLiteral("Speed: ") + QString::number(round32(speed));
}

BannerStep nextBannerFrame(std::int16_t frame) {
    frame = std::int16_t(frame + 1);
    if (frame > 16)
        frame = 1;
    const bool pause = frame == 5 || frame == 11 || frame == 16;
    return {frame, pause ? 2000 : 100};
}

} // namespace rules
