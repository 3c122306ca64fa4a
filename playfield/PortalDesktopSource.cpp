#include "playfield/PortalDesktopSource.h"

#include "components/DBusCalls.h"
#include "components/OwnWaylandConnection.h"
#include "components/PictureLoader.h"
#include "components/X11Connection.h"
#include "playfield/OutputCut.h"
#include "playfield/PortalAppId.h"

#include <QAbstractEventDispatcher>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kPermissionStore = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString kPermissionStorePath = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
const QString kBackendPrefix = QStringLiteral("org.freedesktop.impl.portal.desktop.");

// The portal names a request after its caller's unique bus name and the caller's token.
QString predictedRequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString nextToken() {
    static int count = 0;
    return QStringLiteral("deskwreck%1").arg(++count);
}

using dbus::whenAnswered;

// Whether the X11 window manager still manages one of the game's windows; not where it keeps
// no list.
bool windowManagerListsOwnWindow() {
    const std::vector<xcb_window_t> managed = x11ManagedWindows();
    const QList<QWindow*> own = QGuiApplication::allWindows();
    return std::any_of(own.begin(), own.end(), [&managed](const QWindow* window) {
        return window->handle() && std::find(managed.begin(), managed.end(),
                                             xcb_window_t(window->winId())) != managed.end();
    });
}

} // namespace

PortalScreenshotRequest::PortalScreenshotRequest(QDBusConnection bus, const QString& parentWindow,
                                                 int timeoutMs, Done done)
    : m_bus(std::move(bus)), m_done(std::move(done)) {
    const QString token = nextToken();
    listenOn(predictedRequestPath(m_bus, token));
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        closeRequest();
        finish(std::nullopt);
    });
    if (timeoutMs > 0)
        m_timeout.start(timeoutMs);

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kDesktopPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("interactive"), false},
                              {QStringLiteral("modal"), false}};
    call << parentWindow << options;
    whenAnswered(m_bus, call, this, [this](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            stopListening();
            finish(std::nullopt);
            return;
        }
        // Portals before version 0.9 name a request path of their own: listen there instead.
        const QString path = qvariant_cast<QDBusObjectPath>(reply.arguments().at(0)).path();
        if (!path.isEmpty() && path != m_path && m_listening) {
            stopListening();
            listenOn(path);
        }
    });
}

PortalScreenshotRequest::~PortalScreenshotRequest() {
    stopListening();
}

void PortalScreenshotRequest::listenOn(const QString& path) {
    m_path = path;
    m_listening = m_bus.connect(kService, m_path, kRequestInterface, QStringLiteral("Response"),
                                this, SLOT(Response(uint, QVariantMap)));
}

void PortalScreenshotRequest::stopListening() {
    if (!m_listening)
        return;
    m_listening = false;
    m_bus.disconnect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(Response(uint, QVariantMap)));
}

