// The game's own systemd scope: which units give the portal the game's id, read from a cgroup as
// the portal reads it; the move into app-org.example.Deskwreck-<pid>.scope asked of a fake user
// manager on a private bus with the game's pid in app.slice, settled only once its job has
// ended; and no manager, or a job that never ends, holding the game up no longer than the wait.
#include "support/FakePortal.h"
#include "support/FakeSystemdManager.h"

#include "app/AppScope.h"
#include "playfield/PortalAppId.h"

#include <QtTest>

class AppScopeTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void idsFromUnits();
    void movesIntoItsScopeOnceTheJobEnds();
    void noManagerOrNoEndGoesOn();

  private:
    std::unique_ptr<PrivateBus> m_bus;
    int m_clients = 0;
};

void AppScopeTest::initTestCase() {
    m_bus = std::make_unique<PrivateBus>();
    if (!m_bus->isRunning())
        QFAIL("dbus-daemon did not start");
}

void AppScopeTest::idsFromUnits() {
    const QByteArray manager = "0::/user.slice/user-1000.slice/user@1000.service";
    const struct {
        QByteArray cgroup;
        QString unit;
        QString id;
    } cases[] = {
        {manager + "/app.slice/app-org.example.Deskwreck-4242.scope\n",
         "app-org.example.Deskwreck-4242.scope", "org.example.Deskwreck"},
        {manager + "/app.slice/app-gnome-org.example.Deskwreck-77.scope\n",
         "app-gnome-org.example.Deskwreck-77.scope", "org.example.Deskwreck"},
        // GNOME's terminal runs its shells in scopes of their own, Konsole in its own.
        {manager + "/app.slice/app-org.gnome.Terminal.slice/vte-spawn-5a1c.scope\n",
         "vte-spawn-5a1c.scope", ""},
        {manager + "/app.slice/app-org.kde.konsole-901.scope\n", "app-org.kde.konsole-901.scope",
         "org.kde.konsole"},
        {"0::/user.slice/user-1000.slice/session-2.scope\n", "", ""},
        {"12:pids:/user.slice\n1:name=systemd:/user.slice/user-1000.slice/user@1000.service/"
         "app.slice/app-org.example.Deskwreck-9.scope\n0::/\n",
         "app-org.example.Deskwreck-9.scope", "org.example.Deskwreck"},
    };
    for (const auto& one : cases) {
        const QString unit = userUnitFromCgroup(one.cgroup);
        QCOMPARE(unit, one.unit);
        QCOMPARE(portalAppIdFromUnit(unit), one.id);
    }
    QCOMPARE(AppScope::unitName(4242), QStringLiteral("app-org.example.Deskwreck-4242.scope"));
}

void AppScopeTest::movesIntoItsScopeOnceTheJobEnds() {
    FakeSystemdManager systemd(m_bus->connect(QStringLiteral("systemd")));
    systemd.jobEndsAfterMs.reset();
    AppScope scope(m_bus->connect(QStringLiteral("game%1").arg(++m_clients)), 60000);
    bool settled = false;
    scope.join();
    scope.whenSettled([&] { settled = true; });
    QTRY_COMPARE(systemd.calls.size(), 1);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QCOMPARE(systemd.calls[0],
             QStringLiteral("StartTransientUnit app-org.example.Deskwreck-%1.scope "
                            "fail Description=Deskwreck! PIDs=[%1] "
                            "Slice=app.slice aux=0")
                 .arg(pid));
    QTest::qWait(200);
    QVERIFY2(!settled, "settled before the process was moved");
    systemd.endJobs();
    QTRY_VERIFY(settled);
}

void AppScopeTest::noManagerOrNoEndGoesOn() {
    {
        AppScope scope(m_bus->connect(QStringLiteral("game%1").arg(++m_clients)), 60000);
        bool settled = false;
        scope.join();
        scope.whenSettled([&] { settled = true; });
        QTRY_VERIFY_WITH_TIMEOUT(settled, 20000);
    }
    FakeSystemdManager systemd(m_bus->connect(QStringLiteral("systemd")));
    systemd.jobEndsAfterMs.reset();
    AppScope scope(m_bus->connect(QStringLiteral("game%1").arg(++m_clients)), 300);
    bool settled = false;
    scope.join();
    scope.whenSettled([&] { settled = true; });
    QTRY_VERIFY(settled);
    QCOMPARE(systemd.calls.size(), 1);
}

QTEST_MAIN(AppScopeTest)
#include "test_app_scope.moc"
