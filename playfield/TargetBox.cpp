#include "playfield/TargetBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TargetBox::TargetBox(QWidget* parent, const units::ScreenMetrics& metrics, QSize screenSize)
    : TwipsBox(parent, metrics), m_screenSize(screenSize) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

void TargetBox::setPicture(const QImage& picture) {
    m_picture = picture;
}

QImage& TargetBox::marks() {
    // Marks beyond the screen's size could never be seen; the surface stops there.
    const QSize wanted = size().boundedTo(m_screenSize);
    if (m_marks.size() != wanted) {
        m_marks = QImage(wanted, QImage::Format_ARGB32_Premultiplied);
        m_marks.fill(Qt::transparent);
    }
    return m_marks;
}

void TargetBox::Refresh() {
    m_marks = QImage();
    repaint();
}

void TargetBox::windowRepainted(const QRegion& region) {
    if (!m_marks.isNull()) {
        QPainter painter(&m_marks);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setClipRegion(region);
        painter.fillRect(m_marks.rect(), Qt::transparent);
    }
    update(region);
}

void TargetBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.drawImage(0, 0, m_picture);
    if (!m_marks.isNull())
        painter.drawImage(0, 0, m_marks);
}

void TargetBox::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown)
        onMouseDown(mouseArgs(*event, metrics()));
}

void TargetBox::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove)
        onMouseMove(mouseArgs(*event, metrics()));
}

void TargetBox::keyPressEvent(QKeyEvent* event) {
    const auto code = keyAscii(*event);
    if (!code) {
        QWidget::keyPressEvent(event);
        return;
    }
    std::int16_t key = *code;
    if (onKeyPress)
        onKeyPress(key);
}
