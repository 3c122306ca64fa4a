#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>

#include <functional>

class QObject;

// The few shapes of D-Bus call the game makes, none of which may block the event loop.
namespace dbus {

// Runs `then` with the reply once the call is answered, on the event loop, while `context` lives.
void whenAnswered(QDBusConnection& bus, const QDBusMessage& call, QObject* context,
                  std::function<void(const QDBusMessage&)> then);

// org.freedesktop.DBus.Properties.Get of one property.
QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface,
                         const QString& property);
// The value a Get answered with; invalid for an error or any other reply.
QVariant propertyValue(const QDBusMessage& reply);

} // namespace dbus