void PortalScreenshotRequest::closeRequest() {
    m_bus.call(QDBusMessage::createMethodCall(kService, m_path, kRequestInterface,
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
}

void PortalScreenshotRequest::Response(uint response, const QVariantMap& results) {
    // A request is answered once.
    stopListening();
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    const std::optional<QString> path =
        uri.isLocalFile() ? std::optional(uri.toLocalFile()) : std::nullopt;
    if (!m_done) {
        if (path)
            deletePortalFile(*path);
        return;
    }
    finish(response == 0 ? path : std::nullopt);
    if (response != 0 && path)
        deletePortalFile(*path);
}

void PortalScreenshotRequest::finish(std::optional<QString> path) {
    if (!m_done)
        return;
    m_timeout.stop();
    // Cleared first: `done` may end the source that owns this request.
    Done done = std::move(m_done);
    m_done = nullptr;
    done(std::move(path));
}

void deletePortalFile(const QString& path) {
    const QFileInfo file(path);
    if (file.isFile() || file.isSymLink())
        QFile::remove(path);
}

std::optional<QByteArray> takePortalFile(const QString& path) {
    std::optional<QByteArray> bytes = readPictureFile(path);
    deletePortalFile(path);
    return bytes;
}

PortalDesktopSource::PortalDesktopSource(QDBusConnection bus, int timeoutMs)
    : m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {
    m_pictureWait.setSingleShot(true);
    QObject::connect(&m_pictureWait, &QTimer::timeout, &m_context, [this] { requestPicture(); });
    closeanimation::askDesktopAnimations(
        m_bus, &m_context,
        [this](const closeanimation::DesktopAnimations& desktop) { m_animations = desktop; });
}

PortalDesktopSource::~PortalDesktopSource() = default;

int PortalDesktopSource::timeoutFromEnvironment() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("DESKWRECK_PORTAL_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultTimeoutMs;
}

QString PortalDesktopSource::parentWindowHandle(const QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    return QStringLiteral("x11:%1").arg(window.winId(), 0, 16);
}

void PortalDesktopSource::prepare(const QWidget& focused) {
    prepare(parentWindowHandle(focused));
}

void PortalDesktopSource::whenHiddenWindowGone(std::function<void()> gone) {
    QElapsedTimer waiting;
    waiting.start();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        emit QAbstractEventDispatcher::instance()->awake(); // Qt sends what it holds on waking
        afterCompositorLetGo(false, waiting, std::move(gone));
        return;
    }
    QGuiApplication::sync(); // XWayland has taken the window away and told the compositor
    afterWindowManagerLetGo(waiting, [this, waiting, gone = std::move(gone)]() mutable {
        afterCompositorLetGo(true, waiting, std::move(gone));
    });
}

// The compositor draws an X11 window for as long as its window manager, which reads the X
// server's news on a connection of its own, manages it: a round trip to the compositor does not
// wait for that. Its list of managed windows tells, where it keeps one.
void PortalDesktopSource::afterWindowManagerLetGo(QElapsedTimer waiting,
                                                  std::function<void()> then) {
    if (!windowManagerListsOwnWindow() || waiting.elapsed() >= closeanimation::kUnknownMs) {
        then();
        return;
    }
    QTimer::singleShot(kListLookMs, &m_context, [this, waiting, then = std::move(then)]() mutable {
        afterWindowManagerLetGo(waiting, std::move(then));
    });
}

void PortalDesktopSource::afterCompositorLetGo(bool x11, QElapsedTimer waiting,
                                               std::function<void()> then) {
    const int waitMs = waylandRoundTrip() && m_animations
                           ? closeanimation::closeAnimationMs(*m_animations, x11) +
                                 closeanimation::busyCompositorMs(waiting.elapsed())
                           : closeanimation::kUnknownMs;
    QTimer::singleShot(waitMs, &m_context, std::move(then));
}

void PortalDesktopSource::getReady() {
    if (m_checks != Checks::NotStarted)
        return;
    m_checks = Checks::Running;
    // The game's id is registered before any other call of the portal; older portals refuse
    // the call and take the id from the systemd unit the game runs in.
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kDesktopPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    call << QString::fromLatin1(kAppId) << QVariantMap();
    whenAnswered(m_bus, call, &m_context, [this](const QDBusMessage& reply) {
        const QString appId = reply.type() == QDBusMessage::ReplyMessage
                                  ? QString::fromLatin1(kAppId)
                                  : ownPortalAppId();
        askBackendsWhetherTheyAsk([this, appId](bool asks) {
            if (asks)
                lookUpPermission(appId);
            else
                checksDone(false);
        });
    });
}

void PortalDesktopSource::prepare(const QString& focusedWindow) {
    m_preparing = true;
    m_focusedWindow = focusedWindow;
    if (m_checks == Checks::Done)
        askIfNeeded();
    else
        getReady();
}

void PortalDesktopSource::checksDone(bool questionNeeded) {
    m_checks = Checks::Done;
    m_questionNeeded = questionNeeded;
    if (m_focusedWindow)
        askIfNeeded();
}

void PortalDesktopSource::askIfNeeded() {
    if (m_questionNeeded)
        askOnBehalfOf(*m_focusedWindow);
    else
        questionSettled();
}

// The portal consults its permission store and puts a question only where its back end's
// Screenshot is version 2 or later (GNOME's); the others (Plasma's, wlroots') take the picture
// at once. The portal started its back ends before it answered the game's first call, so the
// running ones are asked. A back end without the version reads as 0, as the portal reads it.
void PortalDesktopSource::askBackendsWhetherTheyAsk(std::function<void(bool)> then) {
    const QDBusMessage list = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    whenAnswered(m_bus, list, &m_context, [this, then](const QDBusMessage& reply) {
        QStringList backends;
        for (const QString& name : reply.arguments().value(0).toStringList())
            if (name.startsWith(kBackendPrefix))
                backends << name;
        if (backends.isEmpty()) {
            then(false);
            return;
        }
        struct Tally {
            qsizetype unanswered;
            bool asks = false;
        };
        auto tally = std::make_shared<Tally>(Tally{backends.size()});
        for (const QString& backend : backends) {
            const QDBusMessage get = dbus::propertyGet(
                backend, kDesktopPath, QStringLiteral("org.freedesktop.impl.portal.Screenshot"),
                QStringLiteral("version"));
            whenAnswered(m_bus, get, &m_context, [tally, then](const QDBusMessage& version) {
                tally->asks = tally->asks || dbus::propertyValue(version).toUInt() >= 2;
                if (--tally->unanswered == 0)
                    then(tally->asks);
            });
        }
    });
}

void PortalDesktopSource::lookUpPermission(const QString& appId) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPermissionStore, kPermissionStorePath,
                                                       kPermissionStore, QStringLiteral("Lookup"));
    call << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    whenAnswered(m_bus, call, &m_context, [this, appId](const QDBusMessage& reply) {
        QMap<QString, QStringList> permissions;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            qvariant_cast<QDBusArgument>(reply.arguments().at(0)) >> permissions;
        // A stored "no" is a refusal the portal gives at once, without a question.
        const QStringList stored = permissions.value(appId);
        checksDone(!stored.contains(QStringLiteral("yes")) &&
                   !stored.contains(QStringLiteral("no")));
    });
}

