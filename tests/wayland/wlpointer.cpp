// A virtual pointer for the end-to-end tests under sway: a compositor without input devices has
// no pointer, and its own cursor commands reach no client. Reads one command a line from stdin,
// in the output layout's logical pixels, and answers "ok" once the compositor has handled it:
//   move X Y     press N     release N     click N     (N: 1 left, 2 middle, 3 right)
// Usage: wlpointer LAYOUT_WIDTH LAYOUT_HEIGHT
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void announce(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void withdraw(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {announce, withdraw};

uint32_t milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint32_t(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

// X's button numbers to the kernel's codes, which Wayland carries.
uint32_t buttonCode(int number) {
    switch (number) {
    case 2:
        return 0x112; // BTN_MIDDLE
    case 3:
        return 0x111; // BTN_RIGHT
    default:
        return 0x110; // BTN_LEFT
    }
}

void button(zwlr_virtual_pointer_v1* pointer, int number, bool press) {
    zwlr_virtual_pointer_v1_button(pointer, milliseconds(), buttonCode(number),
                                   press ? WL_POINTER_BUTTON_STATE_PRESSED
                                         : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
}

bool run(zwlr_virtual_pointer_v1* pointer, const std::string& line, uint32_t width,
         uint32_t height) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
        uint32_t x = 0, y = 0;
        if (!(words >> x >> y))
            return false;
        zwlr_virtual_pointer_v1_motion_absolute(pointer, milliseconds(), x, y, width, height);
        zwlr_virtual_pointer_v1_frame(pointer);
        return true;
    }
    int number = 0;
    if (!(words >> number))
        return false;
    if (command == "press" || command == "click")
        button(pointer, number, true);
    if (command == "release" || command == "click")
        button(pointer, number, false);
    return command == "press" || command == "release" || command == "click";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wlpointer LAYOUT_WIDTH LAYOUT_HEIGHT\n");
        return 2;
    }
    const auto width = uint32_t(std::strtoul(argv[1], nullptr, 10));
    const auto height = uint32_t(std::strtoul(argv[2], nullptr, 10));
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wlpointer: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager) {
        std::fprintf(stderr, "wlpointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    auto* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        if (line.empty())
            continue;
        const bool understood = run(pointer, line, width, height);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::cout << (understood ? "ok" : "?") << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    wl_display_disconnect(display);
    return 0;
}
