#include "app/AppScope.h"

#include "components/DBusCalls.h"

#include "playfield/PortalAppId.h"
#include "playfield/PortalDesktopSource.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace appscope {

// One entry of a(sv), the unit's properties.
struct UnitProperty {
    QString name;
    QDBusVariant value;
};
// One entry of a(sa(sv)), the auxiliary units: the game starts none.
struct AuxiliaryUnit {
    QString name;
    QList<UnitProperty> properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const UnitProperty& property) {
    argument.beginStructure();
    argument << property.name << property.value;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, UnitProperty& property) {
    argument.beginStructure();
    argument >> property.name >> property.value;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const AuxiliaryUnit& unit) {
    argument.beginStructure();
    argument << unit.name << unit.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AuxiliaryUnit& unit) {
    argument.beginStructure();
    argument >> unit.name >> unit.properties;
    argument.endStructure();
    return argument;
}

} // namespace appscope

Q_DECLARE_METATYPE(appscope::UnitProperty)
Q_DECLARE_METATYPE(appscope::AuxiliaryUnit)

namespace {

const QString kSystemd = QStringLiteral("org.freedesktop.systemd1");
const QString kSystemdPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kManager = QStringLiteral("org.freedesktop.systemd1.Manager");

} // namespace

AppScope::AppScope(QDBusConnection bus, int waitMs) : m_bus(std::move(bus)) {
    m_wait.setSingleShot(true);
    m_wait.setInterval(waitMs);
    connect(&m_wait, &QTimer::timeout, this, &AppScope::settle);
}

QString AppScope::unitName(qint64 pid) {
    return QStringLiteral("app-%1-%2.scope")
        .arg(QLatin1String(PortalDesktopSource::kAppId))
        .arg(pid);
}

void AppScope::join() {
    // Launched from its desktop entry, the game is in such a unit already. Any other program's
    // unit (a terminal's, an editor's) would have the player's answers stored under its id.
    if (ownPortalAppId() == QLatin1String(PortalDesktopSource::kAppId)) {
        settle();
        return;
    }
    using appscope::AuxiliaryUnit;
    using appscope::UnitProperty;
    qDBusRegisterMetaType<UnitProperty>();
    qDBusRegisterMetaType<QList<UnitProperty>>();
    qDBusRegisterMetaType<AuxiliaryUnit>();
    qDBusRegisterMetaType<QList<AuxiliaryUnit>>();

    const qint64 pid = QCoreApplication::applicationPid();
    m_unit = unitName(pid);
    // The process has moved once its job is done, so the end of the job is awaited; heard
    // before the call, it cannot be missed.
    m_bus.connect(kSystemd, kSystemdPath, kManager, QStringLiteral("JobRemoved"), this,
                  SLOT(JobRemoved(QDBusMessage)));
    m_wait.start();

    QDBusMessage call = QDBusMessage::createMethodCall(kSystemd, kSystemdPath, kManager,
                                                       QStringLiteral("StartTransientUnit"));
    const QList<UnitProperty> properties{
        {QStringLiteral("Description"), QDBusVariant(QStringLiteral("Deskwreck!"))},
        {QStringLiteral("PIDs"), QDBusVariant(QVariant::fromValue(QList<uint>{uint(pid)}))},
        {QStringLiteral("Slice"), QDBusVariant(QStringLiteral("app.slice"))}};
    call << m_unit << QStringLiteral("fail") << QVariant::fromValue(properties)
         << QVariant::fromValue(QList<AuxiliaryUnit>());
    dbus::whenAnswered(m_bus, call, this, [this](const QDBusMessage& reply) {
        // No manager, or it refused: the game stays where it is.
        if (reply.type() == QDBusMessage::ErrorMessage)
            settle();
    });
}

void AppScope::whenSettled(std::function<void()> then) {
    if (m_settled)
        then();
    else
        m_waiting.push_back(std::move(then));
}

void AppScope::JobRemoved(const QDBusMessage& signal) {
    // (job id, job, unit, result)
    if (signal.arguments().value(2).toString() == m_unit)
        settle();
}

void AppScope::settle() {
    if (m_settled)
        return;
    m_settled = true;
    m_wait.stop();
    m_bus.disconnect(kSystemd, kSystemdPath, kManager, QStringLiteral("JobRemoved"), this,
                     SLOT(JobRemoved(QDBusMessage)));
    for (auto& then : std::exchange(m_waiting, {}))
        then();
}
