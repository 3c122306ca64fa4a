// The start screen's decorations, on black, kept within the part of each picture its box shows;
// and the desktop icon, a bullet hole in a cracked screen.

#include "make_resources.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace res {

namespace {

constexpr double kPi = std::numbers::pi;

QPointF polar(QPointF centre, double radius, double angle) {
    return centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
}

// A blob whose edge wobbles, with spikes where paint was thrown out.
QPainterPath splashPath(QPointF centre, double radius, Rng& rng) {
    QPainterPath path;
    const int points = 22;
    QPolygonF edge;
    for (int i = 0; i < points; ++i) {
        const double spike = (i % 3 == 0) ? 1.0 + 0.45 * rng.unit() : 0.85 + 0.2 * rng.unit();
        edge << polar(centre, radius * spike, 2 * kPi * i / points);
    }
    path.moveTo((edge[0] + edge[1]) / 2);
    for (int i = 1; i <= points; ++i)
        path.quadTo(edge[i % points], (edge[i % points] + edge[(i + 1) % points]) / 2);
    return path;
}

void drawSplash(QPainter& p) {
    Rng rng(0x5b1a54);
    const QPointF centre(24, 28);
    QRadialGradient paint(centre, 22, centre - QPointF(5, 6));
    paint.setColorAt(0, QColor(255, 255, 255));
    paint.setColorAt(0.75, QColor(242, 242, 246));
    paint.setColorAt(1, QColor(200, 200, 210));
    p.setPen(Qt::NoPen);
    p.setBrush(paint);
    p.drawPath(splashPath(centre, 14, rng));
    for (int i = 0; i < 9; ++i) {
        const double angle = 2 * kPi * (i + rng.unit() * 0.6) / 9;
        const double r = 18 + rng.unit() * 4, size = 1.2 + rng.unit() * 1.8;
        p.drawEllipse(polar(centre, r, angle), size, size);
    }
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(centre - QPointF(5, 5), 4, 2.5);
}

void drawFeatheredDart(QPainter& p) {
    // Tip at the lower left, shaft rising to the feathers at the upper right.
    p.translate(6, 53.5);
    p.rotate(-21);
    p.scale(0.92, 0.92);
    QLinearGradient steel(0, -2, 0, 2);
    steel.setColorAt(0, QColor(245, 245, 250));
    steel.setColorAt(1, QColor(100, 100, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(steel);
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(14, -2.5), QPointF(14, 2.5)}));
    p.setBrush(cylinderShade(QPointF(0, -4.5), QPointF(0, 4.5), QColor(180, 150, 60)));
    p.drawRoundedRect(QRectF(13, -4.5, 22, 9), 3, 3);
    p.setBrush(cylinderShade(QPointF(0, -2.2), QPointF(0, 2.2), QColor(150, 90, 45)));
    p.drawRect(QRectF(34, -2.2, 60, 4.4));
    for (int side : {-1, 1}) {
        QPainterPath vane;
        vane.moveTo(62, side * 2);
        vane.cubicTo(70, side * 13, 82, side * 15, 93, side * 14);
        vane.lineTo(88, side * 2);
        vane.closeSubpath();
        QLinearGradient fill(0, 0, 0, side * 15);
        fill.setColorAt(0, QColor(255, 255, 255));
        fill.setColorAt(1, side < 0 ? QColor(220, 30, 30) : QColor(170, 20, 20));
        p.setBrush(fill);
        p.setPen(QPen(QColor(255, 255, 255, 120), 0.6));
        p.drawPath(vane);
        p.setPen(QPen(QColor(90, 10, 10, 160), 0.7));
        for (double x = 66; x < 92; x += 3)
            p.drawLine(QPointF(x, side * 2.5), QPointF(x + 5, side * (8 + (x - 66) * 0.22)));
    }
}

void drawSuctionDart(QPainter& p) {
    // A yellow stick with small flights, its red rubber cup opening to the right.
    p.setPen(Qt::NoPen);
    p.setBrush(cylinderShade(QPointF(0, 14), QPointF(0, 20), QColor(240, 200, 40)));
    p.drawRect(QRectF(6, 14, 38, 6));
    for (int side : {-1, 1}) {
        p.setBrush(side < 0 ? QColor(60, 200, 90) : QColor(30, 140, 60));
        p.drawPolygon(QPolygonF({QPointF(4, 17), QPointF(14, 17 + side * 2),
                                 QPointF(8, 17 + side * 9), QPointF(2, 17 + side * 9)}));
    }
    QPainterPath cup;
    cup.moveTo(42, 13);
    cup.cubicTo(48, 12, 52, 4, 55, 3);
    cup.lineTo(55, 31);
    cup.cubicTo(52, 30, 48, 22, 42, 21);
    cup.closeSubpath();
    p.setBrush(cylinderShade(QPointF(0, 3), QPointF(0, 31), QColor(215, 40, 30)));
    p.setPen(QPen(QColor(110, 10, 5), 0.8));
    p.drawPath(cup);
    p.setBrush(QColor(120, 15, 10));
    p.drawEllipse(QRectF(52.5, 3, 4, 28));
}

void drawCrackedScreen(QPainter& p, double size) {
    const double s = size / 256.0, line = std::max(1.0, 3.0 * s);
    const double inset = std::max(8 * s, 1.5);
    const QRectF screen(inset, inset, size - 2 * inset, size - 2 * inset);
    QLinearGradient glass(screen.topLeft(), screen.bottomRight());
    glass.setColorAt(0, QColor(70, 100, 150));
    glass.setColorAt(1, QColor(18, 26, 50));
    p.setPen(QPen(QColor(30, 30, 36), std::max(1.0, 10.0 * s)));
    p.setBrush(glass);
    p.drawRoundedRect(screen, 22 * s, 22 * s);
    const QPointF centre(size * 0.52, size * 0.48);
    Rng rng(0x1c0e);
    p.save();
    p.setClipRect(screen.adjusted(6 * s, 6 * s, -6 * s, -6 * s));
    const int cracks = size < 32 ? 6 : 10;
    for (int i = 0; i < cracks; ++i) {
        const double angle = 2 * kPi * (i + 0.5 * rng.unit()) / cracks;
        QPolygonF crack;
        for (double r = 0; r < size; r += 20 * s + rng.unit() * 18 * s)
            crack << polar(centre, r, angle + rng.signedUnit() * 0.08);
        p.setPen(QPen(QColor(235, 245, 255), line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(crack);
    }
    if (size >= 32) {
        p.setPen(QPen(QColor(200, 220, 240), line * 0.7));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 54 * s, 50 * s);
    }
    p.restore();
    QRadialGradient hole(centre, 34 * s, centre - QPointF(8 * s, 8 * s));
    hole.setColorAt(0, QColor(60, 60, 64));
    hole.setColorAt(0.7, QColor(5, 5, 8));
    p.setPen(QPen(QColor(230, 235, 245), std::max(1.0, 6.0 * s)));
    p.setBrush(hole);
    p.drawEllipse(centre, std::max(2.5, 30 * s), std::max(2.5, 28 * s));
}

} // namespace

QImage startSplash() {
    return paintOn({64, 64}, 0xff000000, drawSplash);
}
QImage startDart() {
    return paintOn({106, 69}, 0xff000000, drawFeatheredDart);
}
QImage startSuctionDart() {
    return paintOn({62, 36}, 0xff000000, drawSuctionDart);
}

QImage deskIcon(int size) {
    return paintTransparent({size, size}, [size](QPainter& p) { drawCrackedScreen(p, size); })
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace res
