// The desktop portal's bare round trip, for comparing the game's start with:
//   portal_round_trip COUNT
// asks org.freedesktop.portal.Screenshot for a picture COUNT times, one after the other, and
// prints the milliseconds from each call to its answer, one a line; the pictures are deleted
// unread. Exits 1 when a request gets no picture.
#include "playfield/PortalDesktopSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc == 2 ? std::atoi(argv[1]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: portal_round_trip COUNT\n");
        return 2;
    }
    int left = count;
    std::unique_ptr<PortalScreenshotRequest> request;
    QElapsedTimer clock;
    std::function<void()> ask = [&] {
        clock.start();
        request = std::make_unique<PortalScreenshotRequest>(
            QDBusConnection::sessionBus(), QString(), 30000, [&](std::optional<QString> path) {
                std::printf("%.1f\n", clock.nsecsElapsed() / 1e6);
                std::fflush(stdout);
                if (!path) {
                    app.exit(1);
                    return;
                }
                deletePortalFile(*path);
                if (--left == 0)
                    app.exit(0);
                else
                    QMetaObject::invokeMethod(&app, ask, Qt::QueuedConnection);
            });
    };
    ask();
    return app.exec();
}
