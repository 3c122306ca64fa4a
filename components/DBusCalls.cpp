#include "components/DBusCalls.h"

#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace dbus {

void whenAnswered(QDBusConnection& bus, const QDBusMessage& call, QObject* context,
                  std::function<void(const QDBusMessage&)> then) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, then = std::move(then)] {
                         watcher->deleteLater();
                         then(watcher->reply());
                     });
}

QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface,
                         const QString& property) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << property;
    return get;
}

QVariant propertyValue(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant();
}

} // namespace dbus
