// The pictures and sounds the game ships: every image's size, depth and background; the mask
// colour never blending into a mark's edge; the banner's three scenes; the waves' format, length
// and instant attack; and the committed files being exactly what the generator makes.

#include "resources/BannerAddress.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr QRgb kMask = 0xff0000ff;

QString resourcePath(const QString& name) {
    return qEnvironmentVariable("DESKWRECK_SOURCE_DIR") + QStringLiteral("/resources/") + name;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 le16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

struct Bmp {
    int width = 0, height = 0, bitsPerPixel = 0;
    QImage image;
};

Bmp loadBmp(const QString& name) {
    const QByteArray bytes = readAll(resourcePath(name));
    Bmp bmp;
    if (bytes.size() < 54 || !bytes.startsWith("BM"))
        return bmp;
    bmp.width = int(le32(bytes, 18));
    bmp.height = int(le32(bytes, 22));
    bmp.bitsPerPixel = le16(bytes, 28);
    bmp.image = QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32);
    return bmp;
}

QList<QPoint> corners(const QImage& image) {
    return {{0, 0},
            {image.width() - 1, 0},
            {0, image.height() - 1},
            {image.width() - 1, image.height() - 1}};
}

bool isMask(const QImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
           (image.pixel(x, y) | 0xff000000) == kMask;
}

bool touchesMask(const QImage& image, int x, int y) {
    return isMask(image, x - 1, y) || isMask(image, x + 1, y) || isMask(image, x, y - 1) ||
           isMask(image, x, y + 1);
}

// How much bluer than grey a colour is.
int blueness(QRgb c) {
    return qBlue(c) - (qRed(c) + qGreen(c)) / 2;
}

// Whether p is, within a few levels, q mixed with a fair share of the mask's blue.
bool isBlueMixOf(QRgb p, QRgb q) {
    const double d[3] = {double(qRed(p) - qRed(q)), double(qGreen(p) - qGreen(q)),
                         double(qBlue(p) - qBlue(q))};
    const double toBlue[3] = {double(-qRed(q)), double(-qGreen(q)), double(255 - qBlue(q))};
    const double span = toBlue[0] * toBlue[0] + toBlue[1] * toBlue[1] + toBlue[2] * toBlue[2];
    if (span < 60 * 60)
        return false;
    const double t = (d[0] * toBlue[0] + d[1] * toBlue[1] + d[2] * toBlue[2]) / span;
    double residual = 0;
    for (int i = 0; i < 3; ++i)
        residual = std::max(residual, std::abs(d[i] - t * toBlue[i]));
    return t >= 0.2 && residual <= 16;
}

bool isNear(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 16 && std::abs(qGreen(a) - qGreen(b)) <= 16 &&
           std::abs(qBlue(a) - qBlue(b)) <= 16;
}

// Shape pixels on the mask's edge that look mixed with the mask: mostly blue outright, or an
// inner neighbour's colour pulled towards blue while no inner neighbour has their own colour.
int blueFringePixels(const QImage& image) {
    int fringe = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isMask(image, x, y) || !touchesMask(image, x, y))
                continue;
            const QRgb p = image.pixel(x, y);
            bool mixed = false, shapeColour = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= image.width() || ny >= image.height() ||
                        isMask(image, nx, ny) || touchesMask(image, nx, ny))
                        continue;
                    const QRgb q = image.pixel(nx, ny);
                    mixed = mixed || isBlueMixOf(p, q);
                    shapeColour = shapeColour || isNear(p, q);
                }
            if (blueness(p) > 120 || (mixed && !shapeColour))
                ++fringe;
        }
    }
    return fringe;
}

int whitePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) | 0xff000000) == 0xffffffff;
    return count;
}

QRect whiteBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xff000000) == 0xffffffff)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

int pixelsNear(const QImage& image, QColor colour, int tolerance) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += std::abs(qRed(c) - colour.red()) <= tolerance &&
                     std::abs(qGreen(c) - colour.green()) <= tolerance &&
                     std::abs(qBlue(c) - colour.blue()) <= tolerance;
        }
    return count;
}

struct Wave {
    QByteArray bytes;
    QList<qint16> samples;
};

