#pragma once

#include "playfield/DesktopSource.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

// One request to the desktop portal's Screenshot interface. It listens for its answer on the
// request path it predicts before it calls, so an answer sent at once is not missed, and waits
// with the event loop running. `done` runs once: with the picture file's path, or with none on a
// refusal, an error, or no answer in time.
class PortalScreenshotRequest final : public QObject {
    Q_OBJECT
  public:
    using Done = std::function<void(std::optional<QString> path)>;

    PortalScreenshotRequest(QDBusConnection bus, const QString& parentWindow, int timeoutMs,
                            Done done);
    ~PortalScreenshotRequest() override;

    // Gives up the request: the portal is told, and `done` never runs.
    void cancel();
    QString requestPath() const { return m_path; }

  private slots:
    void Response(uint response, const QVariantMap& results);

  private:
    void listenOn(const QString& path);
    void stopListening();
    void closeRequest();
    void finish(std::optional<QString> path);

    QDBusConnection m_bus;
    QString m_path;
    QTimer m_timeout;
    Done m_done;
};

// The desktop through org.freedesktop.portal.Screenshot, for Wayland sessions. The portal's
// picture covers every output; the chosen monitor is cut out of it. The file the portal wrote is
// deleted once read: it is a copy made for this request, and some desktops save it among the
// player's pictures.
class PortalDesktopSource final : public DesktopSource {
  public:
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr const char* kAppId = "org.example.Deskwreck";

    explicit PortalDesktopSource(QDBusConnection bus, int timeoutMs = timeoutFromEnvironment());
    ~PortalDesktopSource() override;

    // Registers the game's id where the portal offers it, and, unless the permission to take
    // pictures silently is stored already, asks once naming the focused window as parent, so
    // the desktop can put its question to the player. That picture is dropped.
    void prepare(const QString& focusedWindow) override;
    void capture(QScreen* screen, std::function<void()> ready) override;
    QImage grab() override { return std::exchange(m_picture, {}); }

    // "x11:<XID>" for an X11 window; empty where the window system gives no handle for another
    // process (a Wayland client would need xdg-foreign, which Qt does not offer).
    static QString parentWindowHandle(const QWidget* window);
    // The wait for an answer, DESKWRECK_PORTAL_TIMEOUT_MS when set (for tests), else 60 s.
    static int timeoutFromEnvironment();

  private:
    void lookUpPermission(const QString& appId, const QString& focusedWindow);
    void askOnBehalfOf(const QString& focusedWindow);

    QDBusConnection m_bus;
    int m_timeoutMs;
    QObject m_context; // ends the replies' handlers with the source
    std::unique_ptr<PortalScreenshotRequest> m_question;
    std::unique_ptr<PortalScreenshotRequest> m_request;
    bool m_capturing = false;
    QImage m_picture;
};

// Reads the picture a portal wrote through the picture loader's guards, then deletes the file.
std::optional<QImage> takePortalPicture(const QString& path);
