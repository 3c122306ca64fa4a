#include "playfield/TwipsBox.h"

#include <algorithm>

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
