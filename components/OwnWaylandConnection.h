#pragma once

#include <optional>

// Questions for the session's Wayland compositor, each on a connection of the game's own that
// lives for the one round trip: they work the same whether Qt runs the game as a Wayland client
// or through XWayland, and touch nothing of Qt's connection.

// Whether the compositor has handled what the game's connections (Qt's, and XWayland's for the
// game's X11 windows) sent before the call: it reads the new connection's request after what
// came to it first. False where no compositor answers.
bool waylandRoundTrip();

// Whether the compositor offers the global interface of that name; none where none answers.
std::optional<bool> waylandCompositorOffers(const char* interface);
