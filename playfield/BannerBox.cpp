#include "playfield/BannerBox.h"

#include <QMouseEvent>
#include <QPainter>

BannerBox::BannerBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

QImage& BannerBox::surface() {
    const QSize inside = contentsRect().size();
    if (m_surface.size() != inside) {
        m_surface = QImage(inside, QImage::Format_RGB32);
        m_surface.fill(palette().color(QPalette::Window));
    }
    return m_surface;
}

void BannerBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), surface());
}

void BannerBox::windowRepainted(const QRegion& region) {
    QImage& inside = surface();
    QPainter painter(&inside);
    painter.setClipRegion(region.translated(-contentsRect().topLeft()));
    painter.fillRect(inside.rect(), palette().color(QPalette::Window));
    painter.end();
    update(region);
}

void BannerBox::mousePressEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (m_pressed == Qt::NoButton && (button == Qt::LeftButton || button == Qt::RightButton))
        m_pressed = button;
}

void BannerBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != m_pressed)
        return;
    m_pressed = Qt::NoButton;
    if (rect().contains(event->position().toPoint()) && onClick)
        onClick();
}

// The second press of a double click starts no click of its own.
void BannerBox::mouseDoubleClickEvent(QMouseEvent*) {}
