#pragma once

#include "components/Units.h"

#include <QColor>
#include <QPoint>
#include <QWidget>

// A line drawn on a form between two points given in twips, with a colour and a width in
// pixels. It takes no focus and lets the mouse through.
class DecorativeLine : public QWidget {
  public:
    DecorativeLine(const units::ScreenMetrics& metrics, QPoint fromTwips, QPoint toTwips,
                   QColor colour, int width, QWidget* parent);

    QPoint fromTwips() const { return m_fromTwips; }
    QPoint toTwips() const { return m_toTwips; }
    QColor colour() const { return m_colour; }
    int lineWidth() const { return m_width; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPoint m_fromTwips;
    QPoint m_toTwips;
    QColor m_colour;
    int m_width;
    QPoint m_from; // end points in the widget's own pixels
    QPoint m_to;
};
