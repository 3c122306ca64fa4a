// The four marks a shot leaves: a dart, a kiss, a bullet hole and a suction cup.

#include "make_resources.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace res {

namespace {

constexpr double kPi = std::numbers::pi;

void drawDartFlights(QPainter& p) {
    // Two flights in profile, above and below the shaft, and one seen edge-on.
    for (int side : {-1, 1}) {
        QPainterPath flight;
        flight.moveTo(42, side * 1.5);
        flight.cubicTo(50, side * 4, 55, side * 9, 60, side * 10.5);
        flight.lineTo(70, side * 10.5);
        flight.lineTo(70, 0);
        flight.closeSubpath();
        QLinearGradient fill(0, 0, 0, side * 11);
        fill.setColorAt(0, side < 0 ? QColor(255, 236, 90) : QColor(235, 190, 30));
        fill.setColorAt(1, side < 0 ? QColor(230, 60, 30) : QColor(160, 30, 20));
        p.setPen(QPen(QColor(70, 20, 10), 1.0));
        p.setBrush(fill);
        p.drawPath(flight);
        p.setPen(QPen(QColor(255, 250, 200, 180), 0.8));
        p.drawLine(QPointF(52, side * 4.5), QPointF(68, side * 8.5));
    }
    p.setPen(QPen(QColor(110, 25, 15), 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(44, 0), QPointF(70, 0));
}

void drawDart(QPainter& p) {
    // The tip is buried at the lower left; the dart rises to the upper right.
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 34, 30));
    p.drawEllipse(QPointF(5, 41), 4.0, 2.4);
    p.translate(5, 41);
    p.rotate(-23);
    QLinearGradient steel(0, -1.5, 0, 1.5);
    steel.setColorAt(0, QColor(240, 240, 245));
    steel.setColorAt(1, QColor(110, 110, 120));
    p.setBrush(steel);
    p.drawPolygon(
        QPolygonF({QPointF(0, -0.9), QPointF(12, -1.6), QPointF(12, 1.6), QPointF(0, 0.9)}));
    p.setBrush(cylinderShade(QPointF(0, -4), QPointF(0, 4), QColor(150, 150, 160)));
    p.drawRoundedRect(QRectF(12, -4, 22, 8), 2, 2);
    p.setPen(QPen(QColor(60, 60, 70), 0.9));
    for (double x = 15; x < 32; x += 2.5)
        p.drawLine(QPointF(x, -3.6), QPointF(x, 3.6));
    p.setPen(Qt::NoPen);
    p.setBrush(cylinderShade(QPointF(0, -2), QPointF(0, 2), QColor(200, 30, 30)));
    p.drawRect(QRectF(34, -2, 14, 4));
    drawDartFlights(p);
    p.restore();
}

