#include "playfield/TargetBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QWindow>

#include <algorithm>

void FlatFrame::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect caption =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    QRect line =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this);
    line.setTop(std::max(line.top(), caption.center().y())); // through the caption's middle
    painter.save();
    painter.setClipRegion(QRegion(rect()).subtracted(caption.adjusted(-2, 0, 2, 0)));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(line.adjusted(0, 0, -2, -2));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(line.adjusted(1, 1, -1, -1));
    painter.restore();
    option.subControls &= ~QStyle::SC_GroupBoxFrame;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

TwipsBox::TwipsBox(QWidget* parent, const units::ScreenMetrics& metrics)
    : QWidget(parent), m_metrics(metrics) {}

void TwipsBox::setLeft(float twips) {
    m_left = twips;
    apply();
}

void TwipsBox::setTop(float twips) {
    m_top = twips;
    apply();
}

// A side beyond what a window can have is limited to that.
void TwipsBox::setWidth(float twips) {
    m_width = std::min(twips, float(kMaxSide * m_metrics.twipsPerPixelX()));
    apply();
}

void TwipsBox::setHeight(float twips) {
    m_height = std::min(twips, float(kMaxSide * m_metrics.twipsPerPixelY()));
    apply();
}

void TwipsBox::setTwipsGeometry(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    setWidth(width);
    setHeight(height);
}

void TwipsBox::apply() {
    const int width = std::clamp(m_metrics.toPixelsX(m_width), 0, kMaxSide);
    const int height = std::clamp(m_metrics.toPixelsY(m_height), 0, kMaxSide);
    setGeometry(m_metrics.toPixelsX(m_left), m_metrics.toPixelsY(m_top), width, height);
}

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

WindowRepaints::WindowRepaints(QWidget* window, std::function<void(const QRegion&)> onRepainted)
    : QObject(window), m_window(window), m_onRepainted(std::move(onRepainted)) {
    window->installEventFilter(this);
    if (QWindow* handle = window->windowHandle())
        handle->installEventFilter(this);
}

bool WindowRepaints::eventFilter(QObject* watched, QEvent* event) {
    // The native window exists once the widget is about to show.
    if (watched == m_window && event->type() == QEvent::Show && m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    if (watched != m_window->windowHandle())
        return false;
    if (event->type() == QEvent::Expose) {
        // Qt 6 keeps the exposed region but calls its getter obsolete, meaning widgets should
        // wait for paint events; an uncovered window gets none.
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        m_onRepainted(static_cast<QExposeEvent*>(event)->region());
        QT_WARNING_POP
    } else if (event->type() == QEvent::Paint) {
        m_onRepainted(static_cast<QPaintEvent*>(event)->region());
    }
    return false;
}
