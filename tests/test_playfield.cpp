// The play field after loading, and shots and pointer moves through real mouse events: the
// snapshot and strip geometry, the score label, where each mark lands, which controls fire,
// the right button ending the game, and a launcher that follows the pointer and shows once.
#include "support/PlayFieldFixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

class PlayFieldTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { f.reset(); }

    void stateAfterLoad();
    void snapshotLeavesTopRowAndLeftColumn_data();
    void snapshotLeavesTopRowAndLeftColumn();
    void stripShowsTheDesktopBand();
    void noDesktopGrabShowsTheBackground();
    void screenReportedInDevicePixelsTakesTheSnapshotsSize();
    void missMarksTheDesktopAndCostsPoints();
    void hitMarksTheTargetAndEarnsPoints();
    void onlyTheWindowSystemsRepaintsWipeTargetAndBanner();
    void middleButtonFiresLikeTheLeft();
    void rightButtonEndsTheGameWithoutFiring();
    void otherControlsDoNotFire();
    void launcherFollowsThePointerAndShowsOnce();
    void moveOverTheTargetMovesTheGunToo();
    void frameInsideIsItsLightGrey();

  private:
    QPoint cellOf(float X, float Y) const {
        const units::ScreenMetrics m;
        return {m.toPixelsX(X), m.toPixelsY(Y)};
    }
    std::unique_ptr<PlayFieldFixture> f;
};

void PlayFieldTest::init() {
    f = std::make_unique<PlayFieldFixture>();
    f->range->Form_Load();
    f->range->Timer1.stop();
    f->range->show();
    QVERIFY(QTest::qWaitForWindowExposed(f->range.get()));
}

void PlayFieldTest::screenReportedInDevicePixelsTakesTheSnapshotsSize() {
    // GNOME at scale 2 reports its 2048x1536 monitor as 2048x1536 and the portal's picture holds
    // its 2048x1536 own pixels, 1024x768 at a device pixel ratio of 2: the field is 1024x768.
    PlayFieldFixture gnome({2048, 1536});
    QImage picture = PlayFieldFixture::testDesktop({2048, 1536});
    picture.setDevicePixelRatio(2.0);
    gnome.desktop = FixedDesktopSource(picture);
    gnome.range->Form_Load();
    gnome.range->Timer1.stop();
    const PlayFieldState& s = gnome.range->state();
    QCOMPARE(s.screenWidth, 15360);
    QCOMPARE(s.screenHeight, 11520);
    QCOMPARE(s.stripTop, 724);
    QCOMPARE(gnome.range->size(), QSize(1024, 768));
    QCOMPARE(gnome.range->Picture2->geometry(), QRect(0, 724, 1024, 44));
}

