#include "playfield/CloseAnimation.h"

#include "components/Units.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace closeanimation {

namespace {

int kwinCloseMs(const DesktopAnimations& desktop) {
    const QStringList& effects = *desktop.kwinEffects;
    int ms = 0;
    if (effects.contains(QLatin1String("kwin4_effect_scale")))
        ms = desktop.kwinScaleDurationMs.value_or(kKwinScaleCloseMs);
    else if (effects.contains(QLatin1String("kwin4_effect_fade")))
        ms = kKwinFadeCloseMs;
    else if (effects.contains(QLatin1String("glide")))
        ms = kKwinGlideCloseMs;
    return units::roundTo<int>(ms * std::max(desktop.kwinDurationFactor, 0.0));
}

QDBusMessage propertyGet(const QString& service, const QString& path, const QString& interface,
                         const QString& property) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << property;
    return get;
}

// A KDE configuration file's value, from the first configuration folder that has the file.
QVariant kdeSetting(const QString& file, const QString& key) {
    const QString path = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, file);
    if (path.isEmpty())
        return {};
    return QSettings(path, QSettings::IniFormat).value(key);
}

} // namespace

int closeAnimationMs(const DesktopAnimations& desktop, bool x11Window) {
    int ms = 0;
    if (desktop.gnomeAnimates.value_or(false))
        ms = kGnomeCloseMs;
    else if (desktop.kwinEffects && !x11Window)
        ms = kwinCloseMs(desktop);
    return ms > 0 ? std::min(ms, kLongestMs) + kFrameMs : 0;
}

void askDesktopAnimations(QDBusConnection bus, QObject* context,
                          std::function<void(const DesktopAnimations&)> then) {
    struct Asking {
        DesktopAnimations desktop;
        int unanswered = 2;
        std::function<void(const DesktopAnimations&)> then;
    };
    auto asking = std::make_shared<Asking>();
    asking->then = std::move(then);
    const auto ask = [&](const QDBusMessage& get, std::function<void(const QVariant&)> read) {
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), context);
        QObject::connect(
            watcher, &QDBusPendingCallWatcher::finished, context,
            [watcher, asking, read = std::move(read)] {
                watcher->deleteLater();
                const QDBusMessage reply = watcher->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                    read(qvariant_cast<QDBusVariant>(reply.arguments().at(0)).variant());
                if (--asking->unanswered == 0)
                    asking->then(asking->desktop);
            });
    };
    ask(propertyGet(
            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell/Introspect"),
            QStringLiteral("org.gnome.Shell.Introspect"), QStringLiteral("AnimationsEnabled")),
        [asking](const QVariant& value) { asking->desktop.gnomeAnimates = value.toBool(); });
    ask(propertyGet(QStringLiteral("org.kde.KWin"), QStringLiteral("/Effects"),
                    QStringLiteral("org.kde.kwin.Effects"), QStringLiteral("activeEffects")),
        [asking](const QVariant& value) {
            DesktopAnimations& desktop = asking->desktop;
            desktop.kwinEffects = value.toStringList();
            bool ok = false;
            const double factor = kdeSetting(QStringLiteral("kdeglobals"),
                                             QStringLiteral("KDE/AnimationDurationFactor"))
                                      .toDouble(&ok);
            if (ok)
                desktop.kwinDurationFactor = factor;
            const int scale = kdeSetting(QStringLiteral("kwinrc"),
                                         QStringLiteral("Effect-kwin4_effect_scale/Duration"))
                                  .toInt(&ok);
            if (ok && scale > 0)
                desktop.kwinScaleDurationMs = scale;
        });
}

} // namespace closeanimation