Wave loadWave(const QString& name) {
    Wave wave;
    wave.bytes = readAll(resourcePath(QStringLiteral("sounds/") + name));
    for (int at = 44; at + 1 < wave.bytes.size(); at += 2)
        wave.samples.append(qint16(le16(wave.bytes, at)));
    return wave;
}

QStringList generatedFiles() {
    QStringList names;
    for (int i = 1; i <= 9; ++i)
        names << QStringLiteral("imagelist1/%1.bmp").arg(i);
    for (int i = 1; i <= 16; ++i)
        names << QStringLiteral("imagelist2/%1.bmp").arg(i);
    names << "target.bmp"
          << "start/splash.bmp"
          << "start/dart.bmp"
          << "start/suctiondart.bmp";
    for (const char* wave : {"shoot", "dart", "love", "succ", "guit"})
        names << QStringLiteral("sounds/%1.wav").arg(QLatin1String(wave));
    for (int size : {16, 32, 48, 64, 128, 256})
        names << QStringLiteral("icons/%1x%1/deskwreck.png").arg(size);
    return names;
}

} // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

  private slots:
    void imageList1_hasItsSizesDepthsAndMaskBackground_data();
    void imageList1_hasItsSizesDepthsAndMaskBackground();
    void imageList1_blankImageIsMaskOnly();
    void imageList1_edgesNeverBlendWithTheMask();
    void fringeCheck_catchesAMarkBlendedIntoTheMask();
    void bannerFrames_areWhiteSegmentsOnBlue();
    void bannerFrames_playTheirThreeScenes();
    void target_isAFigureOnBlueVioletAboveTheCaption();
    void startPictures_keepTheirSubjectInTheShownPart_data();
    void startPictures_keepTheirSubjectInTheShownPart();
    void icons_comeInEverySize();
    void waves_arePcmAndStartAtOnce_data();
    void waves_arePcmAndStartAtOnce();
    void bannerAddress_isTheReservedExampleSite();
    void committedFiles_areWhatTheGeneratorMakes();
};

void ResourcesTest::imageList1_hasItsSizesDepthsAndMaskBackground_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bits");
    const QSize launcher(100, 100);
    const QList<QSize> sizes = {{79, 46}, {84, 40}, {74, 68}, {80, 80}, launcher,
                                launcher, launcher, launcher, launcher};
    for (int i = 1; i <= 9; ++i)
        QTest::addRow("image %d", i) << i << sizes[i - 1] << (i == 1 ? 8 : 24);
}

void ResourcesTest::imageList1_hasItsSizesDepthsAndMaskBackground() {
    QFETCH(int, index);
    QFETCH(QSize, size);
    QFETCH(int, bits);
    const Bmp bmp = loadBmp(QStringLiteral("imagelist1/%1.bmp").arg(index));
    QCOMPARE(QSize(bmp.width, bmp.height), size);
    QCOMPARE(bmp.bitsPerPixel, bits);
    QCOMPARE(bmp.image.size(), size);
    for (QPoint corner : corners(bmp.image))
        QCOMPARE(bmp.image.pixel(corner) | 0xff000000, kMask);
    if (index != 7)
        QVERIFY(pixelsNear(bmp.image, QColor(0, 0, 255), 0) <
                size.width() * size.height() * 9 / 10);
}

void ResourcesTest::imageList1_blankImageIsMaskOnly() {
    const Bmp blank = loadBmp(QStringLiteral("imagelist1/7.bmp"));
    QCOMPARE(pixelsNear(blank.image, QColor(0, 0, 255), 0), 100 * 100);
}

void ResourcesTest::imageList1_edgesNeverBlendWithTheMask() {
    for (int i = 1; i <= 9; ++i) {
        const Bmp bmp = loadBmp(QStringLiteral("imagelist1/%1.bmp").arg(i));
        QVERIFY(!bmp.image.isNull());
        QCOMPARE(blueFringePixels(bmp.image), 0);
    }
}

