// The fake desktop portal as a program of its own, for end-to-end runs of the real game:
//   fake_portal MODE PICTURE
// owns the portal's names on the session bus and answers as MODE says (picture, not-a-picture,
// cancelled, refused, nothing, only-with-parent), handing out PICTURE; it prints every call it
// gets on a line of its own ("Register <id>", "Lookup", "Screenshot <parent>", "Close").
#include "support/FakePortal.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>
#include <map>

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
    const auto mode = args.size() == 3 ? modes.find(args[1]) : modes.end();
    const QImage picture = args.size() == 3 ? QImage(args[2]) : QImage();
    if (mode == modes.end() || picture.isNull()) {
        std::fprintf(stderr, "usage: fake_portal MODE PICTURE\n");
        return 2;
    }
    FakePortal portal(QDBusConnection::sessionBus(), picture);
    portal.answer = mode->second;
    portal.echo = true;
    return application.exec();
}