void PlayFieldTest::stateAfterLoad() {
    const frmRange& range = *f->range;
    const PlayFieldState& s = range.state();
    QCOMPARE(s.score, std::int16_t(0));
    QCOMPARE(s.weaponType, std::int16_t(3));
    QCOMPARE(s.gunImage, std::int16_t(5));
    QCOMPARE(s.bannerFrame, std::int16_t(1));
    QCOMPARE(s.gunHalfWidth, std::int16_t(588));
    QCOMPARE(s.stripTop, 724);
    QCOMPARE(s.screenWidth, 15360);
    QCOMPARE(s.screenHeight, 11520);
    QCOMPARE(range.Picture2->Height(), 661.5f);
    QCOMPARE(range.Picture2->Width(), 15360.0f);
    QCOMPARE(range.Picture2->Top(), 10858.5f);
    QCOMPARE(range.Picture2->geometry(), QRect(0, 724, 1024, 44));
    QCOMPARE(range.Picture3->Height(), 661.5f);
    QVERIFY(range.Picture3->isHidden());
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QCOMPARE(range.Label3->text(), QStringLiteral("Speed: 20"));
    QCOMPARE(range.Label2->text(), QStringLiteral("Welcome"));
    QCOMPARE(range.Picture1->Width(), 3195.0f);
    QCOMPARE(range.Picture1->Height(), 3975.0f);
    QCOMPARE(range.Frame1->title(), QStringLiteral("Deskwreck! V2.0"));
    QCOMPARE(range.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(range.geometry(), QRect(0, 0, 1024, 768));
    QCOMPARE(range.cursor().shape(), Qt::CrossCursor);
    QVERIFY(range.Timer1.interval() == 1000 && range.Timer2.isActive());
    QCOMPARE(f->sound.calls, QStringList{QStringLiteral("open shoot.wav")});
    QCOMPARE(QApplication::focusWidget(), range.Picture1);
}

// A snapshot of the form's size in the backing's own format becomes the backing; any other is
// copied. Either way the result is the same, and the grabbed picture is left as it was.
void PlayFieldTest::snapshotLeavesTopRowAndLeftColumn_data() {
    QTest::addColumn<QImage>("desktop");
    const QImage stripes = PlayFieldFixture::testDesktop({1024, 768});
    QTest::newRow("taken over") << stripes;
    QTest::newRow("16-bit, copied") << stripes.convertToFormat(QImage::Format_RGB16);
    QTest::newRow("larger, copied") << PlayFieldFixture::testDesktop({1100, 800});
}

void PlayFieldTest::snapshotLeavesTopRowAndLeftColumn() {
    QFETCH(QImage, desktop);
    const QImage grabbed = desktop.copy();
    PlayFieldFixture other;
    other.desktop = FixedDesktopSource(desktop);
    other.range->Form_Load();

    const QRgb background = other.range->palette().color(QPalette::Window).rgb();
    QImage expected(1024, 768, QImage::Format_RGB32);
    expected.fill(background);
    QPainter(&expected).drawImage(QPoint(1, 1), desktop.convertToFormat(QImage::Format_RGB32),
                                  QRect(1, 1, 1023, 767));
    QCOMPARE(other.range->backing(), expected);
    QCOMPARE(other.desktop.grab(), grabbed);
}

void PlayFieldTest::stripShowsTheDesktopBand() {
    const QImage band = f->desktop.grab().copy(0, 724, 1024, 44);
    QCOMPARE(f->range->Picture2->backing().convertToFormat(QImage::Format_RGB32), band);
    QCOMPARE(f->range->Picture3->backing().convertToFormat(QImage::Format_RGB32), band);
}

void PlayFieldTest::noDesktopGrabShowsTheBackground() {
    PlayFieldFixture blank({1024, 768}, false);
    blank.range->Form_Load();
    const QRgb background = blank.range->palette().color(QPalette::Window).rgb();
    const QImage& backing = blank.range->backing();
    QCOMPARE(backing.size(), QSize(1024, 768));
    QCOMPARE(backing.pixel(512, 384), background);
    QCOMPARE(blank.range->Label3->text(), QStringLiteral("Speed: 20"));
}

void PlayFieldTest::missMarksTheDesktopAndCostsPoints() {
    frmRange& range = *f->range;
    const QImage before = range.backing().copy();
    f->sound.calls.clear();
    QTest::mouseClick(&range, Qt::LeftButton, {}, QPoint(700, 400));
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QCOMPARE(f->sound.calls, (QStringList{"play shoot.wav", "prev shoot.wav"}));
    // The bullet hole is pulled up and left by floor(1958 / 3.5) and floor(1799 / 4.5).
    const QRect cell(cellOf(10500 - 559, 6000 - 399), range.ImageList1.cellSize());
    const QRect changed = changedPixels(before, range.backing());
    QVERIFY2(cell.contains(changed), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                    .arg(changed.x())
                                                    .arg(changed.y())
                                                    .arg(changed.width())
                                                    .arg(changed.height())));
    QVERIFY(changed.width() > cell.width() / 2 && changed.height() > cell.height() / 2);
}

