// Watches a part of the X screen and tells each new look of it as soon as it comes:
//   region_watch WxH+X+Y SECONDS
// prints "<time> <MD5 of the part's pixels as 8-bit RGB> <1 if they are all one colour, else 0>"
// for the first look and for every change after it, for SECONDS; the time is in seconds since
// 1970, as `date +%s.%N` gives it. It looks every few milliseconds, far more often than a
// screenshot tool can on a busy machine, so a picture that stands for a tenth of a second is seen.
#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace {

struct Region {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

std::optional<Region> parseGeometry(const char* text) {
    Region region;
    char rest = 0;
    if (std::sscanf(text, "%dx%d+%d+%d%c", &region.width, &region.height, &region.x, &region.y,
                    &rest) != 4 ||
        region.width <= 0 || region.height <= 0)
        return std::nullopt;
    return region;
}

// The pixels of a 24-bit screen come four bytes each, blue first; ImageMagick's "rgb:" output,
// which the tests checksum the same way, has three, red first.
QByteArray rgbChecksum(const uint8_t* pixels, int length) {
    QByteArray rgb;
    rgb.reserve(length / 4 * 3);
    for (int i = 0; i + 3 < length; i += 4) {
        rgb.append(char(pixels[i + 2]));
        rgb.append(char(pixels[i + 1]));
        rgb.append(char(pixels[i]));
    }
    return QCryptographicHash::hash(rgb, QCryptographicHash::Md5).toHex();
}

bool oneColour(const uint8_t* pixels, int length) {
    for (int i = 4; i + 3 < length; i += 4) {
        if (pixels[i] != pixels[0] || pixels[i + 1] != pixels[1] || pixels[i + 2] != pixels[2])
            return false;
    }
    return true;
}

double secondsSince1970() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

xcb_window_t rootWindow(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    return screens.data->root;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::optional<Region> region = argc == 3 ? parseGeometry(argv[1]) : std::nullopt;
    const double seconds = argc == 3 ? std::atof(argv[2]) : 0.0;
    if (!region || seconds <= 0) {
        std::fprintf(stderr, "usage: region_watch WxH+X+Y SECONDS\n");
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "region_watch: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = rootWindow(connection, screenNumber);
    const int expectedLength = region->width * region->height * 4;
    QElapsedTimer clock;
    clock.start();
    QByteArray last;
    while (clock.elapsed() < qint64(seconds * 1000)) {
        const double at = secondsSince1970();
        const xcb_get_image_cookie_t cookie = xcb_get_image(
            connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(region->x), int16_t(region->y),
            uint16_t(region->width), uint16_t(region->height), ~0u);
        const std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(connection, cookie, nullptr), &std::free);
        if (!image || xcb_get_image_data_length(image.get()) != expectedLength) {
            std::fprintf(stderr, "region_watch: cannot read that part of a 24-bit screen\n");
            return 1;
        }
        const uint8_t* pixels = xcb_get_image_data(image.get());
        const QByteArray sum = rgbChecksum(pixels, expectedLength);
        if (sum != last) {
            std::printf("%.3f %s %d\n", at, sum.constData(), oneColour(pixels, expectedLength));
            std::fflush(stdout);
            last = sum;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    xcb_disconnect(connection);
    return 0;
}
