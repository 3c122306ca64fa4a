#include "playfield/BrowserLauncher.h"

#include <QProcess>

bool XdgBrowserLauncher::launch(const QString& address) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {address});
}
