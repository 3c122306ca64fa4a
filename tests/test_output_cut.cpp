// Where one output lies in the portal's picture of the whole desktop layout, and how it is brought
// to that output's own device pixels: the measured two-output layout at scales 1 and 2, fractional
// scales, outputs left of or above the origin, outputs side by side sharing no pixel, a scale-1
// output upscaled in the picture coming back pixel for pixel, and GNOME's layout in device pixels.
#include "playfield/OutputCut.h"

#include <QtTest>

class OutputCutTest : public QObject {
    Q_OBJECT

  private slots:
    void measuredLayoutScalesOneAndTwo();
    void fractionalScales();
    void outputsBeforeTheOrigin();
    void outputsSideBySideShareNoPixel();
    void theOnlyOutputIsThePicture();
    void nothingToCut();
    void upscaledOutputComesBackPixelForPixel();
    void gnomeLaysOutputsOutInDevicePixels();
};

void OutputCutTest::measuredLayoutScalesOneAndTwo() {
    // 1280x800 at scale 1, and 1280x800 at scale 2 to its right: a 3840x1600 picture.
    const std::vector<QRect> outputs{{0, 0, 1280, 800}, {1280, 0, 640, 400}};
    const auto first = cutOutput({3840, 1600}, outputs, outputs[0], 1.0);
    QVERIFY(first);
    QCOMPARE(first->source, QRect(0, 0, 2560, 1600));
    QCOMPARE(first->target, QSize(1280, 800));
    const auto second = cutOutput({3840, 1600}, outputs, outputs[1], 2.0);
    QVERIFY(second);
    QCOMPARE(second->source, QRect(2560, 0, 1280, 800));
    QCOMPARE(second->target, QSize(1280, 800));
}

void OutputCutTest::fractionalScales() {
    // A picture at scale 1.5: the scale-1.5 output is cut as it is, the scale-1 one shrunk.
    const std::vector<QRect> outputs{{0, 0, 1280, 800}, {1280, 0, 1280, 800}};
    const auto plain = cutOutput({3840, 1200}, outputs, outputs[0], 1.0);
    QCOMPARE(plain->source, QRect(0, 0, 1920, 1200));
    QCOMPARE(plain->target, QSize(1280, 800));
    const auto scaled = cutOutput({3840, 1200}, outputs, outputs[1], 1.5);
    QCOMPARE(scaled->source, QRect(1920, 0, 1920, 1200));
    QCOMPARE(scaled->target, QSize(1920, 1200));
    // 1280x800 at 1.5 is 853x533 logical; in a picture at scale 2 it spans 1706x1066, and its
    // own pixels are 1279.5 x 799.5, which round half to even to 1280 x 800.
    const std::vector<QRect> mixed{{0, 0, 1280, 800}, {1280, 0, 853, 533}};
    const auto cut = cutOutput({4266, 1600}, mixed, mixed[1], 1.5);
    QCOMPARE(cut->source, QRect(2560, 0, 1706, 1066));
    QCOMPARE(cut->target, QSize(1280, 800));
    QCOMPARE(cutOutput({4266, 1600}, mixed, mixed[1], 1.25)->target, QSize(1066, 666));
}

void OutputCutTest::outputsBeforeTheOrigin() {
    // One output left of the primary, one above it.
    const std::vector<QRect> outputs{
        {-1024, 0, 1024, 768}, {0, 0, 1920, 1080}, {0, -600, 800, 600}};
    const QSize picture(2944, 1680);
    QCOMPARE(cutOutput(picture, outputs, outputs[0], 1.0)->source, QRect(0, 600, 1024, 768));
    QCOMPARE(cutOutput(picture, outputs, outputs[1], 1.0)->source, QRect(1024, 600, 1920, 1080));
    QCOMPARE(cutOutput(picture, outputs, outputs[2], 1.0)->source, QRect(1024, 0, 800, 600));
    QCOMPARE(cutOutput(picture * 2, outputs, outputs[2], 2.0)->source, QRect(2048, 0, 1600, 1200));
}

void OutputCutTest::outputsSideBySideShareNoPixel() {
    for (const double factor : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
        for (int width = 1; width <= 64; ++width) {
            for (int second = 1; second <= 9; ++second) {
                const std::vector<QRect> outputs{{0, 0, width, 10}, {width, 0, second, 10}};
                const QSize picture(int(std::nearbyint((width + second) * factor)),
                                    int(std::nearbyint(10 * factor)));
                const auto left = cutOutput(picture, outputs, outputs[0], factor);
                const auto right = cutOutput(picture, outputs, outputs[1], factor);
                QVERIFY(left && right);
                QCOMPARE(left->source.left(), 0);
                QCOMPARE(left->source.right() + 1, right->source.left());
                QCOMPARE(right->source.right() + 1, picture.width());
                QCOMPARE(left->source.height(), picture.height());
            }
        }
    }
}

