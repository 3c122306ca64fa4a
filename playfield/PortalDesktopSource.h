#pragma once

#include "playfield/CloseAnimation.h"
#include "playfield/DesktopSource.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <future>
#include <memory>
#include <optional>
#include <vector>

// One request to the desktop portal's Screenshot interface. It listens for its answer on the
// request path it predicts before it calls, so an answer sent at once is not missed, and waits
// with the event loop running. `done` runs once: with the picture file's path, or with none on a
// refusal, an error, or no answer within the time limit, when the request is closed. It goes on
// listening until the portal answers, however late: a picture that comes after `done` ran is
// deleted unread, so that nothing the game asked for stays among the player's files.
class PortalScreenshotRequest final : public QObject {
    Q_OBJECT
  public:
    using Done = std::function<void(std::optional<QString> path)>;

    // With a `timeoutMs` of 0 there is no time limit: the request waits for its answer.
    PortalScreenshotRequest(QDBusConnection bus, const QString& parentWindow, int timeoutMs,
                            Done done);
    ~PortalScreenshotRequest() override;

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
    bool m_listening = false;
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
    // After the desktop's question is answered, how long its dialog and the dimming around it
    // may take to leave the screen: GNOME fades both out in 100 ms, and a software-rendered
    // session can take a few frames more to draw the result.
    static constexpr int kQuestionSettleMs = 500;
    static constexpr const char* kAppId = "org.example.Deskwreck";
    // How often the window manager's list is looked at while it still holds the hidden window.
    static constexpr int kListLookMs = 4;

    explicit PortalDesktopSource(QDBusConnection bus, int timeoutMs = timeoutFromEnvironment());
    ~PortalDesktopSource() override;

    // Registers the game's id where the portal offers it, and learns whether the desktop asks
    // the player before a first picture: where a back end of the portal has a Screenshot of
    // version 2 or later (as GNOME's) and the permission store holds no answer yet.
    // Where it does, `prepare` asks once naming the focused window as parent, so the desktop
    // can put its question to the player. That picture is deleted unread.
    void getReady() override;
    void prepare(const QWidget& focused) override;
    // The same with the parent named as the portal names windows: "x11:<XID>", or empty.
    void prepare(const QString& parentWindow);
    // Once the compositor has handled the window's going (a round trip), played its closing
    // animation, as long as the desktop said it lasts, and drawn a frame without it; through
    // XWayland, first once the window manager has let the window go.
    void whenHiddenWindowGone(std::function<void()> gone) override;
    // Waits, within the time limit, until the question is settled and its dialog has left the
    // screen, then asks for the picture: never two requests of the portal at once. `ready` runs
    // once the portal has answered and its file is read and deleted; the pixels are decoded on
    // a thread of their own meanwhile, as the caller goes on with what needs no picture.
    void capture(QScreen* screen, std::function<void()> ready) override;
    // Waits for the decoding if it still runs.
    QImage grab() override;

    // The wait for an answer, DESKWRECK_PORTAL_TIMEOUT_MS when set (for tests), else 60 s.
    static int timeoutFromEnvironment();

  private:
    // "x11:<XID>" for an X11 window; empty where the window system gives no handle for another
    // process (a Wayland client would need xdg-foreign, which Qt does not offer).
    static QString parentWindowHandle(const QWidget& window);
    void askBackendsWhetherTheyAsk(std::function<void(bool)> then);
    void lookUpPermission(const QString& appId);
    void checksDone(bool questionNeeded);
    void askIfNeeded();
    void askOnBehalfOf(const QString& focusedWindow);
    void questionSettled();
    void requestPicture();
    void afterWindowManagerLetGo(QElapsedTimer waiting, std::function<void()> then);
    void afterCompositorLetGo(bool x11, QElapsedTimer waiting, std::function<void()> then);

    QDBusConnection m_bus;
    int m_timeoutMs;
    QObject m_context; // ends the replies' handlers with the source
    // Every request made, each listening for its answer for as long as the game runs.
    std::vector<std::unique_ptr<PortalScreenshotRequest>> m_requests;
    enum class Checks { NotStarted, Running, Done };
    Checks m_checks = Checks::NotStarted;
    bool m_questionNeeded = false;
    std::optional<QString> m_focusedWindow; // once the login has the focus
    bool m_preparing = false;     // the login has the focus, and its question is not settled
    bool m_questionOpen = false;  // the question's request has had no answer
    QElapsedTimer m_questionDone; // since the question was answered
    QTimer m_pictureWait;         // until the picture is asked for
    bool m_pictureAsked = false;
    QPointer<QScreen> m_screen;
    std::function<void()> m_ready; // set while a capture waits or runs
    std::future<QImage> m_picture; // the chosen output, decoded and cut out
    std::optional<closeanimation::DesktopAnimations> m_animations; // once the desktop answered
};

// Reads the picture file a portal wrote through the picture loader's guards, then deletes it.
std::optional<QByteArray> takePortalFile(const QString& path);
// Deletes a file a portal wrote without reading it.
void deletePortalFile(const QString& path);
