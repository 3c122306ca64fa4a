#include "playfield/PortalAppId.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// The cgroup path of systemd's hierarchy: the unified one ("0::") or, on legacy systems, the
// named one.
QString systemdCgroupPath(const QByteArray& cgroup) {
    for (const QByteArray& line : cgroup.split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        if (fields[1].isEmpty() || fields[1] == "name=systemd")
            return QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2));
    }
    return {};
}

} // namespace

QString userUnitFromCgroup(const QByteArray& cgroup) {
    const QStringList parts = systemdCgroupPath(cgroup).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    static const QRegularExpression manager(QStringLiteral("^user@[0-9]+\\.service$"));
    bool belowManager = false;
    for (const QString& part : parts) {
        if (!belowManager)
            belowManager = manager.match(part).hasMatch();
        else if (!part.endsWith(QLatin1String(".slice")))
            return part;
    }
    return {};
}

QString portalAppIdFromUnit(const QString& unit) {
    // The portal's own pattern (xdg-desktop-portal's _xdp_parse_app_id_from_unit_name).
    static const QRegularExpression pattern(QStringLiteral(
        "^app-(?:[[:alnum:]]+\\-)?(.+?\\..+?\\..+?)(?:[@\\-][[:alnum:]]*)?(?:-autostart)?"
        "(?:\\.scope|\\.service|\\.slice)$"));
    const QRegularExpressionMatch match = pattern.match(unit);
    return match.hasMatch() ? match.captured(1) : QString();
}

QByteArray ownCgroup() {
    QFile file(QStringLiteral("/proc/self/cgroup"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ownPortalAppId() {
    return portalAppIdFromUnit(userUnitFromCgroup(ownCgroup()));
}