void ResourcesTest::fringeCheck_catchesAMarkBlendedIntoTheMask() {
    // The same bullet hole, its edge mixed half and half with the mask, as a smoothing filter
    // would leave it.
    const QImage clean = loadBmp(QStringLiteral("imagelist1/3.bmp")).image;
    QImage fringed = clean;
    for (int y = 0; y < clean.height(); ++y)
        for (int x = 0; x < clean.width(); ++x)
            if (!isMask(clean, x, y) && touchesMask(clean, x, y)) {
                const QRgb c = clean.pixel(x, y);
                fringed.setPixel(x, y, qRgb(qRed(c) / 2, qGreen(c) / 2, (qBlue(c) + 255) / 2));
            }
    QVERIFY(blueFringePixels(fringed) > 100);
}

void ResourcesTest::bannerFrames_areWhiteSegmentsOnBlue() {
    for (int i = 1; i <= 16; ++i) {
        const Bmp bmp = loadBmp(QStringLiteral("imagelist2/%1.bmp").arg(i));
        QCOMPARE(QSize(bmp.width, bmp.height), QSize(468, 60));
        QCOMPARE(bmp.bitsPerPixel, 24);
        for (QPoint corner : corners(bmp.image))
            QCOMPARE(bmp.image.pixel(corner) | 0xff000000, kMask);
        QVERIFY(whitePixels(bmp.image) > 200);
        // Only white, blue and the shades between them.
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 468; ++x) {
                const QRgb c = bmp.image.pixel(x, y);
                if (qRed(c) != qGreen(c) || qBlue(c) != 255)
                    QFAIL(qPrintable(QStringLiteral("frame %1 has (%2, %3, %4) at %5, %6")
                                         .arg(i)
                                         .arg(qRed(c))
                                         .arg(qGreen(c))
                                         .arg(qBlue(c))
                                         .arg(x)
                                         .arg(y)));
            }
    }
}

void ResourcesTest::bannerFrames_playTheirThreeScenes() {
    QList<QImage> frames{QImage()};
    for (int i = 1; i <= 16; ++i)
        frames.append(loadBmp(QStringLiteral("imagelist2/%1.bmp").arg(i)).image);
    for (int i = 2; i <= 5; ++i)
        QVERIFY2(whitePixels(frames[i]) > whitePixels(frames[i - 1]),
                 qPrintable(QString::number(i)));
    for (int i = 7; i <= 11; ++i)
        QVERIFY2(whitePixels(frames[i]) > whitePixels(frames[i - 1]),
                 qPrintable(QString::number(i)));
    QVERIFY(whitePixels(frames[13]) > whitePixels(frames[12]));
    QVERIFY(whitePixels(frames[14]) > whitePixels(frames[13]));
    QCOMPARE(frames[15], frames[14]);
    QCOMPARE(frames[16], frames[14]);

    // Sliding in from the left, from the right, rising from the bottom.
    QVERIFY(whiteBounds(frames[1]).left() < 10 && whiteBounds(frames[1]).right() < 234);
    QVERIFY(whiteBounds(frames[6]).left() > 234 && whiteBounds(frames[6]).right() > 458);
    QVERIFY(whiteBounds(frames[12]).top() > 40 && whiteBounds(frames[12]).bottom() == 59);
    QVERIFY(whiteBounds(frames[13]).top() > 30);
    // The whole phrases stand clear of every edge.
    for (int i : {5, 11, 14})
        QVERIFY(QRect(2, 2, 464, 56).contains(whiteBounds(frames[i])));
}

void ResourcesTest::target_isAFigureOnBlueVioletAboveTheCaption() {
    const Bmp bmp = loadBmp(QStringLiteral("target.bmp"));
    QCOMPARE(QSize(bmp.width, bmp.height), QSize(213, 268));
    QCOMPARE(bmp.bitsPerPixel, 24);
    const QColor background(78, 78, 255);
    for (QPoint corner : corners(bmp.image))
        QCOMPARE(QColor(bmp.image.pixel(corner)), background);
    // The caption covers the bottom rows: nothing of the figure is drawn there.
    QCOMPARE(pixelsNear(bmp.image.copy(0, 251, 213, 17), background, 0), 213 * 17);
    QVERIFY(pixelsNear(bmp.image, QColor(226, 204, 160), 30) > 1000); // beige shirt
    QVERIFY(pixelsNear(bmp.image, QColor(52, 74, 150), 30) > 1000);   // blue trousers
}