void PlayFieldTest::hitMarksTheTargetAndEarnsPoints() {
    frmRange& range = *f->range;
    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(range.Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 1,000"));
    QTest::mouseClick(&range, Qt::LeftButton, {}, QPoint(700, 400));
    QTest::mouseClick(range.Picture1, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 1,000"));
    // The mark is on the target's own surface, not in the desktop behind it.
    const QImage& marks = range.Picture1->marks();
    const QRect cell(cellOf(1500 - 559, 1500 - 399), range.ImageList1.cellSize());
    const QRect changed = changedPixels(QImage(marks.size(), marks.format()).copy(), marks);
    QVERIFY(!changed.isEmpty());
    int painted = 0;
    for (int y = 0; y < marks.height(); ++y)
        for (int x = 0; x < marks.width(); ++x)
            if (qAlpha(marks.pixel(x, y)) != 0) {
                QVERIFY(cell.contains(x, y));
                ++painted;
            }
    QVERIFY(painted > 100);
}

// Marks and banner frames last through the game's own repaints (a jump, a mark, a frame) and
// are lost where the window system repaints the window, as when it is uncovered.
void PlayFieldTest::onlyTheWindowSystemsRepaintsWipeTargetAndBanner() {
    frmRange& range = *f->range;
    TargetBox& target = *range.Picture1;
    const auto painted = [&](QRect part) {
        int count = 0;
        for (int y = part.top(); y <= part.bottom(); ++y)
            for (int x = part.left(); x <= part.right(); ++x)
                count += qAlpha(target.marks().pixel(x, y)) != 0;
        return count;
    };
    const QRect corner(0, 0, 100, 100);
    const QRect rest(100, 100, target.width() - 100, target.height() - 100);
    range.Picture1_MouseDown(1, 0, 750, 750);
    range.Picture1_MouseDown(1, 0, 2400, 3000);
    range.Timer1_Timer();
    range.Timer2_Timer();
    range.repaint();
    const int inCorner = painted(corner);
    const int inRest = painted(rest);
    QVERIFY(inCorner > 100 && inRest > 100);
    const QImage frame = range.Picture4->surface().copy();

    const QRect bannerLeft(range.Picture4->mapTo(&range, QPoint(0, 0)), QSize(200, 100));
    QExposeEvent expose(QRegion(QRect(target.pos(), corner.size())) | bannerLeft);
    QCoreApplication::sendEvent(range.windowHandle(), &expose);
    QCOMPARE(painted(corner), 0);
    QCOMPARE(painted(rest), inRest);
    const QImage& banner = range.Picture4->surface();
    const QColor background = range.Picture4->palette().color(QPalette::Window);
    const QPoint inside = range.Picture4->contentsRect().topLeft();
    QCOMPARE(banner.pixelColor(QPoint(150, 20) - inside), background);
    QCOMPARE(banner.pixel(300, 20), frame.pixel(300, 20));
    range.Timer2_Timer();
    QVERIFY(banner.pixelColor(QPoint(150, 20) - inside) != background);
}

void PlayFieldTest::middleButtonFiresLikeTheLeft() {
    frmRange& range = *f->range;
    QTest::mouseClick(range.Picture1, Qt::MiddleButton, {}, QPoint(50, 50));
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 100"));
    const QImage before = range.backing().copy();
    QTest::mouseClick(&range, Qt::MiddleButton, {}, QPoint(700, 400));
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QVERIFY(!changedPixels(before, range.backing()).isEmpty());
}

void PlayFieldTest::rightButtonEndsTheGameWithoutFiring() {
    frmRange& range = *f->range;
    QTest::mouseClick(range.Picture1, Qt::LeftButton, {}, QPoint(50, 50));
    f->sound.calls.clear();
    const QImage before = range.backing().copy();
    QTest::mouseClick(range.Picture1, Qt::RightButton, {}, QPoint(60, 60));
    QCOMPARE(f->programEnd.ends, 1);
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 100"));
    QTest::mouseClick(&range, Qt::RightButton, {}, QPoint(700, 400));
    QCOMPARE(f->programEnd.ends, 2);
    // On the desktop the miss is counted before the game ends, but nothing is fired.
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QVERIFY(f->sound.calls.isEmpty());
    QCOMPARE(range.backing(), before);
}

void PlayFieldTest::otherControlsDoNotFire() {
    frmRange& range = *f->range;
    const QImage before = range.backing().copy();
    for (QWidget* control :
         {static_cast<QWidget*>(range.Label1), static_cast<QWidget*>(range.Label3),
          static_cast<QWidget*>(range.Label4), static_cast<QWidget*>(range.Label2),
          static_cast<QWidget*>(range.Frame1), static_cast<QWidget*>(range.Picture2)}) {
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(control, Qt::RightButton, {}, QPoint(3, 3));
    }
    QCOMPARE(f->programEnd.ends, 0);
    QCOMPARE(range.Label1->text(), QStringLiteral("Score: 0"));
    QCOMPARE(range.backing(), before);
    QCOMPARE(f->sound.calls.size(), 1);
}

void PlayFieldTest::launcherFollowsThePointerAndShowsOnce() {
    frmRange& range = *f->range;
    const QImage clean = range.Picture3->backing().copy();
    QTest::mouseMove(&range, QPoint(700, 400));
    QTest::mouseMove(&range, QPoint(300, 500));
    // Only the latest launcher differs from the clean band: at 4500 - 588 twips.
    const QRect changed = changedPixels(clean, range.Picture2->backing());
    const QRect cell(cellOf(4500 - 588, 0), range.ImageList1.cellSize());
    QVERIFY(!changed.isEmpty());
    QVERIFY(cell.contains(changed));
    // At the left edge the launcher stops at the strip's edge.
    QTest::mouseMove(&range, QPoint(0, 500));
    QVERIFY(QRect(QPoint(0, 0), range.ImageList1.cellSize())
                .contains(changedPixels(clean, range.Picture2->backing())));
    QCOMPARE(range.state().gunHalfWidth, std::int16_t(588));
    // Moves over the strip itself leave the launcher where it is.
    const QImage shown = range.Picture2->backing().copy();
    QTest::mouseMove(range.Picture2, QPoint(600, 10));
    QCOMPARE(range.Picture2->backing(), shown);
}

void PlayFieldTest::moveOverTheTargetMovesTheGunToo() {
    frmRange& range = *f->range;
    range.Picture1->setLeft(4005);
    range.Picture1_MouseMove(0, 0, 1005, 10);
    const QImage overTarget = range.Picture2->backing().copy();
    range.Form_MouseMove(0, 0, 1, 1);
    range.Form_MouseMove(0, 0, 5010, 10);
    QCOMPARE(range.Picture2->backing(), overTarget);
}

QTEST_MAIN(PlayFieldTest)
#include "test_playfield.moc"

// The style's group-box frame shades its inside; the frame shows its own back colour, exactly.
void PlayFieldTest::frameInsideIsItsLightGrey() {
    const QImage frame = f->range->Frame1->grab().toImage();
    // Between the banner and the labels, right of the speed, below the labels, near each edge.
    for (const QPoint at : {QPoint(60, 76), QPoint(228, 100), QPoint(50, 112), QPoint(400, 112),
                            QPoint(5, 60), QPoint(466, 60)})
        QCOMPARE(QColor(frame.pixel(at)), QColor(192, 192, 192));
}
