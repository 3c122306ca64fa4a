#include "components/ImageList.h"

#include <QPainter>

namespace {

// Makes the mask colour transparent before scaling, so the scaled edges blend with whatever
// they are painted on, never with the mask colour.
QImage withoutMaskColour(const QImage& source, QColor mask) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb maskRgb = mask.rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == maskRgb)
                line[x] = 0;
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage scaledTo(const QImage& image, QSize size) {
    if (image.size() == size)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A picture of few colours that needs no scaling (a banner frame) is kept as a palette image
// when that loses nothing: a quarter of the memory, and QPainter converts one frame per draw.
QImage opaqueAt(const QImage& image, QSize size) {
    const QImage opaque = scaledTo(image.convertToFormat(QImage::Format_RGB32), size);
    if (image.size() != size)
        return opaque;
    const QImage indexed =
        opaque.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    return indexed.convertToFormat(QImage::Format_RGB32) == opaque ? indexed : opaque;
}

} // namespace

ImageList::ImageList(const QList<QImage>& images, QColor maskColour, bool useMaskColour,
                     const units::ScreenMetrics& metrics)
    : m_cellSize(images.isEmpty() ? QSize() : images.first().size()), m_metrics(metrics) {
    for (const QImage& image : images) {
        Entry entry;
        entry.info.Picture = {metrics.himetricWidth(image.width()),
                              metrics.himetricHeight(image.height())};
        if (useMaskColour) {
            entry.opaque = scaledTo(image.convertToFormat(QImage::Format_RGB32), m_cellSize);
            entry.masked = scaledTo(withoutMaskColour(image, maskColour), m_cellSize);
        } else {
            entry.opaque = entry.masked = opaqueAt(image, m_cellSize);
        }
        m_images.append(entry);
    }
}

ImageList ImageList::fromResources(const QString& folder, int count, QColor maskColour,
                                   bool useMaskColour, const units::ScreenMetrics& metrics) {
    QList<QImage> images;
    for (int i = 1; i <= count; ++i)
        images.append(QImage(QStringLiteral(":/%1/%2.bmp").arg(folder).arg(i)));
    return ImageList(images, maskColour, useMaskColour, metrics);
}

QRect ImageList::Draw(int i, QImage& surface, double x, double y, int style) const {
    if (i < 1 || i > Count() || surface.isNull())
        return {};
    const Entry& entry = m_images.at(i - 1);
    const QPoint topLeft(m_metrics.toPixelsX(x), m_metrics.toPixelsY(y));
    QPainter painter(&surface);
    painter.drawImage(topLeft, style == Transparent ? entry.masked : entry.opaque);
    const QSize logicalSurface = surface.deviceIndependentSize().toSize();
    return QRect(topLeft, m_cellSize).intersected(QRect(QPoint(0, 0), logicalSurface));
}
