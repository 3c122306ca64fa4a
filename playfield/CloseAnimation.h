#pragma once

#include <QDBusConnection>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;

// How long a desktop goes on showing a window the game has closed: GNOME Shell and KWin fade and
// shrink it out, and their screenshots are of the scene as it is drawn, the fading window
// included. The desktop picture is asked for once the animation is over.
namespace closeanimation {

// What the desktops say of their animations, asked while the login shows.
struct DesktopAnimations {
    // org.gnome.Shell.Introspect's AnimationsEnabled: off under software rendering, while a
    // remote desktop asks for it, and when the player turned animations off.
    std::optional<bool> gnomeAnimates;
    // org.kde.KWin's active effects; KWin has at most one open-and-close animation loaded.
    std::optional<QStringList> kwinEffects;
    // kdeglobals' AnimationDurationFactor: every KWin animation's length is multiplied by it.
    double kwinDurationFactor = 1.0;
    // kwinrc's Duration for the scale effect, where the player set one.
    std::optional<int> kwinScaleDurationMs;
};

// GNOME Shell 43 fades a closed normal window out in 150 ms.
inline constexpr int kGnomeCloseMs = 150;
// GNOME Shell with animations off still draws a window for a while after it has let it go and a
// round trip has come back: in its scale test a picture taken then held the login through
// XWayland (even once the window manager had let it go) in 5 of 16 runs, idle and loaded, and
// as a Wayland client at scale 2 in 2 of about 10; 100 ms later, in none of 7 through XWayland,
// nor of 10 beside two busy processes. 50 ms was enough on an idle machine (none in 120 starts
// and 16 scale runs) but not on a busy one: the login was in 1 of 8 such scale runs. Mutter gives
// a client no word of its drawing: a frame callback on a surface with no role never comes.
inline constexpr int kGnomeGoneMs = 100;
// KWin 5.27's effects: scale (on by default) 200 ms, fade four times its 150 ms, glide 160 ms.
inline constexpr int kKwinScaleCloseMs = 200;
inline constexpr int kKwinFadeCloseMs = 600;
inline constexpr int kKwinGlideCloseMs = 160;
// After the animation's last step, the frame that no longer shows the window.
inline constexpr int kFrameMs = 17;
// The longest wait, whatever a desktop's settings say: KWin's slowest speed makes its fade last
// seconds, and the game would seem to hang.
inline constexpr int kLongestMs = 1000;
// What is waited where the compositor could not be reached or the desktop has not answered yet.
inline constexpr int kUnknownMs = 200;

// Milliseconds from the moment the compositor has taken the window away to its first frame
// without it. An X11 window (through XWayland) is asked to be closed without an animation,
// which KWin honours; GNOME Shell animates X11 windows as its own.
int closeAnimationMs(const DesktopAnimations& desktop, bool x11Window);

// Milliseconds more, once the compositor has confirmed that the window is gone, after it took
// `confirmedAfterMs` to do so: a busy compositor can take a while longer to draw its screen
// without the window, and how long the confirmation took tells how busy it is. On an idle
// desktop it is a few milliseconds.
int busyCompositorMs(qint64 confirmedAfterMs);

// Asks GNOME Shell and KWin on the session bus; `then` runs once both have answered or failed.
void askDesktopAnimations(QDBusConnection bus, QObject* context,
                          std::function<void(const DesktopAnimations&)> then);

} // namespace closeanimation
