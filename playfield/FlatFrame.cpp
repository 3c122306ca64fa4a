#include "playfield/FlatFrame.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

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
