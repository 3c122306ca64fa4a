#pragma once

#include <QImage>

#include <functional>
#include <utility>

class QScreen;
class QWidget;

// The picture of the desktop the play field freezes. It is captured once, while no window of the
// game is on the screen, and may arrive later (a desktop portal answers when it will); the play
// field is loaded only once it is in hand.
class DesktopSource {
  public:
    virtual ~DesktopSource() = default;

    // Called as the login shows, once the game's scope is settled: what the source may learn
    // of the desktop before the player logs in.
    virtual void getReady() {}
    // Called while `focused`, the login dialog, has the focus: the one moment a desktop may ask
    // the player whether the game may take pictures of the screen.
    virtual void prepare(const QWidget& focused) { (void)focused; }
    // Runs `gone` once the window system shows no longer the window the game has just hidden:
    // as soon as that is known, within a bounded wait where it cannot be. Never before it returns:
    // this one runs `gone` on the event loop's next pass.
    virtual void whenHiddenWindowGone(std::function<void()> gone);
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
    // Without a compositor, 60 ms for the windows beneath to repaint; with one, 200 ms for it to
    // draw the screen without the window. No X11 client can learn when either is done.
    static constexpr int kRepaintMs = 60;
    static constexpr int kCompositorMs = 200;

    void whenHiddenWindowGone(std::function<void()> gone) override;
    void capture(QScreen* screen, std::function<void()> ready) override;
    QImage grab() override { return std::exchange(m_picture, {}); }

  private:
    QImage m_picture;
};

// Whether the game runs in a Wayland session, as a Wayland client or through XWayland: there
// the X root window holds no picture of the desktop.
bool isWaylandSession();
