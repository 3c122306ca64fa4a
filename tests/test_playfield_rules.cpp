// The play field's arithmetic: strip layout, target placement, mark offsets, score, gun strip,
// speed and banner timing, at the edge numbers the game is built around.
#include "components/Units.h"
#include "playfield/Rules.h"

#include <QtTest>

using namespace rules;

class PlayFieldRulesTest : public QObject {
    Q_OBJECT

  private slots:
    void stripLayoutOn1024x768();
    void pictureSizesInHimetric();
    void placesInPixels();
    void loadSpeedTextIsShortestDecimal();
    void placementStaysBetweenFrameAndStrip();
    void placementOfOversizedTargets();
    void markOffsetsPerWeapon();
    void markOffsetsClampAtTheCorner();
    void scoreNeverNegativeNorWraps();
    void scoreTextGroupsThousands();
    void gunClampSequence();
    void gunArithmeticSaturates();
    void speedKeys();
    void weaponKeys();
    void bannerCycle();
};

void PlayFieldRulesTest::stripLayoutOn1024x768() {
    const units::ScreenMetrics metrics; // 96 dpi, 15 twips a pixel
    const int h5 = metrics.himetricHeight(100);
    QCOMPARE(h5, 2646);
    QCOMPARE(stripHeight(h5), 661.5);
    QCOMPARE(stripTop(11520, 15, h5), 724); // R(768 - 44.1)
    QCOMPARE(11520 - float(stripHeight(h5)), 10858.5f);
    QCOMPARE(normalGunHalfWidth(2646), std::int16_t(588));
    QCOMPARE(metrics.toPixelsY(661.5), 44);
}

void PlayFieldRulesTest::pictureSizesInHimetric() {
    const units::ScreenMetrics at96;
    QCOMPARE(at96.himetricWidth(100), 2646);
    QCOMPARE(at96.himetricWidth(74), 1958);
    QCOMPARE(at96.himetricHeight(68), 1799);
    QCOMPARE(at96.himetricWidth(84), 2222); // 2222.5, half to even
    const units::ScreenMetrics at144{144, 144};
    QCOMPARE(at144.twipsPerPixelX(), 10.0);
    QCOMPARE(at144.himetricWidth(100), 1764);
}

void PlayFieldRulesTest::placesInPixels() {
    const units::ScreenMetrics at96; // 15 twips a pixel
    // 1.5, 2.5, 3.5 and 0.5 pixels: each number to its even neighbour on its own.
    QCOMPARE(units::toPixels(at96, 22.5, 37.5, 52.5, 7.5), QRect(2, 2, 4, 0));
    // Sides held to 0..32767 pixels; the corner is not held.
    QCOMPARE(units::toPixels(at96, -15, 491520, 491520, 491505), QRect(-1, 32768, 32767, 32767));
    QCOMPARE(units::toPixels(at96, 0, 0, -15, -22.5), QRect(0, 0, 0, 0));
}

void PlayFieldRulesTest::loadSpeedTextIsShortestDecimal() {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(loadSpeedText(1000, english), QStringLiteral("Speed: 20"));
    QCOMPARE(loadSpeedText(950, english), QStringLiteral("Speed: 20.5"));
    QCOMPARE(loadSpeedText(1, english), QStringLiteral("Speed: 29.99"));
    QCOMPARE(loadSpeedText(950, QLocale(QLocale::German, QLocale::Germany)),
             QStringLiteral("Speed: 20,5"));
}

void PlayFieldRulesTest::placementStaysBetweenFrameAndStrip() {
    const TargetRoom room{15360, 11520, 3195, 3975, 661.5f, 0, 1815};
    QCOMPARE(placeTarget(0, 0, room).x, 0);
    QCOMPARE(placeTarget(0, 0, room).y, 1815);
    // Just below and above the right limit of 12165.
    QCOMPARE(placeTarget(12165.0f / 15360, 0.5f, room).x, 12165);
    QCOMPARE(placeTarget(0.9f, 0.5f, room).x, 12165);
    QCOMPARE(placeTarget(0.5f, 0.9999999f, room).y, 6884); // R(6883.5)
    int rightLimitHits = 0;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const float r1 = float(random() >> 8) / 16777216.0f;
        const float r2 = float(random() >> 8) / 16777216.0f;
        const TargetPlace place = placeTarget(r1, r2, room);
        QVERIFY(place.x >= 0 && place.x <= 12165);
        QVERIFY(place.y >= 1815 && place.y <= 6884);
        rightLimitHits += place.x == 12165;
    }
    // The right limit takes every draw past it: about 3195 / 15360 of them.
    QVERIFY(rightLimitHits > 20000 * 0.19 && rightLimitHits < 20000 * 0.23);
}

