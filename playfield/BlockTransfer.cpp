#include "playfield/BlockTransfer.h"

#include <QPainter>

QRect blockTransfer(QImage& destination, QPoint to, const QImage& source, QPoint from, QSize size) {
    if (destination.isNull() || source.isNull())
        return {};
    const QRect sourceBounds(QPoint(0, 0), source.deviceIndependentSize().toSize());
    const QRect destinationBounds(QPoint(0, 0), destination.deviceIndependentSize().toSize());
    // Clip in source coordinates, then in destination coordinates.
    QRect block = QRect(from, size).intersected(sourceBounds);
    block = block.translated(to - from).intersected(destinationBounds);
    if (block.isEmpty())
        return {};
    const QRect sourceBlock = block.translated(from - to);
    const qreal ratio = source.devicePixelRatio();
    const QRect sourcePixels(sourceBlock.topLeft() * ratio, sourceBlock.size() * ratio);
    QPainter painter(&destination);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(block, source, sourcePixels);
    return block;
}
