// The default target: a bald man in a beige shirt and blue trousers walking towards the viewer,
// lit from the upper left. The caption covers the bottom rows, so the whole figure stays above.

#include "make_resources.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace res {

namespace {

const QColor kSkin(232, 182, 148), kShirt(226, 204, 160), kTrousers(52, 74, 150);
const QColor kShoe(70, 42, 26), kLine(60, 40, 30);

QLinearGradient acrossX(double x0, double x1, QColor base) {
    return cylinderShade(QPointF(x0, 0), QPointF(x1, 0), base);
}

void drawShadowAndLegs(QPainter& p) {
    QRadialGradient shadow(QPointF(106, 241), 62);
    shadow.setColorAt(0, QColor(40, 40, 170));
    shadow.setColorAt(1, QColor(78, 78, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(106, 241), 62, 6);

    // The back leg is the smaller and higher one; the front leg comes towards the viewer.
    p.setPen(QPen(kTrousers.darker(200), 1.2));
    p.setBrush(acrossX(72, 104, kTrousers.darker(115)));
    p.drawPath(capsule(QPointF(89, 160), QPointF(87, 226), 30, 21));
    p.setBrush(acrossX(108, 144, kTrousers));
    p.drawPath(capsule(QPointF(123, 160), QPointF(128, 230), 32, 25));
    p.setBrush(acrossX(74, 138, kTrousers));
    p.drawRoundedRect(QRectF(75, 148, 62, 24), 6, 6);
    p.setPen(QPen(kTrousers.darker(170), 1.0));
    p.drawLine(QPointF(106, 156), QPointF(106, 176));
    p.drawLine(QPointF(124, 184), QPointF(127, 222));

    QRadialGradient backShoe(QPointF(82, 229), 16);
    backShoe.setColorAt(0, kShoe.lighter(160));
    backShoe.setColorAt(1, kShoe.darker(150));
    p.setPen(QPen(kShoe.darker(200), 1.0));
    p.setBrush(backShoe);
    p.drawEllipse(QPointF(87, 232), 14, 6);
    QRadialGradient frontShoe(QPointF(124, 234), 18);
    frontShoe.setColorAt(0, kShoe.lighter(170));
    frontShoe.setColorAt(1, kShoe.darker(150));
    p.setBrush(frontShoe);
    p.drawEllipse(QPointF(129, 238), 16, 8);
}

void drawArm(QPainter& p, QPointF shoulder, QPointF elbow, QPointF hand, double scale) {
    p.setPen(QPen(kSkin.darker(170), 1.0));
    p.setBrush(acrossX(hand.x() - 9 * scale, hand.x() + 9 * scale, kSkin));
    p.drawPath(capsule(elbow, hand, 15 * scale, 12 * scale));
    QRadialGradient palm(hand + QPointF(-2, -2), 10 * scale);
    palm.setColorAt(0, kSkin.lighter(115));
    palm.setColorAt(1, kSkin.darker(130));
    p.setBrush(palm);
    p.drawEllipse(hand + QPointF(0, 4 * scale), 7.5 * scale, 9.5 * scale);
    p.setPen(QPen(kShirt.darker(190), 1.2));
    p.setBrush(acrossX(elbow.x() - 14, elbow.x() + 14, kShirt));
    p.drawPath(capsule(shoulder, elbow, 26 * scale, 21 * scale));
}

void drawShirt(QPainter& p) {
    drawArm(p, QPointF(73, 84), QPointF(62, 116), QPointF(58, 150), 1.0);
    drawArm(p, QPointF(139, 84), QPointF(149, 114), QPointF(149, 143), 0.92);
    QPainterPath torso;
    torso.moveTo(95, 66);
    torso.lineTo(117, 66);
    torso.cubicTo(130, 68, 142, 72, 145, 86);
    torso.cubicTo(143, 110, 137, 130, 135, 152);
    torso.lineTo(77, 152);
    torso.cubicTo(75, 130, 69, 110, 67, 86);
    torso.cubicTo(70, 72, 82, 68, 95, 66);
    p.setPen(QPen(kShirt.darker(190), 1.2));
    p.setBrush(acrossX(62, 150, kShirt));
    p.drawPath(torso);

    // Placket and buttons, a pocket, folds and the collar.
    p.setPen(QPen(kShirt.darker(150), 1.0));
    p.drawLine(QPointF(108, 78), QPointF(107, 150));
    p.setBrush(QColor(245, 238, 220));
    for (double y = 88; y < 150; y += 14)
        p.drawEllipse(QPointF(105, y), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(77, 92, 18, 17), 2, 2);
    p.drawLine(QPointF(77, 96), QPointF(95, 96));
    p.setPen(QPen(kShirt.darker(135), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(82, 128), QPointF(92, 142));
    p.drawLine(QPointF(128, 120), QPointF(122, 140));
    for (int side : {-1, 1}) {
        QPolygonF collar(
            {QPointF(106, 80), QPointF(106 + side * 16, 66), QPointF(106 + side * 20, 76)});
        p.setPen(QPen(kShirt.darker(180), 1.0));
        p.setBrush(side < 0 ? kShirt.lighter(112) : kShirt.darker(105));
        p.drawPolygon(collar);
    }
    QLinearGradient belt(0, 148, 0, 156);
    belt.setColorAt(0, QColor(120, 70, 40));
    belt.setColorAt(1, QColor(60, 32, 18));
    p.setPen(QPen(QColor(40, 22, 12), 1.0));
    p.setBrush(belt);
    p.drawRect(QRectF(76, 148, 60, 8));
    p.setBrush(QColor(215, 185, 90));
    p.drawRect(QRectF(101, 147.5, 10, 9));
}

void drawFace(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(acrossX(96, 116, kSkin.darker(110)));
    p.drawRect(QRectF(97, 52, 18, 20));
    QRadialGradient head(QPointF(99, 26), 34, QPointF(96, 20));
    head.setColorAt(0, kSkin.lighter(118));
    head.setColorAt(0.6, kSkin);
    head.setColorAt(1, kSkin.darker(145));
    p.setPen(QPen(kSkin.darker(180), 1.0));
    p.setBrush(head);
    for (double x : {86.0, 126.0})
        p.drawEllipse(QPointF(x, 38), 4.5, 7);
    p.drawEllipse(QPointF(106, 36), 19, 24);
    // A fringe of grey hair over the ears, and the shine of the bald crown.
    p.setPen(QPen(QColor(120, 110, 100), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(88, 20, 30, 30), 150 * 16, 50 * 16);
    p.drawArc(QRectF(94, 20, 30, 30), -20 * 16, 50 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 235, 170));
    p.drawEllipse(QPointF(99, 20), 7, 4);

    for (double x : {98.0, 114.0}) {
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, 37), 3.8, 2.4);
        p.setBrush(QColor(70, 45, 30));
        p.drawEllipse(QPointF(x, 37.2), 1.9, 1.9);
        p.setPen(QPen(QColor(110, 80, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x - 4.5, 31.5), QPointF(x + 4, 31));
        p.setPen(Qt::NoPen);
    }
    p.setPen(QPen(kSkin.darker(160), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(106, 38), QPointF(108.5, 46));
    p.drawLine(QPointF(103, 47), QPointF(108.5, 47));
    p.setPen(QPen(QColor(150, 70, 60), 1.6, Qt::SolidLine, Qt::RoundCap));
    QPainterPath smile;
    smile.moveTo(98, 51);
    smile.quadTo(106, 55.5, 114, 51);
    p.setBrush(Qt::NoBrush);
    p.drawPath(smile);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 120, 110, 60));
    p.drawEllipse(QPointF(95, 46), 4, 3);
    p.drawEllipse(QPointF(117, 46), 4, 3);
}

} // namespace

QImage targetFigure() {
    return paintOn({213, 268}, kTargetBackground, [](QPainter& p) {
        drawShadowAndLegs(p);
        drawShirt(p);
        drawFace(p);
    });
}

} // namespace res
