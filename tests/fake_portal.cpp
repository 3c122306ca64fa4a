// The fake desktop portal as a program of its own, for end-to-end runs of the real game:
//   fake_portal MODE PICTURE [--backend-version=N|none] [--question-after-ms=N]
//               [--systemd-job-ms=N]
// owns the portal's names on the session bus and answers as MODE says (picture, not-a-picture,
// cancelled, refused, nothing, only-with-parent), handing out PICTURE, with a back end whose
// Screenshot is version N (2 unless told; none: no version). --question-after-ms holds the
// question and allows it that long after it came; --systemd-job-ms also plays systemd's user
// manager, ending each job that long after it started. It prints every call it gets on a line of
// its own ("Register <id>", "Lookup", "Screenshot <parent>", "Close", "StartTransientUnit ...",
// "JobRemoved <unit>") and every file it hands out ("File <path>").
#include "support/FakePortal.h"
#include "support/FakeSystemdManager.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>
#include <map>

namespace {

// The value of "--NAME=VALUE" among the arguments, if given.
std::optional<QString> option(const QStringList& args, const QString& name) {
    const QString prefix = QStringLiteral("--") + name + QLatin1Char('=');
    for (const QString& arg : args)
        if (arg.startsWith(prefix))
            return arg.mid(prefix.size());
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const std::map<QString, FakePortal::Answer> modes{
        {QStringLiteral("picture"), FakePortal::Answer::Picture},
        {QStringLiteral("not-a-picture"), FakePortal::Answer::NotAPicture},
        {QStringLiteral("cancelled"), FakePortal::Answer::Cancelled},
        {QStringLiteral("refused"), FakePortal::Answer::Refused},
        {QStringLiteral("nothing"), FakePortal::Answer::Nothing},
        {QStringLiteral("only-with-parent"), FakePortal::Answer::OnlyWithParent}};
    const QStringList args = application.arguments();
    const auto mode = args.size() >= 3 ? modes.find(args[1]) : modes.end();
    const QImage picture = args.size() >= 3 ? QImage(args[2]) : QImage();
    if (mode == modes.end() || picture.isNull()) {
        std::fprintf(stderr, "usage: fake_portal MODE PICTURE [--backend-version=N|none] "
                             "[--question-after-ms=N] [--systemd-job-ms=N]\n");
        return 2;
    }
    FakePortal portal(QDBusConnection::sessionBus(), picture);
    portal.answer = mode->second;
    portal.echo = true;
    if (const auto version = option(args, QStringLiteral("backend-version")))
        portal.backendVersion =
            *version == QLatin1String("none") ? std::nullopt : std::optional(version->toUInt());

    QTimer questionWatch;
    if (const auto delay = option(args, QStringLiteral("question-after-ms"))) {
        portal.holdsQuestion = true;
        questionWatch.setInterval(50);
        QObject::connect(&questionWatch, &QTimer::timeout, [&, ms = delay->toInt()] {
            if (portal.calls.filter(QStringLiteral("Screenshot x11:")).isEmpty())
                return;
            questionWatch.stop();
            QTimer::singleShot(ms, [&] { portal.answerQuestion(true); });
        });
        questionWatch.start();
    }

    std::unique_ptr<FakeSystemdManager> systemd;
    if (const auto jobMs = option(args, QStringLiteral("systemd-job-ms"))) {
        // A connection of its own: the portal's object tree holds every path below
        // /org/freedesktop.
        systemd = std::make_unique<FakeSystemdManager>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("systemd")));
        systemd->jobEndsAfterMs = jobMs->toInt();
        systemd->echo = true;
    }
    return application.exec();
}
