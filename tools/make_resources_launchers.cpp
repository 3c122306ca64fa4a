// The launchers of the gun strip. The strip paints them squashed to 79 x 46, so every shape is
// bold and fills the picture's width and height.

#include "make_resources.h"

#include <QPainterPath>
#include <QRadialGradient>

namespace res {

namespace {

QLinearGradient across(double x0, double x1, QColor base) {
    return cylinderShade(QPointF(x0, 0), QPointF(x1, 0), base);
}

void drawShotgun(QPainter& p) {
    // Twin barrels, muzzles up, over a checkered wooden fore-end.
    const QColor steel(95, 100, 112);
    p.setPen(QPen(QColor(20, 22, 28), 1.5));
    for (double x0 : {20.0, 50.0}) {
        p.setBrush(across(x0, x0 + 30, steel));
        p.drawRoundedRect(QRectF(x0, 3, 30, 97), 4, 4);
        p.setBrush(QColor(12, 12, 14));
        p.drawEllipse(QRectF(x0 + 5, 5, 20, 9));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(225, 230, 240, 200));
    p.drawRect(QRectF(48.5, 16, 3, 42));
    p.setBrush(QColor(230, 190, 80));
    p.drawEllipse(QPointF(50, 5), 3.5, 3.5);

    QPainterPath wood;
    wood.addRoundedRect(QRectF(13, 58, 74, 42), 8, 8);
    p.setPen(QPen(QColor(60, 30, 10), 1.5));
    p.setBrush(across(13, 87, QColor(165, 95, 40)));
    p.drawPath(wood);
    p.save();
    p.setClipPath(wood);
    p.setPen(QPen(QColor(90, 50, 20, 160), 1.0));
    for (double d = -40; d < 90; d += 6) {
        p.drawLine(QPointF(25 + d, 66), QPointF(45 + d, 94));
        p.drawLine(QPointF(45 + d, 66), QPointF(25 + d, 94));
    }
    p.restore();
    p.setPen(QPen(QColor(40, 20, 5), 2.0));
    p.drawLine(QPointF(16, 62), QPointF(84, 62));
}

void drawSuctionLauncher(QPainter& p) {
    // A dark rubber cup, opening up, on a banded yellow tube.
    const QColor yellow(245, 200, 20);
    p.setPen(QPen(QColor(110, 80, 0), 1.5));
    p.setBrush(across(30, 70, yellow));
    p.drawRoundedRect(QRectF(30, 40, 40, 60), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(across(28, 72, yellow.darker(135)));
    for (double y : {62.0, 82.0})
        p.drawRect(QRectF(28, y, 44, 7));

    QPainterPath cup;
    cup.moveTo(36, 50);
    cup.cubicTo(30, 34, 8, 22, 4, 12);
    cup.lineTo(96, 12);
    cup.cubicTo(92, 22, 70, 34, 64, 50);
    cup.closeSubpath();
    p.setPen(QPen(QColor(10, 5, 5), 1.5));
    p.setBrush(across(4, 96, QColor(95, 35, 40)));
    p.drawPath(cup);
    QRadialGradient inside(QPointF(50, 12), 46);
    inside.setColorAt(0, QColor(20, 8, 10));
    inside.setColorAt(1, QColor(70, 25, 30));
    p.setPen(QPen(QColor(170, 90, 95), 2.0));
    p.setBrush(inside);
    p.drawEllipse(QRectF(4, 3, 92, 18));
}

void drawHand(QPainter& p) {
    // An open hand, palm up and towards the viewer, in the lower half: fingers fanned upwards,
    // thumb out to the left.
    const QColor skin(240, 190, 150), outline(140, 85, 55);
    p.setPen(QPen(outline, 1.4));
    p.setBrush(across(3, 45, skin));
    p.drawPath(capsule(QPointF(34, 88), QPointF(10, 68), 16, 11));
    const double fingerX[] = {38, 52, 66, 79};
    const double fingerTop[] = {55, 51, 53, 60};
    for (int i = 0; i < 4; ++i) {
        const QPointF base(fingerX[i] - (i - 1.5) * 1.5, 84);
        p.setBrush(across(fingerX[i] - 7, fingerX[i] + 7, skin));
        p.drawPath(capsule(base, QPointF(fingerX[i] + (i - 1.5) * 2.5, fingerTop[i] + 4), 13, 11));
    }
    QRadialGradient palm(QPointF(58, 86), 30, QPointF(52, 82));
    palm.setColorAt(0, QColor(250, 215, 185));
    palm.setColorAt(0.7, skin);
    palm.setColorAt(1, skin.darker(125));
    p.setBrush(palm);
    p.drawRoundedRect(QRectF(26, 74, 64, 25), 12, 12);
    p.setPen(QPen(QColor(185, 115, 85), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath lines;
    lines.moveTo(34, 82);
    lines.cubicTo(50, 86, 66, 82, 84, 80);
    lines.moveTo(38, 90);
    lines.cubicTo(52, 94, 68, 92, 80, 88);
    p.drawPath(lines);
    p.setPen(QPen(QColor(255, 235, 220, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(fingerX[i] - 3, fingerTop[i] + 7), QPointF(fingerX[i] - 3.5, 68));
}

void drawDartLauncher(QPainter& p) {
    // A slim chrome tube on a ribbed grip, a steel needle poking out of the muzzle.
    QPainterPath needle;
    needle.moveTo(50, 1);
    needle.lineTo(54, 30);
    needle.lineTo(46, 30);
    needle.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 70), 1.0));
    p.setBrush(across(46, 54, QColor(200, 200, 210)));
    p.drawPath(needle);
    p.setBrush(across(37, 63, QColor(175, 180, 192)));
    p.setPen(QPen(QColor(40, 42, 50), 1.5));
    p.drawRect(QRectF(38, 32, 24, 68));
    p.setBrush(across(33, 67, QColor(200, 40, 35)));
    p.drawRoundedRect(QRectF(33, 26, 34, 9), 3, 3);
    p.drawRoundedRect(QRectF(33, 50, 34, 7), 3, 3);
    p.setBrush(across(30, 70, QColor(55, 55, 60)));
    p.drawRoundedRect(QRectF(30, 66, 40, 34), 6, 6);
    p.setPen(QPen(QColor(20, 20, 24), 1.6));
    for (double y = 71; y < 98; y += 5)
        p.drawLine(QPointF(32, y), QPointF(68, y));
}

} // namespace

QImage shotgunLauncher() {
    return onMask(paintTransparent({100, 100}, drawShotgun));
}
QImage suctionCupLauncher() {
    return onMask(paintTransparent({100, 100}, drawSuctionLauncher));
}
QImage handLauncher() {
    return onMask(paintTransparent({100, 100}, drawHand));
}
QImage dartLauncher() {
    return onMask(paintTransparent({100, 100}, drawDartLauncher));
}

} // namespace res
