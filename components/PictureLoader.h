#pragma once

#include <QImage>
#include <QString>

#include <optional>

// The largest picture the game takes, each way and in all.
inline constexpr int kMaxPictureSide = 32767;
inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// Loads a picture file for the target or the preview. Anything that is not a regular, readable,
// decodable picture of a sane size is a failure: folders, devices, FIFOs, huge or broken files.
std::optional<QImage> loadPicture(const QString& path);
