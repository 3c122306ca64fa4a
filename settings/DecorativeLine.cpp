#include "settings/DecorativeLine.h"

#include "settings/SettingsRules.h"

#include <QPainter>

DecorativeLine::DecorativeLine(const units::ScreenMetrics& metrics, QPoint fromTwips,
                               QPoint toTwips, QColor colour, int width, QWidget* parent)
    : QWidget(parent), m_fromTwips(fromTwips), m_toTwips(toTwips), m_colour(colour),
      m_width(width) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QPoint from = settingsrules::twipPoint(metrics, fromTwips.x(), fromTwips.y());
    const QPoint to = settingsrules::twipPoint(metrics, toTwips.x(), toTwips.y());
    // The pen is centred on the line, so the widget reaches half a width past it on every side.
    const int margin = width / 2 + 1;
    const QRect bounds = QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin);
    setGeometry(bounds);
    m_from = from - bounds.topLeft();
    m_to = to - bounds.topLeft();
}

void DecorativeLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(m_colour, m_width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(m_from, m_to);
}
