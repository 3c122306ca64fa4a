#include "components/PictureLoader.h"

#include <QImageReader>

std::optional<QImage> loadPicture(const QString& path) {
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}