void drawLips(QPainter& p) {
    QPainterPath upper;
    upper.moveTo(3, 21);
    upper.cubicTo(14, 14, 22, 3, 31, 4);
    upper.cubicTo(36, 4, 39, 8, 42, 10);
    upper.cubicTo(45, 8, 48, 4, 53, 4);
    upper.cubicTo(62, 3, 70, 14, 81, 21);
    upper.cubicTo(66, 20, 54, 17, 42, 20);
    upper.cubicTo(30, 17, 18, 20, 3, 21);
    QPainterPath lower;
    lower.moveTo(3, 21);
    lower.cubicTo(18, 22, 30, 21, 42, 23);
    lower.cubicTo(54, 21, 66, 22, 81, 21);
    lower.cubicTo(72, 31, 58, 37, 42, 37);
    lower.cubicTo(26, 37, 12, 31, 3, 21);

    QLinearGradient upperFill(0, 3, 0, 21);
    upperFill.setColorAt(0, QColor(225, 40, 60));
    upperFill.setColorAt(1, QColor(150, 10, 35));
    QRadialGradient lowerFill(QPointF(46, 26), 34, QPointF(40, 25));
    lowerFill.setColorAt(0, QColor(250, 110, 120));
    lowerFill.setColorAt(0.35, QColor(220, 30, 55));
    lowerFill.setColorAt(1, QColor(140, 8, 30));
    p.setPen(QPen(QColor(110, 0, 20), 1.0));
    p.setBrush(upperFill);
    p.drawPath(upper);
    p.setBrush(lowerFill);
    p.drawPath(lower);

    // Lipstick creases, and the shine of the lower lip.
    p.save();
    p.setClipPath(upper.united(lower));
    p.setPen(QPen(QColor(120, 0, 25, 150), 0.8));
    for (int x = 10; x <= 74; x += 5) {
        p.drawLine(QPointF(x, 14), QPointF(x + (x - 42) * 0.05, 19));
        p.drawLine(QPointF(x, 24), QPointF(x + (x - 42) * 0.08, 33));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 220, 200));
    p.drawEllipse(QPointF(36, 28), 6, 2);
    p.drawEllipse(QPointF(26, 10), 3.5, 1.3);
    p.drawEllipse(QPointF(56, 10), 3.5, 1.3);
    p.restore();
    p.setPen(QPen(QColor(80, 0, 15), 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath seam;
    seam.moveTo(5, 21);
    seam.cubicTo(18, 20.5, 30, 19.5, 42, 21.5);
    seam.cubicTo(54, 19.5, 66, 20.5, 79, 21);
    p.drawPath(seam);
}

QPointF polar(QPointF centre, double radius, double angle) {
    return centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
}

void drawCrackLine(QPainter& p, const QPolygonF& line) {
    p.setPen(QPen(QColor(150, 155, 165), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line.translated(0.5, 0.6));
    p.setPen(QPen(QColor(255, 255, 255), 1.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(line);
}

// A crack running out from the hole, nearly straight, with a short branch or two.
void drawCrack(QPainter& p, QPointF centre, double angle, double length, Rng& rng) {
    QPolygonF line;
    double heading = angle;
    for (double r = 9; r < length; r += 5 + rng.unit() * 4) {
        heading = angle + rng.signedUnit() * 0.06;
        line << polar(centre, r, heading);
    }
    line << polar(centre, length, heading);
    drawCrackLine(p, line);
    for (int i = 1; i + 1 < int(line.size()); i += 2 + int(rng.unit() * 2)) {
        if (rng.unit() < 0.5)
            continue;
        const double turn = (rng.unit() < 0.5 ? -1 : 1) * (0.4 + rng.unit() * 0.4);
        const double reach = 4 + rng.unit() * 5;
        drawCrackLine(p, QPolygonF({line[i], line[i] + QPointF(std::cos(angle + turn) * reach,
                                                               std::sin(angle + turn) * reach)}));
    }
}

void drawBulletHole(QPainter& p) {
    const QPointF centre(37, 34);
    Rng rng(0xb011e7);
    const int cracks = 11;
    std::vector<double> angles, lengths;
    for (int i = 0; i < cracks; ++i) {
        angles.push_back(2 * kPi * (i + 0.5 * rng.unit()) / cracks);
        lengths.push_back(20 + rng.unit() * 12);
    }
    // The spider web: short arcs between neighbouring cracks.
    p.setPen(QPen(QColor(235, 240, 245), 1.2));
    for (int i = 0; i < cracks; ++i) {
        const double a0 = angles[i],
                     a1 = angles[(i + 1) % cracks] + (i + 1 == cracks ? 2 * kPi : 0);
        const double r = 15 + rng.unit() * 4;
        p.drawLine(polar(centre, r, a0), polar(centre, r + rng.signedUnit() * 2, a1));
    }
    for (int i = 0; i < cracks; ++i)
        drawCrack(p, centre, angles[i], lengths[i], rng);

    // Crushed glass round the hole, then the hole itself.
    QPolygonF crush;
    for (int i = 0; i < 18; ++i)
        crush << polar(centre, 9.5 + rng.unit() * 2.5, 2 * kPi * i / 18);
    QRadialGradient glass(centre, 12);
    glass.setColorAt(0.6, QColor(150, 155, 165));
    glass.setColorAt(1, QColor(240, 242, 248));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawPolygon(crush);
    QRadialGradient hole(centre + QPointF(1.5, 1.5), 8, centre - QPointF(2, 2));
    hole.setColorAt(0, QColor(55, 55, 60));
    hole.setColorAt(0.7, QColor(10, 10, 12));
    hole.setColorAt(1, QColor(0, 0, 0));
    p.setBrush(hole);
    p.drawEllipse(centre, 7.5, 7.0);
}

void drawSuctionCup(QPainter& p) {
    const QPointF c(40, 40);
    QRadialGradient rubber(c, 38, c - QPointF(10, 12));
    rubber.setColorAt(0, QColor(255, 120, 80));
    rubber.setColorAt(0.55, QColor(225, 50, 25));
    rubber.setColorAt(0.85, QColor(170, 25, 15));
    rubber.setColorAt(1, QColor(120, 15, 10));
    p.setPen(QPen(QColor(90, 10, 5), 1.2));
    p.setBrush(rubber);
    p.drawEllipse(c, 37.5, 37.5);
    // The flattened lip, the ridges of the cup and the stick's end in the middle.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 150, 120, 170), 2.0));
    p.drawEllipse(c, 33, 33);
    p.setPen(QPen(QColor(130, 20, 10, 200), 1.4));
    p.drawEllipse(c, 27, 27);
    p.drawEllipse(c, 19, 19);
    QRadialGradient stick(c, 11, c - QPointF(3, 3));
    stick.setColorAt(0, QColor(255, 230, 150));
    stick.setColorAt(0.7, QColor(220, 160, 60));
    stick.setColorAt(1, QColor(140, 90, 30));
    p.setPen(QPen(QColor(90, 50, 15), 1.2));
    p.setBrush(stick);
    p.drawEllipse(c, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(36.5, 36.5), 3, 2);
    QPainterPath shine;
    shine.arcMoveTo(QRectF(9, 9, 62, 62), 110);
    shine.arcTo(QRectF(9, 9, 62, 62), 110, 60);
    p.setPen(QPen(QColor(255, 220, 200, 200), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(shine);
}

} // namespace

QImage dartMark() {
    return onMask(paintTransparent({79, 46}, drawDart));
}
QImage lipsMark() {
    return onMask(paintTransparent({84, 40}, drawLips));
}
QImage bulletHoleMark() {
    return onMask(paintTransparent({74, 68}, drawBulletHole));
}
QImage suctionCupMark() {
    return onMask(paintTransparent({80, 80}, drawSuctionCup));
}

QList<QImage> imageList1() {
    QImage blank(100, 100, QImage::Format_RGB32);
    blank.fill(kMaskBlue);
    return {dartMark(),           lipsMark(), bulletHoleMark(), suctionCupMark(), shotgunLauncher(),
            suctionCupLauncher(), blank,      handLauncher(),   dartLauncher()};
}

} // namespace res
