// Keys typed on the target and the banner strip: weapons with their sounds, marks and
// launchers, the speed keys and their clamps, Space clearing the target and the score,
// Backspace holding the target still while the settings dialog is open, the banner's frames,
// and the banner's click opening the browser.
#include "support/PlayFieldFixture.h"

#include "settings/frmSettings.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

class KeyboardBannerTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { f.reset(); }

    void weaponKeysChangeSoundMarkAndLauncher();
    void kissesTwiceReopensTheSoundTwice();
    void deadAndPlainKeys();
    void speedKeysThroughRealEvents();
    void spaceClearsTheTargetAndTheScore();
    void keysNeedTheTargetsFocus();
    void backspaceStopsTheTargetUntilClose();
    void bannerTurnsWithPauses();
    void bannerClickOpensTheBrowser();
    void bannerClickWithoutBrowserShowsTheMessage();

  private:
    void type(char key) { QTest::keyClick(f->range->Picture1, key); }
    std::unique_ptr<PlayFieldFixture> f;
};

void KeyboardBannerTest::init() {
    f = std::make_unique<PlayFieldFixture>();
    f->range->Form_Load();
    f->range->show();
    QVERIFY(QTest::qWaitForWindowExposed(f->range.get()));
    f->range->Picture1->setFocus();
    f->sound.calls.clear();
}

void KeyboardBannerTest::weaponKeysChangeSoundMarkAndLauncher() {
    frmRange& range = *f->range;
    const char* sounds[] = {"dart.wav", "love.wav", "shoot.wav", "succ.wav"};
    const std::int16_t launchers[] = {9, 8, 5, 6};
    for (int weapon = 1; weapon <= 4; ++weapon) {
        f->sound.calls.clear();
        type(char('0' + weapon));
        const QString sound = QString::fromLatin1(sounds[weapon - 1]);
        QCOMPARE(f->sound.calls.size(), 2);
        QVERIFY(f->sound.calls[0].startsWith(QStringLiteral("close ")));
        QCOMPARE(f->sound.calls[1], "open " + sound);
        QCOMPARE(range.state().weaponType, std::int16_t(weapon));
        QCOMPARE(range.state().gunImage, launchers[weapon - 1]);
        // The half-width is left for the next pointer move to correct.
        QCOMPARE(range.state().gunHalfWidth, std::int16_t(588));
        f->sound.calls.clear();
        range.Form_MouseDown(1, 0, 9000, 6000);
        QCOMPARE(f->sound.calls, (QStringList{"play " + sound, "prev " + sound}));
    }
}

void KeyboardBannerTest::kissesTwiceReopensTheSoundTwice() {
    type('2');
    type('2');
    QCOMPARE(f->sound.calls,
             (QStringList{"close shoot.wav", "open love.wav", "close love.wav", "open love.wav"}));
    QCOMPARE(f->range->state().weaponType, std::int16_t(2));
    // Darts hang from the shot point with no offset; kisses are pulled up and left.
    frmRange& range = *f->range;
    type('1');
    const QImage before = range.backing().copy();
    range.Form_MouseDown(1, 0, 9000, 6000);
    const QRect changed = changedPixels(before, range.backing());
    QVERIFY(!changed.isEmpty());
    QVERIFY(QRect(600, 400, 79, 46).contains(changed));
}

void KeyboardBannerTest::deadAndPlainKeys() {
    frmRange& range = *f->range;
    range.Label3->setText(QStringLiteral("untouched"));
    type('5');
    type('6');
    QCOMPARE(range.Label3->text(), QStringLiteral("untouched"));
    QCOMPARE(range.state().weaponType, std::int16_t(3));
    QVERIFY(f->sound.calls.isEmpty());
    type('a');
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 20"));
    range.Label3->setText(QStringLiteral("untouched"));
    QTest::keyClick(range.Picture1, Qt::Key_Return);
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 20"));
    type('+');
    QCOMPARE(range.Timer1.interval(), 1000);
    QCOMPARE(range.state().score, std::int16_t(0));
}

void KeyboardBannerTest::speedKeysThroughRealEvents() {
    frmRange& range = *f->range;
    type('=');
    QCOMPARE(range.Timer1.interval(), 950);
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 20"));
    type('=');
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 21"));
    for (int i = 0; i < 30; ++i)
        type('=');
    QCOMPARE(range.Timer1.interval(), 1);
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 30"));
    type('-');
    QCOMPARE(range.Timer1.interval(), 51);
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 29"));
    for (int i = 0; i < 80; ++i)
        type('-');
    QCOMPARE(range.Timer1.interval(), 3000);
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 0"));
    QVERIFY(range.Timer1.isActive());
}