void ResourcesTest::startPictures_keepTheirSubjectInTheShownPart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("splash") << "start/splash.bmp" << QSize(64, 64) << QSize(49, 57);
    QTest::newRow("dart") << "start/dart.bmp" << QSize(106, 69) << QSize(97, 57);
    QTest::newRow("suction dart") << "start/suctiondart.bmp" << QSize(62, 36) << QSize(57, 33);
}

void ResourcesTest::startPictures_keepTheirSubjectInTheShownPart() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QSize, shown);
    const Bmp bmp = loadBmp(name);
    QCOMPARE(QSize(bmp.width, bmp.height), size);
    QCOMPARE(bmp.bitsPerPixel, 24);
    const QColor black(0, 0, 0);
    const int all = size.width() * size.height(), visible = shown.width() * shown.height();
    QCOMPARE(pixelsNear(bmp.image, black, 0) -
                 pixelsNear(bmp.image.copy(QRect({0, 0}, shown)), black, 0),
             all - visible);
    QVERIFY(pixelsNear(bmp.image, black, 0) < all * 9 / 10);
}

void ResourcesTest::icons_comeInEverySize() {
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(resourcePath(QStringLiteral("icons/%1x%1/deskwreck.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size, size));
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}

void ResourcesTest::waves_arePcmAndStartAtOnce_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    for (const char* shot : {"shoot.wav", "dart.wav", "love.wav", "succ.wav"})
        QTest::newRow(shot) << shot << 0.1 << 0.6;
    QTest::newRow("guit.wav") << "guit.wav" << 2.0 << 8.0;
}

void ResourcesTest::waves_arePcmAndStartAtOnce() {
    QFETCH(QString, name);
    QFETCH(double, shortest);
    QFETCH(double, longest);
    const Wave wave = loadWave(name);
    const QByteArray& b = wave.bytes;
    QVERIFY(b.size() > 44);
    QCOMPARE(b.mid(0, 4), QByteArray("RIFF"));
    QCOMPARE(le32(b, 4), quint32(b.size() - 8));
    QCOMPARE(b.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(le32(b, 16), 16u);
    QCOMPARE(le16(b, 20), quint16(1)); // PCM
    QCOMPARE(le16(b, 22), quint16(1)); // mono
    QCOMPARE(le32(b, 24), 44100u);
    QCOMPARE(le32(b, 28), 88200u);
    QCOMPARE(le16(b, 32), quint16(2));
    QCOMPARE(le16(b, 34), quint16(16));
    QCOMPARE(b.mid(36, 4), QByteArray("data"));
    QCOMPARE(le32(b, 40), quint32(b.size() - 44));

    const double seconds = double(wave.samples.size()) / 44100.0;
    QVERIFY2(seconds >= shortest && seconds <= longest, qPrintable(QString::number(seconds)));
    int attack = 0;
    for (int i = 0; i < 64; ++i)
        attack = std::max(attack, std::abs(int(wave.samples[i])));
    QVERIFY2(attack > 8000, qPrintable(QString::number(attack)));
    QVERIFY(std::abs(int(wave.samples.last())) < 100); // ends without a click
}

void ResourcesTest::bannerAddress_isTheReservedExampleSite() {
    QCOMPARE(QByteArray(kBannerAddress), QByteArray("http://www.deskwreck.example/"));
}

void ResourcesTest::committedFiles_areWhatTheGeneratorMakes() {
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess generator;
    generator.start(QStringLiteral(MAKE_RESOURCES_PATH),
                    {out.path(), out.filePath(QStringLiteral("sheet/contact-sheet.png"))});
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);

    QStringList made;
    for (QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        made << QDir(out.path()).relativeFilePath(it.next());
    made.removeAll(QStringLiteral("sheet/contact-sheet.png"));
    made.sort();
    QStringList expected = generatedFiles();
    expected.sort();
    QCOMPARE(made, expected);
    for (const QString& name : expected) {
        const QByteArray committed = readAll(resourcePath(name));
        QVERIFY2(!committed.isEmpty(), qPrintable(name));
        QVERIFY2(
            committed == readAll(out.filePath(name)),
            qPrintable(name + QStringLiteral(" differs from the generator's; run make resources")));
    }
    QCOMPARE(QImage(out.filePath(QStringLiteral("sheet/contact-sheet.png"))).isNull(), false);
}

QTEST_GUILESS_MAIN(ResourcesTest)
#include "test_resources.moc"
