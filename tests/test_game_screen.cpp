// One monitor for everything: with two monitors side by side and the pointer on the second, the
// login, the start screen and the settings dialog are centred on the second, the play field
// covers it, and its twips per pixel are the second's own, not the primary's.
#include "support/PlayFieldFixture.h"

#include "app/frmLogin.h"
#include "app/frmStart.h"
#include "components/GameScreen.h"
#include "settings/frmSettings.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTemporaryFile>
#include <QtTest>

namespace {

// The right-hand monitor has 144 dpi: 10 twips to the pixel.
const char* kTwoMonitors = R"({"screens": [
  {"name": "left", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96},
  {"name": "right", "x": 1024, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 144}
]})";

const QRect kRight(1024, 0, 1280, 1024);

void expectCentredOnTheRight(const QWidget& window) {
    const QPoint offCentre = window.geometry().center() - kRight.center();
    QVERIFY2(kRight.contains(window.frameGeometry()), qPrintable(window.windowTitle()));
    QVERIFY2(std::abs(offCentre.x()) <= 12 && std::abs(offCentre.y()) <= 42,
             qPrintable(window.windowTitle()));
}

} // namespace

class GameScreenTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void everythingOnTheMonitorUnderThePointer();
};

void GameScreenTest::initTestCase() {
    QCOMPARE(QGuiApplication::screens().size(), 2);
    QCursor::setPos(1500, 300);
    gamescreen::choose(gamescreen::underPointer());
    QCOMPARE(gamescreen::screen()->geometry(), kRight);
    QCOMPARE(gamescreen::metrics().twipsPerPixelX(), 10.0);
}

void GameScreenTest::everythingOnTheMonitorUnderThePointer() {
    RecordingProgramEnd end;
    frmLogin login(end, gamescreen::metrics());
    QCOMPARE(login.size(), QSize(375, 154));
    gamescreen::centre(&login);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    expectCentredOnTheRight(login);
    // The pointer wanders off to the other monitor: the game stays where it started.
    QCursor::setPos(100, 100);

    PlayFieldFixture f(kRight.size());
    PlayFieldServices services = f.services(kRight.size());
    services.screenGeometry = kRight;
    services.metrics = gamescreen::metrics();
    frmStart start(services);
    start.Form_Load();
    gamescreen::centre(&start);
    start.show();
    QVERIFY(QTest::qWaitForWindowExposed(&start));
    expectCentredOnTheRight(start);
    QCOMPARE(start.size(), QSize(594, 650));

    start.OKButton_Click();
    frmRange& range = *start.playField();
    QVERIFY(QTest::qWaitForWindowExposed(&range));
    QCOMPARE(range.geometry(), kRight);
    QCOMPARE(range.screen()->geometry(), kRight);
    QCOMPARE(range.state().screenWidth, 12800);

    QRect settings;
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<frmSettings*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        expectCentredOnTheRight(*dialog);
        settings = dialog->geometry();
        dialog->Command5_Click();
    });
    QTest::keyClick(range.Picture1, Qt::Key_Backspace);
    QVERIFY2(kRight.contains(settings), "the settings dialog opened on the player's monitor");
}

int main(int argc, char* argv[]) {
    QTemporaryFile layout;
    if (!layout.open())
        return 1;
    layout.write(kTwoMonitors);
    layout.flush();
    // The monitors' dots per inch stand as they are, unscaled.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(layout.fileName()));
    QApplication application(argc, argv);
    GameScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_game_screen.moc"
