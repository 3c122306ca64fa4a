// The desktop through the portal, against a fake portal on a private bus: the picture cut to the
// game's screen and its file deleted; a cancel, a refusal, a file that is no picture, no answer
// and no portal all leave no picture and let the game go on; an answer sent before the call's
// reply is heard; and the first run, where only a request naming the focused window gets the
// desktop's question, after which the capture with no window shown succeeds. The question is put
// only where the portal's back end asks (Screenshot version 2) and nothing is stored; a question
// still open when the picture is wanted is waited for, never closed; a picture that comes after
// the game stopped waiting is deleted all the same. The wait for a closed window's animation
// follows what GNOME Shell and KWin say of theirs.
#include "support/FakePortal.h"

#include "playfield/CloseAnimation.h"
#include "playfield/PortalDesktopSource.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class FakeIntrospect final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.Introspect")
    Q_PROPERTY(bool AnimationsEnabled MEMBER animationsEnabled)
  public:
    bool animationsEnabled = true;
};

class FakeKwinEffects final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Effects")
    Q_PROPERTY(QStringList activeEffects MEMBER activeEffects)
  public:
    QStringList activeEffects{"blur", "kwin4_effect_scale"};
};

} // namespace

class PortalDesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void pictureOfTheScreenAndItsFileDeleted();
    void refusalsAndFailuresLeaveNoPicture();
    void noAnswerInTimeIsGivenUp();
    void noPortal();
    void firstRunAsksOnBehalfOfTheFocusedWindow();
    void storedAnswerAsksNothing();
    void desktopsThatNeverAskGetOneRequest();
    void pictureWaitsForTheQuestionOpen();
    void lateAnswersLeaveNoFile();
    void closingAnimationsAsTheDesktopsTellThem();
    void firstRunChecksDoneBeforeTheFocus();

  private:
    // Captures the primary screen; true when `ready` ran.
    bool capture(PortalDesktopSource& source);
    PortalDesktopSource source(int timeoutMs = 5000);
    QImage screenPicture() const;

    std::unique_ptr<PrivateBus> m_bus;
    int m_clients = 0;
};

void PortalDesktopTest::initTestCase() {
    m_bus = std::make_unique<PrivateBus>();
    if (!m_bus->isRunning())
        QFAIL("dbus-daemon did not start");
}

PortalDesktopSource PortalDesktopTest::source(int timeoutMs) {
    return PortalDesktopSource(m_bus->connect(QStringLiteral("game%1").arg(++m_clients)),
                               timeoutMs);
}

bool PortalDesktopTest::capture(PortalDesktopSource& source) {
    bool ready = false;
    source.capture(QGuiApplication::primaryScreen(), [&] { ready = true; });
    return QTest::qWaitFor([&] { return ready; }, 10000);
}