void KeyboardBannerTest::spaceClearsTheTargetAndTheScore() {
    frmRange& range = *f->range;
    range.Timer1.stop();
    for (int i = 0; i < 23; ++i)
        range.Picture1_MouseDown(1, 0, 1500, 1500);
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 2,300"));
    const QImage desktopWithMark = [&] {
        range.Form_MouseDown(1, 0, 9000, 6000);
        return range.backing().copy();
    }();
    QVERIFY(!range.Picture1->grab().toImage().isNull());
    type(' ');
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QCOMPARE(range.Timer1.interval(), 1000);
    QCOMPARE(range.state().weaponType, std::int16_t(3));
    // The target shows its photograph again; the desktop keeps its mark.
    const QImage shown = range.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage photo = range.Picture1->picture().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 200; x += 7)
            QCOMPARE(shown.pixel(x, y), photo.pixel(x, y));
    QCOMPARE(range.backing(), desktopWithMark);
}

void KeyboardBannerTest::keysNeedTheTargetsFocus() {
    frmRange& range = *f->range;
    range.Picture1->clearFocus();
    QTest::keyClick(&range, '=');
    QTest::keyClick(&range, '1');
    QCOMPARE(range.Timer1.interval(), 1000);
    QCOMPARE(range.state().weaponType, std::int16_t(3));
}

void KeyboardBannerTest::backspaceStopsTheTargetUntilClose() {
    frmRange& range = *f->range;
    range.Label2->setText(QStringLiteral("Bob"));
    bool wasStopped = false;
    QString captionInDialog;
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<frmSettings*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        wasStopped = !range.Timer1.isActive();
        captionInDialog = dialog->Text3->text();
        QTest::mouseClick(dialog->Command5, Qt::LeftButton);
    });
    range.Label3->setText(QStringLiteral("untouched"));
    QTest::keyClick(range.Picture1, Qt::Key_Backspace);
    QVERIFY(wasStopped);
    QCOMPARE(captionInDialog, QStringLiteral("Bob"));
    QVERIFY(range.Timer1.isActive());
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 20"));
}

void KeyboardBannerTest::bannerTurnsWithPauses() {
    frmRange& range = *f->range;
    range.Timer2.stop();
    const QImage& shown = range.Picture4->surface();
    // Frame 1, drawn by the load while the play field was hidden, left nothing when it showed.
    QImage blank(shown.size(), shown.format());
    blank.fill(range.Picture4->palette().color(QPalette::Window));
    QCOMPARE(shown, blank);
    // Each frame shows its bitmap exactly (as much as the box holds), whatever form the list
    // keeps it in.
    const auto bitmap = [&](int frame) {
        return QImage(QStringLiteral(":/imagelist2/%1.bmp").arg(frame))
            .copy(shown.rect())
            .convertToFormat(QImage::Format_RGB32);
    };
    range.Timer2_Timer();
    QCOMPARE(range.state().bannerFrame, std::int16_t(2));
    QCOMPARE(range.Timer2.interval(), 100);
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), bitmap(2));
    for (int i = 0; i < 3; ++i)
        range.Timer2_Timer();
    QCOMPARE(range.state().bannerFrame, std::int16_t(5));
    QCOMPARE(range.Timer2.interval(), 2000);
    for (int i = 0; i < 12; ++i)
        range.Timer2_Timer();
    QCOMPARE(range.state().bannerFrame, std::int16_t(1));
    QCOMPARE(range.Timer2.interval(), 100);
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), bitmap(1));
}

void KeyboardBannerTest::bannerClickOpensTheBrowser() {
    BannerBox* banner = f->range->Picture4;
    const QString address = QStringLiteral("http://www.deskwreck.example/");
    QStringList& started = f->browser.addresses;
    QTest::mouseClick(banner, Qt::RightButton);
    QTest::mousePress(banner, Qt::LeftButton);
    QCOMPARE(started, QStringList{address}); // a press alone is no click
    QTest::mouseRelease(banner, Qt::LeftButton);
    QCOMPARE(started, (QStringList{address, address}));
    // A press dragged off the box and released there is no click.
    QTest::mousePress(banner, Qt::LeftButton);
    QTest::mouseRelease(banner, Qt::LeftButton, {}, QPoint(banner->width() + 5, 5));
    QCOMPARE(started.size(), 2);
    // A double click is one click and a double click: press, release, double click, release.
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        started.clear();
        QTest::mouseClick(banner, button);
        QTest::mouseDClick(banner, button);
        QTest::mouseRelease(banner, button);
        QCOMPARE(started, QStringList{address});
    }
    QCOMPARE(f->programEnd.ends, 0);
    QVERIFY(f->messages.messages.isEmpty());
}

void KeyboardBannerTest::bannerClickWithoutBrowserShowsTheMessage() {
    f->browser.succeeds = false;
    QTest::mouseClick(f->range->Picture4, Qt::LeftButton);
    QCOMPARE(f->messages.messages,
             (QList<RecordedMessage>{
                 {QStringLiteral(
                      "An error was encountered while attempting to execute Internet Explorer."),
                  QStringLiteral("Error:"), MessageIcon::Critical}}));
    QCOMPARE(f->range->state().score, std::int16_t(0));
}

QTEST_MAIN(KeyboardBannerTest)
#include "test_keyboard_banner.moc"