void OutputCutTest::theOnlyOutputIsThePicture() {
    const std::vector<QRect> outputs{{0, 0, 1024, 768}};
    const auto cut = cutOutput({1024, 768}, outputs, outputs[0], 1.0);
    QCOMPARE(cut->source, QRect(0, 0, 1024, 768));
    QCOMPARE(cut->target, QSize(1024, 768));
    // The picture's own size tells its scale, even where the output claims another.
    QCOMPARE(cutOutput({2048, 1536}, outputs, outputs[0], 1.0)->source, QRect(0, 0, 2048, 1536));
}

void OutputCutTest::nothingToCut() {
    const std::vector<QRect> outputs{{0, 0, 1024, 768}};
    QVERIFY(!cutOutput({}, outputs, outputs[0], 1.0));
    QVERIFY(!cutOutput({1024, 768}, outputs, QRect(), 1.0));
    QVERIFY(!cutOutput({1024, 768}, outputs, outputs[0], 0.0));
    QVERIFY(cutOutOutput(QImage(), outputs, outputs[0], 1.0).isNull());
}

void OutputCutTest::upscaledOutputComesBackPixelForPixel() {
    QImage left(64, 40, QImage::Format_RGB32);
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x)
            left.setPixel(x, y, qRgb(x * 4, y * 6, (x * y) % 256));
    // The layout picture at scale 2: the scale-1 output doubled, the scale-2 one blue.
    QImage picture(192, 80, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 128; ++x)
            picture.setPixel(x, y, left.pixel(x / 2, y / 2));
    const std::vector<QRect> outputs{{0, 0, 64, 40}, {64, 0, 32, 20}};
    const QImage plain = cutOutOutput(picture, outputs, outputs[0], 1.0);
    QCOMPARE(plain.format(), QImage::Format_RGB32);
    QCOMPARE(plain.devicePixelRatio(), 1.0);
    QCOMPARE(plain, left);
    const QImage doubled = cutOutOutput(picture, outputs, outputs[1], 2.0);
    QCOMPARE(doubled.size(), QSize(64, 40));
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    QCOMPARE(doubled.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(doubled.pixel(63, 39), qRgb(0, 0, 255));
}

void OutputCutTest::gnomeLaysOutputsOutInDevicePixels() {
    // Mutter without scaled framebuffers reports a 1600x1000 monitor at scale 2 as 1600x1000 at
    // (0, 0), its windows get 800x500, and the portal's picture is 1600x1000: the monitor's own
    // pixels, 800x500 at a device pixel ratio of 2.
    const std::vector<QRect> single{{0, 0, 1600, 1000}};
    const auto alone = cutOutput({1600, 1000}, single, single[0], 2.0);
    QCOMPARE(alone->source, QRect(0, 0, 1600, 1000));
    QCOMPARE(alone->target, QSize(1600, 1000));
    // A 1280x800 monitor at scale 1 left of it: a 2880x1000 picture, each cut as it is.
    const std::vector<QRect> pair{{0, 0, 1280, 800}, {1280, 0, 1600, 1000}};
    const auto plain = cutOutput({2880, 1000}, pair, pair[0], 1.0);
    QCOMPARE(plain->source, QRect(0, 0, 1280, 800));
    QCOMPARE(plain->target, QSize(1280, 800));
    const auto doubled = cutOutput({2880, 1000}, pair, pair[1], 2.0);
    QCOMPARE(doubled->source, QRect(1280, 0, 1600, 1000));
    QCOMPARE(doubled->target, QSize(1600, 1000));
    QImage picture(2880, 1000, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QImage field = cutOutOutput(picture, pair, pair[1], 2.0);
    QCOMPARE(field.size(), QSize(1600, 1000));
    QCOMPARE(field.deviceIndependentSize(), QSizeF(800, 500));
    // A picture smaller than the layout is no device-pixel layout: it is brought up to scale.
    QCOMPARE(cutOutput({800, 500}, single, single[0], 2.0)->target, QSize(3200, 2000));
}

QTEST_MAIN(OutputCutTest)
#include "test_output_cut.moc"
