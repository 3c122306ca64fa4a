#pragma once

#include "components/Units.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The largest picture the game takes, each way and in all: a picture shows at its own size in a
// control, which is no larger than a window can be.
inline constexpr int kMaxPictureSide = units::kMaxWindowSide;
inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// Loads a picture file for the target or the preview. Anything that is not a regular, readable,
// decodable picture of a sane size is a failure: folders, devices, FIFOs, huge or broken files.
std::optional<QImage> loadPicture(const QString& path);
// The same in two steps, so that a file can be gone before its pixels are decoded, on any thread:
// the bytes of a regular file of a sane size, and the picture they hold.
std::optional<QByteArray> readPictureFile(const QString& path);
std::optional<QImage> decodePicture(QByteArray bytes);
