#pragma once

#include <QImage>
#include <QString>

#include <optional>

// Loads a picture file for the target or the preview. Anything that is not a regular, readable,
// decodable picture of a sane size is a failure: folders, devices, FIFOs, huge or broken files.
std::optional<QImage> loadPicture(const QString& path);
