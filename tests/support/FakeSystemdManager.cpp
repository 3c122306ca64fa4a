#include "support/FakeSystemdManager.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTimer>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.systemd1");
const QString kPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kManager = QStringLiteral("org.freedesktop.systemd1.Manager");

QString valueText(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) {
        QStringList items;
        for (const uint item : qdbus_cast<QList<uint>>(value))
            items << QString::number(item);
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return value.toString();
}

// a(sv) as "name=value" pairs.
QStringList propertiesText(const QVariant& argument) {
    QStringList properties;
    const QDBusArgument array = qvariant_cast<QDBusArgument>(argument);
    array.beginArray();
    while (!array.atEnd()) {
        QString name;
        QDBusVariant value;
        array.beginStructure();
        array >> name >> value;
        array.endStructure();
        properties << name + QLatin1Char('=') + valueText(value.variant());
    }
    array.endArray();
    return properties;
}

int arrayLength(const QVariant& argument) {
    const QDBusArgument array = qvariant_cast<QDBusArgument>(argument);
    int length = 0;
    array.beginArray();
    while (!array.atEnd()) {
        QString name;
        array.beginStructure();
        array >> name;
        array.endStructure();
        ++length;
    }
    array.endArray();
    return length;
}

} // namespace

FakeSystemdManager::FakeSystemdManager(QDBusConnection bus) : m_bus(std::move(bus)) {
    m_bus.registerService(kService);
    m_bus.registerVirtualObject(kPath, this);
}

FakeSystemdManager::~FakeSystemdManager() {
    m_bus.unregisterObject(kPath);
    m_bus.unregisterService(kService);
}

QString FakeSystemdManager::introspect(const QString&) const {
    return {};
}

bool FakeSystemdManager::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.interface() != kManager || message.member() != QLatin1String("StartTransientUnit"))
        return false;
    startTransientUnit(message);
    return true;
}

void FakeSystemdManager::startTransientUnit(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    const QString unit = args.value(0).toString();
    QStringList line{QStringLiteral("StartTransientUnit"), unit, args.value(1).toString()};
    line << propertiesText(args.value(2));
    line << QStringLiteral("aux=%1").arg(arrayLength(args.value(3)));
    record(line.join(QLatin1Char(' ')));
    const QDBusObjectPath job(QStringLiteral("/org/freedesktop/systemd1/job/%1").arg(++m_jobs));
    m_bus.send(message.createReply(QVariant::fromValue(job)));
    m_running << unit;
    if (jobEndsAfterMs)
        QTimer::singleShot(*jobEndsAfterMs, this, [this] { endJobs(); });
}

void FakeSystemdManager::endJobs() {
    for (const QString& unit : std::exchange(m_running, {})) {
        QDBusMessage removed =
            QDBusMessage::createSignal(kPath, kManager, QStringLiteral("JobRemoved"));
        removed << m_jobs
                << QVariant::fromValue(QDBusObjectPath(
                       QStringLiteral("/org/freedesktop/systemd1/job/%1").arg(m_jobs)))
                << unit << QStringLiteral("done");
        m_bus.send(removed);
        record(QStringLiteral("JobRemoved ") + unit);
    }
}

void FakeSystemdManager::record(const QString& line) {
    calls << line;
    if (!echo)
        return;
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}
