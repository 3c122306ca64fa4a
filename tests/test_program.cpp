// The order of start-up with a desktop that answers later, as the portal does: the desktop's
// question is put while the login dialog has the focus, naming it; the picture is asked for only
// once the login dialog is gone; the start screen appears only with the answer, and the play
// field holds that picture. The program's messages are recorded, so none can wait for a click.
#include "support/PlayFieldFixture.h"
#include "support/RecordingMessageBox.h"

#include "app/Program.h"

#include <QLineEdit>
#include <QtTest>

namespace {

// Holds its answer until the test gives it.
class LaterDesktopSource final : public DesktopSource {
  public:
    QStringList prepared;
    int captures = 0;
    std::function<void()> answer;
    QImage picture = PlayFieldFixture::testDesktop({800, 600});

    void prepare(const QWidget& focused) override { prepared << focused.windowTitle(); }
    void capture(QScreen*, std::function<void()> ready) override {
        ++captures;
        answer = std::move(ready);
    }
    QImage grab() override { return picture; }
};

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT

  private slots:
    void startScreenWaitsForTheDesktop();
};

void ProgramTest::startScreenWaitsForTheDesktop() {
    auto owned = std::make_unique<LaterDesktopSource>();
    LaterDesktopSource& desktop = *owned;
    auto recording = std::make_unique<RecordingMessageBox>();
    const RecordingMessageBox& messages = *recording;
    Program program(std::move(owned), std::move(recording));
    program.start();
    QVERIFY(QTest::qWaitForWindowActive(program.login()));
    QTRY_COMPARE(desktop.prepared.size(), 1);
    QCOMPARE(desktop.captures, 0);

    QTest::keyClick(program.login()->txtUserName, Qt::Key_Return);
    QTRY_COMPARE(desktop.captures, 1);
    QVERIFY2(!program.login(), "the login dialog is gone before the desktop is asked");
    QVERIFY(program.startScreen());
    QTest::qWait(100);
    QVERIFY(!program.startScreen()->isVisible());
    QVERIFY(!program.startScreen()->playField());

    desktop.answer();
    QVERIFY(program.startScreen()->isVisible());
    const frmRange* range = program.startScreen()->playField();
    QVERIFY(range && !range->isVisible());
    QCOMPARE(range->backing().pixel(10, 10), desktop.picture.pixel(10, 10));
    QCOMPARE(desktop.prepared.size(), 1);
    QCOMPARE(messages.messages.size(), 0);
}

QTEST_MAIN(ProgramTest)
#include "test_program.moc"
