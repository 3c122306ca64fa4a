#pragma once

// Whether the session's Wayland compositor has handled what the game's connections (Qt's, and
// XWayland's for the game's X11 windows) sent before the call: a round trip on a connection of
// its own, which the compositor reads after what came to it first. False where none answers.
bool waylandRoundTrip();
