#include "components/WaylandRoundTrip.h"

#include <wayland-client.h>

bool waylandRoundTrip() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_display_disconnect(display);
    return answered;
}