void PlayFieldRulesTest::placementOfOversizedTargets() {
    const TargetRoom tall{15360, 11520, 3195, 9500, 661.5f, 0, 1815};
    for (float r2 : {0.0f, 0.3f, 0.99f})
        QCOMPARE(placeTarget(0.2f, r2, tall).y, 1815);
    const TargetRoom wide{15360, 11520, 20000, 3975, 661.5f, 0, 1815};
    for (float r1 : {0.0f, 0.5f, 0.99f})
        QCOMPARE(placeTarget(r1, 0.5f, wide).x, -4640);
}

void PlayFieldRulesTest::markOffsetsPerWeapon() {
    const ShotPoint shot{5000, 4000};
    // Darts: no offset at all.
    QCOMPARE(markPosition(1, shot, 0, 0).X, 5000.0f);
    QCOMPARE(offsetImageFor(1), 0);
    // Kisses: lips 84 x 40 px -> 2222 x 1058 HIMETRIC.
    QCOMPARE(offsetImageFor(2), 2);
    QCOMPARE(markPosition(2, shot, 2222, 1058).X, 5000.0f - 740);
    QCOMPARE(markPosition(2, shot, 2222, 1058).Y, 4000.0f - 352);
    // Shotgun: bullet hole 1958 x 1799.
    QCOMPARE(offsetImageFor(3), 3);
    QCOMPARE(markPosition(3, shot, 1958, 1799).X, 5000.0f - 559);
    QCOMPARE(markPosition(3, shot, 1958, 1799).Y, 4000.0f - 399);
    // Suction cups take the bullet hole's size, not their own.
    QCOMPARE(offsetImageFor(4), 3);
    QCOMPARE(markPosition(4, shot, 1958, 1799).X, 5000.0f - 356); // floor(1958 / 5.5)
    QCOMPARE(markPosition(4, shot, 1958, 1799).Y, 4000.0f - 276); // floor(1799 / 6.5)
    // Fractions of a twip survive in single precision.
    QCOMPARE(markPosition(3, {1000.5f, 1000.25f}, 1958, 1799).X, 441.5f);
}

void PlayFieldRulesTest::markOffsetsClampAtTheCorner() {
    QCOMPARE(markPosition(2, {0, 0}, 2222, 1058).X, 0.0f);
    QCOMPARE(markPosition(2, {0, 0}, 2222, 1058).Y, 0.0f);
    QCOMPARE(markPosition(3, {100, 5000}, 1958, 1799).X, 0.0f);
    QCOMPARE(markPosition(3, {100, 5000}, 1958, 1799).Y, 4601.0f);
    // Darts are never clamped: the dart hangs from the shot point.
    QCOMPARE(markPosition(1, {-15, -30}, 0, 0).Y, -30.0f);
}

void PlayFieldRulesTest::scoreNeverNegativeNorWraps() {
    QCOMPARE(scoreAfterMiss(0), std::int16_t(0));
    QCOMPARE(scoreAfterMiss(100), std::int16_t(0));
    QCOMPARE(scoreAfterHit(scoreAfterMiss(500)), std::int16_t(500));
    QCOMPARE(scoreAfterHit(scoreAfterMiss(0)), std::int16_t(100));
    QCOMPARE(scoreAfterHit(32600), std::int16_t(32700));
    QCOMPARE(scoreAfterHit(32700), std::int16_t(32700));
}

void PlayFieldRulesTest::scoreTextGroupsThousands() {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    std::int16_t score = 0;
    QCOMPARE(scoreText(score, english), QStringLiteral("Score: 0"));
    for (int i = 0; i < 10; ++i)
        score = scoreAfterHit(score);
    QCOMPARE(scoreText(score, english), QStringLiteral("Score: 1,000"));
    QCOMPARE(scoreText(32700, english), QStringLiteral("Score: 32,700"));
    QCOMPARE(scoreText(1200, QLocale(QLocale::German, QLocale::Germany)),
             QStringLiteral("Score: 1.200"));
}

