#include "playfield/SurfaceBox.h"

#include <QPaintEvent>
#include <QPainter>

void SurfaceBox::resizeBacking(qreal devicePixelRatio) {
    QImage resized(size() * devicePixelRatio, QImage::Format_RGB32);
    resized.setDevicePixelRatio(devicePixelRatio);
    resized.fill(palette().color(QPalette::Window));
    if (!m_backing.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, m_backing);
    }
    m_backing = resized;
}

void SurfaceBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_backing);
}
