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
    m_width = std::min(twips, float(units::kMaxWindowSide * m_metrics.twipsPerPixelX()));
    apply();
}

void TwipsBox::setHeight(float twips) {
    m_height = std::min(twips, float(units::kMaxWindowSide * m_metrics.twipsPerPixelY()));
    apply();
}

void TwipsBox::setTwipsGeometry(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    setWidth(width);
    setHeight(height);
}

void TwipsBox::apply() {
    setGeometry(units::toPixels(m_metrics, m_left, m_top, m_width, m_height));
}
