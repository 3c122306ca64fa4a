#pragma once

#include "components/Units.h"

class QScreen;
class QWidget;

// "The screen" of the game is one monitor: the one the player is using when the game starts. The
// dialogs are centred on it, the play field covers it and freezes its desktop, and its size and
// twips per pixel are the game's. Other monitors are left as they are.
namespace gamescreen {

// The monitor chosen; the primary one until a choice is made.
QScreen* screen();
void choose(QScreen* screen);

// The monitor under the pointer, where a new window appears. Without a global pointer position
// (Wayland) the primary one, until the login dialog tells which output it went to.
QScreen* underPointer();

units::ScreenMetrics metrics();

// Places a top-level window in the middle of the game's monitor, as Qt centres a dialog, frame
// included; a compositor that places windows itself (Wayland) keeps only the monitor.
void centre(QWidget* window);

} // namespace gamescreen
