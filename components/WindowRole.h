#pragma once

#include <QIcon>

class QDialog;
class QWidget;

// How the game's own top-level windows present themselves to the window manager. They are
// ordinary windows, which every manager gives the focus when they appear (mutter and KWin do not
// activate tool windows), kept out of the task bar and the pager the way EWMH says.
namespace windowrole {

// The game's icon at every size it is drawn in, for the windows' title bars and task switchers.
QIcon gameIcon();

// A fixed dialog: a title bar with a close box, no minimize or maximize box.
Qt::WindowFlags fixedDialog();

// Marks the window _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER under X11 (XWayland
// included). Call it before the window is first shown: a manager reads the state when it maps
// the window. Elsewhere it does nothing.
void keepOutOfTaskbar(QWidget* window);

// Asks the window manager to close the window without an animation
// (_KDE_NET_WM_SKIP_CLOSE_ANIMATION, which KWin honours) under X11, XWayland included.
void closeWithoutAnimation(QWidget* window);

// Presents a fixed dialog: out of the task bar, and with a title bar of its own where the toolkit
// would draw one with minimize and maximize boxes. Call it once its controls are in place.
void frameFixedDialog(QDialog* dialog);

} // namespace windowrole
