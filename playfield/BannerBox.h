#pragma once

#include <QFrame>
#include <QImage>

#include <functional>

// The banner picture: a sunken box showing the frame last drawn into it, until the window
// system repaints the box, which blanks it.
class BannerBox final : public QFrame {
  public:
    explicit BannerBox(QWidget* parent);

    // The inside of the box, drawn into at its top-left corner.
    QImage& surface();
    // The window system repainted this part of the box: what was drawn there is gone.
    void windowRepainted(const QRegion& region);

    // A click: the left or right button pressed and released over the box.
    std::function<void()> onClick;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QImage m_surface;
    Qt::MouseButton m_pressed = Qt::NoButton;
};