QImage PortalDesktopTest::screenPicture() const {
    QImage picture(QGuiApplication::primaryScreen()->geometry().size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    return picture;
}

void PortalDesktopTest::pictureOfTheScreenAndItsFileDeleted() {
    FakePortal portal(*m_bus, screenPicture());
    auto desktop = source();
    QVERIFY(capture(desktop));
    QCOMPARE(portal.calls, QStringList{"Screenshot "});
    QCOMPARE(portal.files.size(), 1);
    QVERIFY2(!QFile::exists(portal.files[0]), "gone when the capture is done, before any grab");
    QCOMPARE(desktop.grab(), screenPicture());
    QVERIFY2(desktop.grab().isNull(), "handed over once");
}

void PortalDesktopTest::refusalsAndFailuresLeaveNoPicture() {
    for (const auto answer : {FakePortal::Answer::Cancelled, FakePortal::Answer::Refused,
                              FakePortal::Answer::NotAPicture}) {
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = answer;
        auto desktop = source();
        QVERIFY(capture(desktop));
        QVERIFY(desktop.grab().isNull());
        for (const QString& file : portal.files)
            QVERIFY2(!QFile::exists(file), "the file that is no picture is deleted too");
    }
}

void PortalDesktopTest::noAnswerInTimeIsGivenUp() {
    FakePortal portal(*m_bus, screenPicture());
    portal.answer = FakePortal::Answer::Nothing;
    auto desktop = source(300);
    QVERIFY(capture(desktop));
    QVERIFY(desktop.grab().isNull());
    QTRY_COMPARE(portal.calls, (QStringList{"Screenshot ", "Close"}));
}

void PortalDesktopTest::noPortal() {
    auto desktop = source();
    QVERIFY(capture(desktop));
    QVERIFY(desktop.grab().isNull());
}

void PortalDesktopTest::firstRunAsksOnBehalfOfTheFocusedWindow() {
    {
        // Asked with no window of the game shown, the desktop stays silent.
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = FakePortal::Answer::OnlyWithParent;
        auto desktop = source(300);
        QVERIFY(capture(desktop));
        QVERIFY(desktop.grab().isNull());
    }
    for (const bool registry : {true, false}) {
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = FakePortal::Answer::OnlyWithParent;
        portal.offersRegistry = registry;
        auto desktop = source();
        desktop.prepare(QStringLiteral("x11:4a0001"));
        QTRY_COMPARE(portal.files.size(), 1);
        QCOMPARE(portal.calls, (QStringList{"Register org.example.Deskwreck", "Lookup",
                                            "Screenshot x11:4a0001"}));
        QTRY_VERIFY2(!QFile::exists(portal.files[0]), "the question's picture is let go");
        QVERIFY(desktop.grab().isNull());
        QVERIFY(capture(desktop));
        QCOMPARE(portal.calls.last(), QStringLiteral("Screenshot "));
        QCOMPARE(desktop.grab(), screenPicture());
    }
}

void PortalDesktopTest::storedAnswerAsksNothing() {
    for (const QString& stored : {QStringLiteral("yes"), QStringLiteral("no")}) {
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = FakePortal::Answer::OnlyWithParent;
        portal.permission = stored;
        auto desktop = source();
        desktop.prepare(QStringLiteral("x11:4a0001"));
        QVERIFY(capture(desktop));
        QCOMPARE(portal.calls,
                 (QStringList{"Register org.example.Deskwreck", "Lookup", "Screenshot "}));
        if (stored == QLatin1String("no")) {
            QVERIFY(desktop.grab().isNull());
            continue;
        }
        QCOMPARE(desktop.grab(), screenPicture());
        // A reference kept here would cost the play field a second screen-sized copy.
        QVERIFY2(desktop.grab().isNull(), "the source kept the picture it handed over");
    }
}

void PortalDesktopTest::desktopsThatNeverAskGetOneRequest() {
    // Plasma's back end has no version, wlroots' is 1: the portal takes the picture at once.
    for (const std::optional<uint> version : {std::optional<uint>(), std::optional<uint>(1)}) {
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = FakePortal::Answer::OnlyWithParent;
        portal.backendVersion = version;
        auto desktop = source();
        desktop.prepare(QStringLiteral("x11:4a0001"));
        QTest::qWait(300); // the player types
        QVERIFY(capture(desktop));
        QCOMPARE(portal.calls, (QStringList{"Register org.example.Deskwreck", "Screenshot "}));
        QCOMPARE(desktop.grab(), screenPicture());
        QVERIFY(!QFile::exists(portal.files.value(0)));
    }
}

void PortalDesktopTest::pictureWaitsForTheQuestionOpen() {
    FakePortal portal(*m_bus, screenPicture());
    portal.answer = FakePortal::Answer::OnlyWithParent;
    portal.holdsQuestion = true;
    auto desktop = source();
    desktop.prepare(QStringLiteral("x11:4a0001"));
    QTRY_COMPARE(portal.calls.size(), 3);
    bool ready = false;
    desktop.capture(QGuiApplication::primaryScreen(), [&] { ready = true; });
    QTest::qWait(300);
    QCOMPARE(portal.calls,
             (QStringList{"Register org.example.Deskwreck", "Lookup", "Screenshot x11:4a0001"}));

    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    portal.answerQuestion(true);
    QTRY_VERIFY_WITH_TIMEOUT(ready, 10000);
    QVERIFY2(sinceAnswer.elapsed() >= PortalDesktopSource::kQuestionSettleMs,
             "the picture was asked for while the question could still be on the screen");
    QCOMPARE(portal.calls.last(), QStringLiteral("Screenshot "));
    QCOMPARE(desktop.grab(), screenPicture());
    QCOMPARE(portal.files.size(), 2);
    QVERIFY(!QFile::exists(portal.files[0]) && !QFile::exists(portal.files[1]));
}

void PortalDesktopTest::lateAnswersLeaveNoFile() {
    {
        // The picture comes after the time limit and the Close.
        FakePortal portal(*m_bus, screenPicture());
        portal.answerDelayMs = 1500;
        auto desktop = source(300);
        QVERIFY(capture(desktop));
        QVERIFY(desktop.grab().isNull());
        QTRY_COMPARE(portal.calls, (QStringList{"Screenshot ", "Close"}));
        QTRY_COMPARE_WITH_TIMEOUT(portal.files.size(), 1, 10000);
        QTRY_VERIFY(!QFile::exists(portal.files[0]));
    }
    {
        // The question is answered after the game gave up waiting for it.
        FakePortal portal(*m_bus, screenPicture());
        portal.answer = FakePortal::Answer::OnlyWithParent;
        portal.holdsQuestion = true;
        auto desktop = source(300);
        desktop.prepare(QStringLiteral("x11:4a0001"));
        QTRY_COMPARE(portal.calls.size(), 3);
        QVERIFY(capture(desktop));
        QVERIFY(desktop.grab().isNull());
        portal.answerQuestion(true);
        QCOMPARE(portal.files.size(), 1);
        QTRY_VERIFY(!QFile::exists(portal.files[0]));
    }
}

void PortalDesktopTest::closingAnimationsAsTheDesktopsTellThem() {
    using namespace closeanimation;
    DesktopAnimations gnome;
    gnome.gnomeAnimates = true;
    QCOMPARE(closeAnimationMs(gnome, false), 167);
    QCOMPARE(closeAnimationMs(gnome, true), 167);
    gnome.gnomeAnimates = false;
    QCOMPARE(closeAnimationMs(gnome, false), kGnomeGoneMs);
    QCOMPARE(closeAnimationMs(gnome, true), kGnomeGoneMs);
    QCOMPARE(closeAnimationMs({}, true), 0);
    QCOMPARE(closeAnimationMs({}, false), 0);

    DesktopAnimations kwin;
    kwin.kwinEffects = QStringList{"blur", "kwin4_effect_scale"};
    QCOMPARE(closeAnimationMs(kwin, false), 217);
    QCOMPARE(closeAnimationMs(kwin, true), 0); // asked to close the X11 window at once
    kwin.kwinDurationFactor = 0.5;
    QCOMPARE(closeAnimationMs(kwin, false), 117);
    kwin.kwinScaleDurationMs = 300;
    QCOMPARE(closeAnimationMs(kwin, false), 167);
    kwin.kwinEffects = QStringList{"kwin4_effect_fade"};
    QCOMPARE(closeAnimationMs(kwin, false), 317);
    kwin.kwinEffects = QStringList{"glide"};
    QCOMPARE(closeAnimationMs(kwin, false), 97);
    kwin.kwinDurationFactor = 1e12;
    QCOMPARE(closeAnimationMs(kwin, false), 1017);
    kwin.kwinDurationFactor = 0; // KWin's "instant"
    QCOMPARE(closeAnimationMs(kwin, false), 0);
    kwin.kwinEffects = QStringList{"blur"};
    kwin.kwinDurationFactor = 1;
    QCOMPARE(closeAnimationMs(kwin, false), 0);

    // A compositor slow to confirm the window's going gets as long again to draw without it.
    QCOMPARE(busyCompositorMs(0), 0);
    QCOMPARE(busyCompositorMs(108), 108);
    QCOMPARE(busyCompositorMs(kUnknownMs + 1), kUnknownMs);
    QCOMPARE(busyCompositorMs(-5), 0);

    // Asked on the bus, with KWin's speed and the scale effect's length from the player's files.
    QTemporaryDir config;
    QFile kdeglobals(config.filePath("kdeglobals"));
    QVERIFY(kdeglobals.open(QIODevice::WriteOnly));
    kdeglobals.write("[KDE]\nAnimationDurationFactor=0.25\n");
    kdeglobals.close();
    QFile kwinrc(config.filePath("kwinrc"));
    QVERIFY(kwinrc.open(QIODevice::WriteOnly));
    kwinrc.write("[Effect-kwin4_effect_scale]\nDuration=400\n");
    kwinrc.close();
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    FakeIntrospect introspect;
    FakeKwinEffects effects;
    QDBusConnection desktop = m_bus->connect(QStringLiteral("desktop"));
    QVERIFY(desktop.registerService(QStringLiteral("org.gnome.Shell")));
    QVERIFY(desktop.registerService(QStringLiteral("org.kde.KWin")));
    QVERIFY(desktop.registerObject(QStringLiteral("/org/gnome/Shell/Introspect"), &introspect,
                                   QDBusConnection::ExportAllProperties));
    QVERIFY(desktop.registerObject(QStringLiteral("/Effects"), &effects,
                                   QDBusConnection::ExportAllProperties));
    std::optional<DesktopAnimations> told;
    QObject context;
    askDesktopAnimations(m_bus->connect(QStringLiteral("game-animations")), &context,
                         [&](const DesktopAnimations& answer) { told = answer; });
    QTRY_VERIFY(told);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(told->gnomeAnimates, std::optional(true));
    QCOMPARE(told->kwinEffects, std::optional(effects.activeEffects));
    QCOMPARE(told->kwinDurationFactor, 0.25);
    QCOMPARE(told->kwinScaleDurationMs, std::optional(400));
    desktop.unregisterObject(QStringLiteral("/org/gnome/Shell/Introspect"));
    desktop.unregisterObject(QStringLiteral("/Effects"));
    desktop.unregisterService(QStringLiteral("org.gnome.Shell"));
    desktop.unregisterService(QStringLiteral("org.kde.KWin"));
}

void PortalDesktopTest::firstRunChecksDoneBeforeTheFocus() {
    // What the portal needs is learnt while the login shows; at the focus only the question is
    // left, so a quick OK does not wait for the checks.
    FakePortal portal(*m_bus, screenPicture());
    portal.answer = FakePortal::Answer::OnlyWithParent;
    auto desktop = source();
    desktop.getReady();
    QTRY_COMPARE(portal.calls, (QStringList{"Register org.example.Deskwreck", "Lookup"}));
    desktop.prepare(QStringLiteral("x11:4a0001"));
    QTRY_COMPARE(portal.calls.size(), 3);
    QCOMPARE(portal.calls.last(), QStringLiteral("Screenshot x11:4a0001"));
    QVERIFY(capture(desktop));
    QCOMPARE(desktop.grab(), screenPicture());
}

QTEST_MAIN(PortalDesktopTest)
#include "test_portal_desktop.moc"
