#include "support/FakePortal.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kStorePath = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");

const char* kConfig = R"(<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

PrivateBus::PrivateBus() {
    const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QString::fromLatin1(kConfig).arg(m_folder.path()).toUtf8());
    file.close();
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
    if (!m_daemon.waitForStarted(5000))
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

QDBusConnection PrivateBus::connect(const QString& name) const {
    return QDBusConnection::connectToBus(m_address, name);
}

FakePortal::FakePortal(const PrivateBus& bus, QImage picture)
    : FakePortal(bus.connect(QStringLiteral("fake-portal")), std::move(picture)) {
    m_ownsConnection = true;
}

FakePortal::FakePortal(QDBusConnection bus, QImage picture)
    : m_bus(std::move(bus)), m_picture(std::move(picture)) {
    qDBusRegisterMetaType<QMap<QString, QStringList>>();
    m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    m_bus.registerService(QStringLiteral("org.freedesktop.impl.portal.PermissionStore"));
    m_bus.registerService(QString::fromLatin1(kBackend));
    m_bus.registerVirtualObject(QStringLiteral("/org/freedesktop"), this, QDBusConnection::SubPath);
}

FakePortal::~FakePortal() {
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop"));
    m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    m_bus.unregisterService(QStringLiteral("org.freedesktop.impl.portal.PermissionStore"));
    m_bus.unregisterService(QString::fromLatin1(kBackend));
    if (m_ownsConnection)
        QDBusConnection::disconnectFromBus(m_bus.name());
}

QString FakePortal::introspect(const QString&) const {
    return {};
}

bool FakePortal::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    const QString member = message.member();
    if (member == QLatin1String("Register")) {
        record(QStringLiteral("Register ") + message.arguments().value(0).toString());
        m_bus.send(offersRegistry ? message.createReply()
                                  : message.createErrorReply(QDBusError::UnknownMethod, {}));
    } else if (member == QLatin1String("Lookup") && message.path() == kStorePath) {
        lookUp(message);
    } else if (member == QLatin1String("Get") && message.path() == kDesktopPath) {
        version(message);
    } else if (member == QLatin1String("Screenshot") && message.path() == kDesktopPath) {
        screenshot(message);
    } else if (member == QLatin1String("Close")) {
        record(QStringLiteral("Close"));
        m_bus.send(message.createReply());
    } else {
        return false;
    }
    return true;
}

void FakePortal::lookUp(const QDBusMessage& message) {
    record(QStringLiteral("Lookup"));
    if (permission.isEmpty()) {
        m_bus.send(
            message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), {}));
        return;
    }
    const QMap<QString, QStringList> permissions{
        {QStringLiteral("org.example.Deskwreck"), {permission}}};
    m_bus.send(message.createReply(
        {QVariant::fromValue(permissions), QVariant::fromValue(QDBusVariant(0))}));
}

void FakePortal::version(const QDBusMessage& message) {
    const QStringList asked{message.arguments().value(0).toString(),
                            message.arguments().value(1).toString()};
    if (!backendVersion ||
        asked != QStringList{QStringLiteral("org.freedesktop.impl.portal.Screenshot"),
                             QStringLiteral("version")}) {
        m_bus.send(message.createErrorReply(QDBusError::InvalidArgs, {}));
        return;
    }
    m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(*backendVersion))));
}

void FakePortal::screenshot(const QDBusMessage& message) {
    const QString parent = message.arguments().value(0).toString();
    record(QStringLiteral("Screenshot ") + parent);
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(1));
    QString sender = message.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                             .arg(sender, options.value(QStringLiteral("handle_token")).toString());
    if (options.value(QStringLiteral("interactive")).toBool())
        record(QStringLiteral("interactive"));
    Answer answer = this->answer;
    if (answer == Answer::OnlyWithParent && backendVersion.value_or(0) < 2) {
        answer = Answer::Picture;
    } else if (answer == Answer::OnlyWithParent) {
        const bool asks = permission.isEmpty() && !parent.isEmpty() && m_question.isEmpty();
        if (asks && !holdsQuestion)
            permission = QStringLiteral("yes");
        if (asks && holdsQuestion)
            m_question = path;
        answer = permission == QLatin1String("yes")  ? Answer::Picture
                 : permission == QLatin1String("no") ? Answer::Refused
                                                     : Answer::Nothing;
    }
    if (answerDelayMs > 0)
        QTimer::singleShot(answerDelayMs, this,
                           [this, path, answer] { answerPicture(path, answer); });
    else
        answerPicture(path, answer);
    m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
}

void FakePortal::answerQuestion(bool allow) {
    permission = allow ? QStringLiteral("yes") : QStringLiteral("no");
    answerPicture(std::exchange(m_question, {}), allow ? Answer::Picture : Answer::Refused);
}

void FakePortal::answerPicture(const QString& requestPath, Answer answer) {
    switch (answer) {
    case Answer::Picture:
        respond(requestPath, 0, writeFile(true));
        break;
    case Answer::NotAPicture:
        respond(requestPath, 0, writeFile(false));
        break;
    case Answer::Cancelled:
        respond(requestPath, 1, {});
        break;
    case Answer::Refused:
        respond(requestPath, 2, {});
        break;
    case Answer::Nothing:
    case Answer::OnlyWithParent:
        break;
    }
}

void FakePortal::record(const QString& call) {
    calls << call;
    if (!echo)
        return;
    std::printf("%s\n", qPrintable(call));
    std::fflush(stdout);
}

void FakePortal::respond(const QString& requestPath, uint response, const QString& file) {
    QDBusMessage signal = QDBusMessage::createSignal(
        requestPath, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    QVariantMap results;
    if (!file.isEmpty())
        results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(file).toString());
    signal << response << results;
    m_bus.send(signal);
}

QString FakePortal::writeFile(bool picture) {
    const QString path = m_folder.filePath(QStringLiteral("Screenshot-%1.png").arg(files.size()));
    if (picture) {
        m_picture.save(path, "PNG");
    } else {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("not a picture at all\n");
    }
    files << path;
    if (echo) {
        std::printf("File %s\n", qPrintable(path));
        std::fflush(stdout);
    }
    return path;
}
