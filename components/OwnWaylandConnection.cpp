#include "components/OwnWaylandConnection.h"

#include <wayland-client.h>

#include <cstring>

bool waylandRoundTrip() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_display_disconnect(display);
    return answered;
}

std::optional<bool> waylandCompositorOffers(const char* interface) {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return std::nullopt;
    struct Search {
        const char* interface;
        bool offered = false;
    } search{interface};
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, uint32_t, const char* name, uint32_t) {
            auto* search = static_cast<Search*>(data);
            search->offered = search->offered || std::strcmp(name, search->interface) == 0;
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &search);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered ? std::optional(search.offered) : std::nullopt;
}
