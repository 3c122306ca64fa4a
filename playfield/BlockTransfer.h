#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

// Copies a block of pixels as they are, clipped to both images. Positions and size are in
// logical pixels; both images are expected to share one device pixel ratio.
// Returns the destination pixels written.
QRect blockTransfer(QImage& destination, QPoint to, const QImage& source, QPoint from, QSize size);