void PlayFieldRulesTest::gunClampSequence() {
    std::int16_t halfWidth = normalGunHalfWidth(2646);
    GunDraw draw = gunDraw(0, halfWidth);
    QCOMPARE(draw.left, 0.0f);
    QCOMPARE(draw.halfWidthUsed, std::int16_t(0));
    halfWidth = normalGunHalfWidth(2646); // reset after the draw
    QCOMPARE(gunDraw(1995, halfWidth).left, 1407.0f);
    QCOMPARE(gunDraw(300, 588).left, 0.0f);
    QCOMPARE(gunDraw(300, 588).halfWidthUsed, std::int16_t(300));
    QCOMPARE(gunDraw(300.5f, 588).halfWidthUsed, std::int16_t(300)); // half to even
    QCOMPARE(gunDraw(301.5f, 588).left, -0.5f);
    QCOMPARE(gunDraw(588, 588).left, 0.0f); // not strictly greater: no clamp
    // A move over the target at Left 4000 plus 1005 is a move at 5005.
    QCOMPARE(gunDraw(4000.0f + 1005.0f, 588).left, gunDraw(5005, 588).left);
}

// A press dragged onto a monitor to the left of the field moves the pointer far past its edge.
void PlayFieldRulesTest::gunArithmeticSaturates() {
    QCOMPARE(gunDraw(-40000.0f, 588).halfWidthUsed, std::int16_t(-32768));
    QCOMPARE(gunDraw(-40000.0f, 588).left, -7232.0f);
    QCOMPARE(gunDraw(-32768.5f, 588).halfWidthUsed, std::int16_t(-32768));
    QCOMPARE(normalGunHalfWidth(200000), std::int16_t(32767));
}

void PlayFieldRulesTest::speedKeys() {
    QCOMPARE(nextInterval('=', 1000), 950);
    QCOMPARE(speedText(950), QStringLiteral("Speed: 20"));
    QCOMPARE(nextInterval('=', 950), 900);
    QCOMPARE(speedText(900), QStringLiteral("Speed: 21"));
    QCOMPARE(nextInterval('-', 1000), 1050);
    QCOMPARE(speedText(1050), QStringLiteral("Speed: 20"));
    QCOMPARE(nextInterval('=', 50), 1);
    QCOMPARE(speedText(1), QStringLiteral("Speed: 30"));
    QCOMPARE(nextInterval('-', 1), 51);
    QCOMPARE(speedText(51), QStringLiteral("Speed: 29"));
    QCOMPARE(nextInterval('-', 3000), 3000);
    QCOMPARE(speedText(3000), QStringLiteral("Speed: 0"));
    QCOMPARE(nextInterval('+', 1000), 1000);
    QCOMPARE(nextInterval('a', 1234), 1234);
}

void PlayFieldRulesTest::weaponKeys() {
    const char* sounds[] = {"dart.wav", "love.wav", "shoot.wav", "succ.wav"};
    const std::int16_t launchers[] = {9, 8, 5, 6};
    for (std::int16_t type = 1; type <= 4; ++type) {
        const auto weapon = weaponForKey(std::int16_t('0' + type));
        QVERIFY(weapon);
        QCOMPARE(weapon->weaponType, type);
        QCOMPARE(QString::fromLatin1(weapon->soundFile), QString::fromLatin1(sounds[type - 1]));
        QCOMPARE(weapon->gunImage, launchers[type - 1]);
    }
    QVERIFY(!weaponForKey('5'));
    QVERIFY(!weaponForKey('0'));
    QVERIFY(isDeadKey('5') && isDeadKey('6') && !isDeadKey('7'));
}

void PlayFieldRulesTest::bannerCycle() {
    std::int16_t frame = 1; // drawn at load; the first tick comes after 1000 ms
    int total = 0;
    QList<int> pauses;
    for (int tick = 0; tick < 16 * 3; ++tick) {
        const BannerStep step = nextBannerFrame(frame);
        QCOMPARE(step.frame, std::int16_t(frame % 16 + 1));
        frame = step.frame;
        total += step.intervalMs;
        if (step.intervalMs == 2000)
            pauses << frame;
    }
    QCOMPARE(total, 3 * 7300);
    QCOMPARE(pauses, (QList<int>{5, 11, 16, 5, 11, 16, 5, 11, 16}));
    QCOMPARE(nextBannerFrame(16).frame, std::int16_t(1));
    QCOMPARE(nextBannerFrame(16).intervalMs, 100);
    QCOMPARE(nextBannerFrame(15).intervalMs, 2000);
}

QTEST_APPLESS_MAIN(PlayFieldRulesTest)
#include "test_playfield_rules.moc"
