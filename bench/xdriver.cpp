// Drives the whole game under Xvfb and prints "name value" lines for the benchmark table:
// start-up times, resident memory, idle CPU, a flood of moves and clicks, sound latency.
#include "xdriver.h"

#include <xcb/xtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <numeric>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

double monotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void sleepUntil(double monotonic) {
    timespec until{};
    until.tv_sec = time_t(monotonic);
    until.tv_nsec = long((monotonic - double(until.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

long residentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The fields after the command name, which may hold spaces, start after its ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stol(field);
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

XDriver::XDriver() {
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X server\n");
        std::exit(2);
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    roundTrip();
}

XDriver::~XDriver() {
    xcb_disconnect(connection);
}

void XDriver::move(int x, int y) {
    xcb_test_fake_input(connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                        int16_t(x), int16_t(y), 0);
    xcb_flush(connection);
}

void XDriver::button(int number, bool press) {
    xcb_test_fake_input(connection, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, uint8_t(number),
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection);
}

void XDriver::click(int x, int y, int number) {
    move(x, y);
    button(number, true);
    button(number, false);
}

void XDriver::roundTrip() {
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

std::uint8_t XDriver::keycodeFor(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, uint8_t(count)),
        nullptr);
    std::uint8_t found = 0;
    if (map) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int i = 0; i < count * map->keysyms_per_keycode && !found; ++i)
            if (syms[i] == keysym)
                found = std::uint8_t(setup->min_keycode + i / map->keysyms_per_keycode);
        free(map);
    }
    return found;
}

void XDriver::sendKey(xcb_window_t window, std::uint32_t keysym) {
    const std::uint8_t code = keycodeFor(keysym);
    for (uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)}) {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = code;
        event.time = XCB_CURRENT_TIME;
        event.root = screen->root;
        event.event = window;
        event.child = XCB_NONE;
        event.event_x = event.event_y = event.root_x = event.root_y = 1;
        event.same_screen = 1;
        xcb_send_event(connection, 0, window,
                       type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS
                                             : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}

std::string XDriver::windowName(xcb_window_t window) {
    auto cookie = xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME,
                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    auto* reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::string name;
    if (reply) {
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    size_t(xcb_get_property_value_length(reply)));
        free(reply);
    }
    return name;
}

xcb_window_t XDriver::waitMapped(const std::string& name, double timeoutSeconds) {
    const double deadline = monotonicSeconds() + timeoutSeconds;
    while (monotonicSeconds() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            usleep(100);
            continue;
        }
        xcb_window_t mapped = XCB_NONE;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
            mapped = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
        free(event);
        if (mapped != XCB_NONE && windowName(mapped) == name)
            return mapped;
    }
    return XCB_NONE;
}

xcb_get_image_cookie_t XDriver::requestPixels(int x, int y, int width, int height) {
    return xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(x),
                         int16_t(y), uint16_t(width), uint16_t(height), ~0u);
}

std::string XDriver::collectPixels(xcb_get_image_cookie_t cookie) {
    auto* reply = xcb_get_image_reply(connection, cookie, nullptr);
    std::string pixels;
    if (reply) {
        pixels.assign(reinterpret_cast<const char*>(xcb_get_image_data(reply)),
                      size_t(xcb_get_image_data_length(reply)));
        free(reply);
    }
    return pixels;
}

namespace {

struct Options {
    std::string game;
    std::string wave;
    std::string restartServer;
    int idleSeconds = 30;
    int floodSeconds = 0;
    bool sound = false;
    bool short_ = false;
};

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

pid_t launch(const std::string& game) {
    const pid_t pid = fork();
    if (pid == 0) {
        execl(game.c_str(), game.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Start to login mapped, OK to start screen mapped, Start to the play field mapped.
bool startUp(XDriver& x, const Options& options, pid_t& game) {
    const double launched = monotonicSeconds();
    game = launch(options.game);
    const xcb_window_t login = x.waitMapped("Login", 10);
    if (!login)
        return false;
    print("login_mapped_ms", (monotonicSeconds() - launched) * 1e3);
    const double ok = monotonicSeconds();
    x.sendKey(login, 0xff0d); // Return
    const xcb_window_t start = x.waitMapped("Deskwreck!", 10);
    if (!start)
        return false;
    print("start_mapped_ms", (monotonicSeconds() - ok) * 1e3);
    usleep(300000);
    const double started = monotonicSeconds();
    x.sendKey(start, 0xff0d);
    if (!x.waitMapped("Form1", 10))
        return false;
    print("field_mapped_ms", (monotonicSeconds() - started) * 1e3);
    return true;
}

void memoryAndIdle(pid_t game, const Options& options) {
    sleep(2);
    print("rss_field_mb", double(residentKib(game)) * 1024.0 / 1e6);
    const double cpuBefore = cpuSeconds(game);
    const double wallBefore = monotonicSeconds();
    sleep(unsigned(options.idleSeconds));
    const double cpu = cpuSeconds(game) - cpuBefore;
    print("idle_cpu_percent", 100.0 * cpu / (monotonicSeconds() - wallBefore));
}

} // namespace

void flood(XDriver& x, pid_t game, int seconds);

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--game")
            options.game = value;
        else if (key == "--idle")
            options.idleSeconds = std::atoi(value.c_str());
        else if (key == "--flood")
            options.floodSeconds = std::atoi(value.c_str());
        else if (key == "--sound")
            options.wave = value;
        else if (key == "--restart-server")
            options.restartServer = value;
        else if (key == "--short")
            options.short_ = value == "1";
    }
    XDriver x;
    pid_t game = 0;
    if (!startUp(x, options, game)) {
        std::fprintf(stderr, "the game's windows did not come up\n");
        if (game > 0)
            kill(game, SIGKILL);
        return 1;
    }
    memoryAndIdle(game, options);
    if (!options.wave.empty())
        soundLatency(x, options.wave, x.screen->width_in_pixels / 2, x.screen->height_in_pixels / 2,
                     options.short_);
    if (!options.restartServer.empty())
        soundAfterServerRestart(x, options.restartServer, x.screen->width_in_pixels / 2,
                                x.screen->height_in_pixels / 2);
    if (options.floodSeconds > 0)
        flood(x, game, options.floodSeconds);
    x.click(x.screen->width_in_pixels / 2, x.screen->height_in_pixels / 2, 3);
    for (int i = 0; i < 50 && waitpid(game, nullptr, WNOHANG) == 0; ++i)
        usleep(100000);
    if (waitpid(game, nullptr, WNOHANG) == 0) {
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
    }
    return 0;
}
