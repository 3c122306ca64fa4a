#include "playfield/PortalDesktopSource.h"

#include "components/PictureLoader.h"
#include "playfield/OutputCut.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kPermissionStore = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString kPermissionStorePath = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");

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

// Runs `then` with the reply once the call is answered, on the event loop.
void whenAnswered(QDBusConnection& bus, const QDBusMessage& call, QObject* context,
                  std::function<void(const QDBusMessage&)> then) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, then = std::move(then)] {
                         watcher->deleteLater();
                         then(watcher->reply());
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
            finish(std::nullopt);
            return;
        }
        // Portals before version 0.9 name a request path of their own: listen there instead.
        const QString path = qvariant_cast<QDBusObjectPath>(reply.arguments().at(0)).path();
        if (!path.isEmpty() && path != m_path && m_done) {
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
    m_bus.connect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(Response(uint, QVariantMap)));
}

void PortalScreenshotRequest::stopListening() {
    m_bus.disconnect(kService, m_path, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(Response(uint, QVariantMap)));
}

void PortalScreenshotRequest::cancel() {
    if (!m_done)
        return;
    m_done = nullptr;
    m_timeout.stop();
    stopListening();
    closeRequest();
}

void PortalScreenshotRequest::closeRequest() {
    m_bus.call(QDBusMessage::createMethodCall(kService, m_path, kRequestInterface,
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
}

void PortalScreenshotRequest::Response(uint response, const QVariantMap& results) {
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (response == 0 && uri.isLocalFile())
        finish(uri.toLocalFile());
    else
        finish(std::nullopt);
}

void PortalScreenshotRequest::finish(std::optional<QString> path) {
    if (!m_done)
        return;
    m_timeout.stop();
    stopListening();
    // Cleared first: `done` may delete this request.
    Done done = std::move(m_done);
    m_done = nullptr;
    done(std::move(path));
}

std::optional<QImage> takePortalPicture(const QString& path) {
    std::optional<QImage> picture = loadPicture(path);
    const QFileInfo file(path);
    if (file.isFile() || file.isSymLink())
        QFile::remove(path);
    return picture;
}

PortalDesktopSource::PortalDesktopSource(QDBusConnection bus, int timeoutMs)
    : m_bus(std::move(bus)), m_timeoutMs(timeoutMs) {}

PortalDesktopSource::~PortalDesktopSource() = default;

int PortalDesktopSource::timeoutFromEnvironment() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("DESKWRECK_PORTAL_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kDefaultTimeoutMs;
}

QString PortalDesktopSource::parentWindowHandle(const QWidget* window) {
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    return QStringLiteral("x11:%1").arg(window->winId(), 0, 16);
}

void PortalDesktopSource::prepare(const QString& focusedWindow) {
    // The game's id is registered before any other call of the portal; older portals refuse
    // the call and take the id from how the game was started.
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kDesktopPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    call << QString::fromLatin1(kAppId) << QVariantMap();
    whenAnswered(m_bus, call, &m_context, [this, focusedWindow](const QDBusMessage& reply) {
        const bool registered = reply.type() == QDBusMessage::ReplyMessage;
        lookUpPermission(registered ? QString::fromLatin1(kAppId) : QString(), focusedWindow);
    });
}

void PortalDesktopSource::lookUpPermission(const QString& appId, const QString& focusedWindow) {
    QDBusMessage call = QDBusMessage::createMethodCall(kPermissionStore, kPermissionStorePath,
                                                       kPermissionStore, QStringLiteral("Lookup"));
    call << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    whenAnswered(m_bus, call, &m_context, [this, appId, focusedWindow](const QDBusMessage& reply) {
        QMap<QString, QStringList> permissions;
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            qvariant_cast<QDBusArgument>(reply.arguments().at(0)) >> permissions;
        if (!permissions.value(appId).contains(QStringLiteral("yes")))
            askOnBehalfOf(focusedWindow);
    });
}

void PortalDesktopSource::askOnBehalfOf(const QString& focusedWindow) {
    if (m_capturing)
        return;
    m_question = std::make_unique<PortalScreenshotRequest>(m_bus, focusedWindow, m_timeoutMs,
                                                           [this](std::optional<QString> path) {
                                                               if (path)
                                                                   takePortalPicture(*path);
                                                               m_question.release()->deleteLater();
                                                           });
}

void PortalDesktopSource::capture(QScreen* screen, std::function<void()> ready) {
    m_capturing = true;
    m_picture = {};
    // A question still unanswered when the login is gone was never put to the player.
    if (m_question) {
        m_question->cancel();
        m_question.release()->deleteLater();
    }
    std::vector<QRect> outputs;
    for (const QScreen* output : QGuiApplication::screens())
        outputs.push_back(output->geometry());
    const QRect chosen = screen ? screen->geometry() : QRect();
    const double scale = screen ? screen->devicePixelRatio() : 1.0;
    m_request = std::make_unique<PortalScreenshotRequest>(
        m_bus, QString(), m_timeoutMs,
        [this, outputs, chosen, scale, ready = std::move(ready)](std::optional<QString> path) {
            if (path)
                if (const auto picture = takePortalPicture(*path))
                    m_picture = cutOutOutput(*picture, outputs, chosen, scale);
            m_request.release()->deleteLater();
            ready();
        });
}
