#pragma once

#include "playfield/EventArgs.h"
#include "playfield/TwipsBox.h"

#include <QImage>

#include <cstdint>
#include <functional>

// The target: a picture painted unscaled at its corner, and marks drawn over it that last only
// until the box is refreshed or the window system repaints it.
class TargetBox final : public TwipsBox {
  public:
    TargetBox(QWidget* parent, const units::ScreenMetrics& metrics, QSize screenSize);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The surface that marks are drawn onto.
    QImage& marks();
    // Repaints from the picture, wiping the marks.
    void Refresh();
    // The window system repainted this part of the box: the marks there are gone.
    void windowRepainted(const QRegion& region);

    std::function<void(const MouseArgs&)> onMouseDown;
    std::function<void(const MouseArgs&)> onMouseMove;
    std::function<void(std::int16_t&)> onKeyPress;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QImage m_picture;
    QImage m_marks;
    QSize m_screenSize;
};
