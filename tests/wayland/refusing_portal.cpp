// A desktop portal for the end-to-end tests that turns every screenshot down: it owns the
// portal's name on the session bus and answers each Screenshot request with the Response code it
// was given (1 cancelled by the user, 2 refused), printing one line for each request.
// Usage: refusing_portal RESPONSE
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QTextStream>

namespace {

class RefusingPortal final : public QDBusVirtualObject {
  public:
    explicit RefusingPortal(uint response) : m_response(response) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() == QLatin1String("Register")) { // the host app registry
            bus.send(message.createReply());
            return true;
        }
        if (message.member() != QLatin1String("Screenshot"))
            return false;
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(1));
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusMessage answer = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        answer << m_response << QVariantMap();
        bus.send(answer);
        QTextStream(stdout) << "Screenshot answered " << m_response << Qt::endl;
        return true;
    }

  private:
    uint m_response;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    RefusingPortal portal(QString::fromLatin1(argv[1]).toUInt());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop"), &portal,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}
