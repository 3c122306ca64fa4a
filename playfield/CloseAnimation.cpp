#include "playfield/CloseAnimation.h"

#include "components/DBusCalls.h"
#include "components/Units.h"

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
    else if (desktop.gnomeAnimates)
        return kGnomeGoneMs;
    else if (desktop.kwinEffects && !x11Window)
        ms = kwinCloseMs(desktop);
    return ms > 0 ? std::min(ms, kLongestMs) + kFrameMs : 0;
}

int busyCompositorMs(qint64 confirmedAfterMs) {
    return int(std::clamp<qint64>(confirmedAfterMs, 0, kUnknownMs));
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
        dbus::whenAnswered(
            bus, get, context, [asking, read = std::move(read)](const QDBusMessage& reply) {
                if (const QVariant value = dbus::propertyValue(reply); value.isValid())
                    read(value);
                if (--asking->unanswered == 0)
                    asking->then(asking->desktop);
            });
    };
    ask(dbus::propertyGet(
            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell/Introspect"),
            QStringLiteral("org.gnome.Shell.Introspect"), QStringLiteral("AnimationsEnabled")),
        [asking](const QVariant& value) { asking->desktop.gnomeAnimates = value.toBool(); });
    ask(dbus::propertyGet(QStringLiteral("org.kde.KWin"), QStringLiteral("/Effects"),
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
