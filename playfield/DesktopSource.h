#pragma once

#include <QImage>

#include <functional>
#include <utility>

class QScreen;

// The picture of the desktop the play field freezes. It is captured once, while no window of the
// game is on the screen, and may arrive later (a desktop portal answers when it will); the play
// field is loaded only once it is in hand.
class DesktopSource {
  public:
    virtual ~DesktopSource() = default;

    // Called while the login dialog has the focus, the one moment a desktop may ask the player
    // whether the game may take pictures of the screen.
    virtual void prepare(const QString& focusedWindow) { (void)focusedWindow; }
    // Takes the picture of one monitor, in its own device pixels; `ready` runs once it is in hand,
    // or once it is clear there will be none.
    virtual void capture(QScreen* screen, std::function<void()> ready) = 0;
    // Hands over the picture captured: a null image when none could be taken. The game's own
    // sources keep no reference to it, so that the play field's backing can become the picture
    // itself instead of a second screen-sized copy.
    virtual QImage grab() = 0;
};

// The X11 desktop's own pixels, grabbed from the root window.
class X11DesktopSource final : public DesktopSource {
  public:
    void capture(QScreen* screen, std::function<void()> ready) override;
    QImage grab() override { return std::exchange(m_picture, {}); }

  private:
    QImage m_picture;
};

// Whether the game runs in a Wayland session, as a Wayland client or through XWayland: there
// the X root window holds no picture of the desktop.
bool isWaylandSession();