void PortalDesktopSource::askOnBehalfOf(const QString& focusedWindow) {
    // Once the picture is asked for, a question would be a second dialog.
    if (m_pictureAsked) {
        questionSettled();
        return;
    }
    m_questionOpen = true;
    // No time limit, no Close: a closed request may still come back with a picture that could
    // then not be deleted, and the question stays on the screen whatever the game does.
    m_requests.push_back(std::make_unique<PortalScreenshotRequest>(
        m_bus, focusedWindow, 0, [this](std::optional<QString> path) {
            if (path)
                deletePortalFile(*path);
            m_questionOpen = false;
            m_questionDone.start();
            questionSettled();
        }));
}

void PortalDesktopSource::questionSettled() {
    m_preparing = false;
    if (!m_ready || m_pictureAsked)
        return;
    const qint64 left = m_questionDone.isValid() ? kQuestionSettleMs - m_questionDone.elapsed() : 0;
    m_pictureWait.start(int(std::max<qint64>(left, 0)));
}

void PortalDesktopSource::capture(QScreen* screen, std::function<void()> ready) {
    m_picture = {}; // an earlier picture is let go, once decoded
    m_screen = screen;
    m_ready = std::move(ready);
    // The first-run checks and the question are waited for within the time limit, after which
    // the picture is asked for all the same.
    if (m_preparing || m_questionOpen)
        m_pictureWait.start(m_timeoutMs);
    else
        questionSettled();
}

void PortalDesktopSource::requestPicture() {
    if (m_pictureAsked)
        return;
    m_pictureAsked = true;
    std::vector<QRect> outputs;
    for (const QScreen* output : QGuiApplication::screens())
        outputs.push_back(output->geometry());
    const QRect chosen = m_screen ? m_screen->geometry() : QRect();
    const double scale = m_screen ? m_screen->devicePixelRatio() : 1.0;
    m_requests.push_back(std::make_unique<PortalScreenshotRequest>(
        m_bus, QString(), m_timeoutMs, [this, outputs, chosen, scale](std::optional<QString> path) {
            std::optional<QByteArray> file = path ? takePortalFile(*path) : std::nullopt;
            // Where no thread can be had, the decoding waits for the grab (deferred).
            if (file)
                m_picture = std::async(
                    std::launch::async | std::launch::deferred,
                    [outputs, chosen, scale, bytes = std::move(*file)] {
                        const std::optional<QImage> picture = decodePicture(bytes);
                        return picture ? cutOutOutput(*picture, outputs, chosen, scale) : QImage();
                    });
            std::exchange(m_ready, {})();
        }));
}

QImage PortalDesktopSource::grab() {
    return m_picture.valid() ? m_picture.get() : QImage();
}
