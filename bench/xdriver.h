#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <sys/types.h>

// A small X client that drives the game as a user would, through the XTEST extension, and
// watches the X server for its windows.
struct XDriver {
    XDriver();
    ~XDriver();

    xcb_connection_t* connection = nullptr;
    xcb_screen_t* screen = nullptr;

    // Fake input, as if from the real devices; each is sent at once.
    void move(int x, int y);
    void button(int number, bool press);
    void click(int x, int y, int number = 1);
    // A key sent straight to a window, as xdotool's --window does.
    void sendKey(xcb_window_t window, std::uint32_t keysym);
    // Returns once the server has handled every request sent so far.
    void roundTrip();
    // Waits until a window with this name is mapped; 0 after the timeout.
    xcb_window_t waitMapped(const std::string& name, double timeoutSeconds);
    std::string windowName(xcb_window_t window);
    // Asks for a rectangle of the screen; the reply is collected later.
    xcb_get_image_cookie_t requestPixels(int x, int y, int width, int height);
    std::string collectPixels(xcb_get_image_cookie_t cookie);

  private:
    std::uint8_t keycodeFor(std::uint32_t keysym);
};

double monotonicSeconds();
void sleepUntil(double monotonic);
long residentKib(pid_t pid);
// User plus system CPU time of a process, in seconds.
double cpuSeconds(pid_t pid);

// Records the null sink's monitor while clicking; prints its figures as "name value" lines.
void soundLatency(XDriver& x, const std::string& wavePath, int clickX, int clickY, bool short_);

// Runs the command, which stops the sound server and starts it again, waits a quiet moment and
// times one click's sound: the game has to find its lost device and open it again.
void soundAfterServerRestart(XDriver& x, const std::string& restartCommand, int clickX, int clickY);
