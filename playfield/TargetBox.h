#pragma once

#include "components/Units.h"
#include "playfield/EventArgs.h"

#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QWidget>

#include <functional>

// A frame with its caption, painted flat in its own back colour with an etched line round it:
// the style's group-box frame shades its inside.
class FlatFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

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

    // The largest side a window may have, in pixels.
    static constexpr int kMaxSide = 32767;

  private:
    void apply();

    units::ScreenMetrics m_metrics;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
};

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

// Tells when the window system repaints part of a window. Qt may put an uncovered part back
// from its own copy of the window without any paint event, so the window's exposes tell.
class WindowRepaints final : public QObject {
  public:
    WindowRepaints(QWidget* window, std::function<void(const QRegion&)> onRepainted);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* m_window;
    std::function<void(const QRegion&)> m_onRepainted;
};
