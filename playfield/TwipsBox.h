#pragma once

#include "components/Units.h"

#include <QWidget>

// A control placed in twips. Positions are kept in single precision, as the game sets them;
// the widget takes the nearest whole pixels.
class TwipsBox : public QWidget {
  public:
    TwipsBox(QWidget* parent, const units::ScreenMetrics& metrics);

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);
    void setTwipsGeometry(float left, float top, float width, float height);

    const units::ScreenMetrics& metrics() const { return m_metrics; }

  private:
    void apply();

    units::ScreenMetrics m_metrics;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
};
