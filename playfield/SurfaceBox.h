#pragma once

#include "playfield/TwipsBox.h"

#include <QImage>

// A picture box with persistent drawing: what is drawn into its backing image stays.
class SurfaceBox final : public TwipsBox {
  public:
    using TwipsBox::TwipsBox;

    QImage& backing() { return m_backing; }
    // Matches the backing image to the box's size; what fits is kept.
    void resizeBacking(qreal devicePixelRatio);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_backing;
};
