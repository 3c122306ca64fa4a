// The picture loader: bitmaps of every kind the game meets (1 to 32 bits, bitfields, RLE, OS/2
// headers, top-down rows, padded rows, short palettes) load at their size with their pixels in
// place; broken ones (truncated, overstated, zero, negative or absurd sizes, bit counts that do
// not exist, pixels past the end) fail; folders, devices, FIFOs, empty, huge and non-picture
// files fail at once instead of hanging or exhausting memory. The BMP suite, when it is beside
// the project, is an extra corpus.
#include "components/PictureLoader.h"
#include "support/BitmapWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <sys/stat.h>

using namespace bmptest;

namespace {

QString suiteFolder(const QString& kind) {
    return qEnvironmentVariable("DESKWRECK_TESTDATA") + "/bmpsuite/" + kind;
}

QStringList bitmapsIn(const QString& folder) {
    return QDir(folder).entryList({"*.bmp"}, QDir::Files, QDir::Name);
}

// The suite's pictures are 127 x 64 but for these.
QSize expectedGoodSize(const QString& name) {
    static const QHash<QString, QSize> exceptions{{"pal8nonsquare.bmp", {127, 32}},
                                                  {"pal8w124.bmp", {124, 61}},
                                                  {"pal8w125.bmp", {125, 62}},
                                                  {"pal8w126.bmp", {126, 63}}};
    return exceptions.value(name, QSize(127, 64));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::optional<QImage> loadBytes(const QByteArray& bytes) {
    QTemporaryDir dir;
    writeFile(dir.filePath("picture.bmp"), bytes);
    return loadPicture(dir.filePath("picture.bmp"));
}

// A 24-bit bitmap whose header states the given size, with a few bytes of pixels after it.
QByteArray bitmapClaiming(qint32 width, qint32 height) {
    QByteArray bytes = bitmapFile(testPicture(4, 4, 4), {});
    put32(bytes, kWidth, quint32(width));
    put32(bytes, kHeight, quint32(height));
    return bytes;
}

void skipWithoutSuite() {
    if (!QDir(suiteFolder("g")).exists())
        QSKIP("the BMP suite is not beside the project (../shared/testdata/bmpsuite)");
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

  private slots:
    void everyKindLoadsWithItsPixels_data();
    void everyKindLoadsWithItsPixels();
    void brokenBitmapsFail_data();
    void brokenBitmapsFail();
    void impossibleBitmapsFail();
    void suiteGoodBitmapsLoadAtTheirSize();
    void suiteQuestionableAndBadBitmapsDoNoHarm();
    void thingsThatAreNoPictureFail();
    void fifoFailsWithoutBlocking();
};

void TestPictureLoader::everyKindLoadsWithItsPixels_data() {
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<bool>("os2");
    QTest::addColumn<int>("paletteSize");
    const int plain = int(Encoding::Plain);
    const int rle = int(Encoding::Rle);
    QTest::newRow("1-bit") << 2 << 1 << plain << false << false << 0;
    QTest::newRow("4-bit") << 4 << 4 << plain << false << false << 0;
    QTest::newRow("8-bit") << 4 << 8 << plain << false << false << 0;
    QTest::newRow("8-bit, short palette") << 4 << 8 << plain << false << false << 4;
    QTest::newRow("8-bit, top-down") << 4 << 8 << plain << true << false << 0;
    QTest::newRow("16-bit 555") << 4 << 16 << int(Encoding::Bitfields555) << false << false << 0;
    QTest::newRow("16-bit 565") << 4 << 16 << int(Encoding::Bitfields565) << false << false << 0;
    QTest::newRow("24-bit") << 4 << 24 << plain << false << false << 0;
    QTest::newRow("24-bit, top-down") << 4 << 24 << plain << true << false << 0;
    QTest::newRow("32-bit") << 4 << 32 << plain << false << false << 0;
    QTest::newRow("RLE4") << 4 << 4 << rle << false << false << 0;
    QTest::newRow("RLE8") << 4 << 8 << rle << false << false << 0;
    QTest::newRow("OS/2, 8-bit") << 4 << 8 << plain << false << true << 0;
    QTest::newRow("OS/2, 24-bit") << 4 << 24 << plain << false << true << 0;
}

void TestPictureLoader::everyKindLoadsWithItsPixels() {
    QFETCH(int, colours);
    QFETCH(int, bits);
    QFETCH(int, encoding);
    QFETCH(bool, topDown);
    QFETCH(bool, os2);
    QFETCH(int, paletteSize);
    const QImage picture = testPicture(colours);
    const Layout layout{bits, Encoding(encoding), topDown, os2, paletteSize};
    const auto image = loadBytes(bitmapFile(picture, layout));
    QVERIFY(image);
    QCOMPARE(image->size(), QSize(7, 5));
    for (const QPoint at :
         {QPoint(0, 0), QPoint(6, 0), QPoint(1, 0), QPoint(0, 4), QPoint(6, 4), QPoint(3, 2)})
        QCOMPARE(QColor(image->pixel(at)), QColor(picture.pixel(at)));
}

void TestPictureLoader::brokenBitmapsFail_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = bitmapFile(testPicture(), {});
    QTest::newRow("truncated pixels") << good.left(good.size() - 30);
    QByteArray taller = good;
    put32(taller, kHeight, 50); // pixels for 5 rows, a header for 50
    QTest::newRow("header claims more than the file holds") << taller;
    QTest::newRow("width 0") << bitmapClaiming(0, 4);
    QTest::newRow("height 0") << bitmapClaiming(4, 0);
    QTest::newRow("negative width") << bitmapClaiming(-4, 4);
    QByteArray oddBits = good;
    put16(oddBits, kBitCount, 7);
    QTest::newRow("7 bits a pixel") << oddBits;
    QByteArray farOffset = good;
    put32(farOffset, kPixelOffset, quint32(good.size() + 100));
    QTest::newRow("pixels past the end") << farOffset;
    QTest::newRow("header alone") << good.left(54);
}

void TestPictureLoader::brokenBitmapsFail() {
    QFETCH(QByteArray, bytes);
    QVERIFY(!loadBytes(bytes));
}

void TestPictureLoader::impossibleBitmapsFail() {
    QCOMPARE(loadBytes(bitmapClaiming(4, 4))->size(), QSize(4, 4)); // the crafted header is sound
    QVERIFY(!loadBytes(bitmapClaiming(100000, 100000)));
    QVERIFY(!loadBytes(bitmapClaiming(20000, 20000))); // each side fits, the pixel count does not
    QVERIFY(!loadBytes(bitmapClaiming(40000, 2)));
}

void TestPictureLoader::suiteGoodBitmapsLoadAtTheirSize() {
    skipWithoutSuite();
    const QStringList names = bitmapsIn(suiteFolder("g"));
    QCOMPARE(names.size(), 27);
    for (const QString& name : names) {
        const auto image = loadPicture(suiteFolder("g") + '/' + name);
        QVERIFY2(image, qPrintable(name));
        QCOMPARE(image->size(), expectedGoodSize(name));
    }
}

void TestPictureLoader::suiteQuestionableAndBadBitmapsDoNoHarm() {
    skipWithoutSuite();
    for (const QString kind : {"q", "b"}) {
        const QStringList names = bitmapsIn(suiteFolder(kind));
        QVERIFY(names.size() > 10);
        for (const QString& name : names) {
            // Either outcome is fine; what loads is no bigger than the suite's pictures.
            const auto image = loadPicture(suiteFolder(kind) + '/' + name);
            if (image)
                QVERIFY2(image->width() <= 127 && image->height() <= 64, qPrintable(name));
        }
    }
    // Sizes no reader can honour.
    QVERIFY(!loadPicture(suiteFolder("b") + "/reallybig.bmp"));
    QVERIFY(!loadPicture(suiteFolder("b") + "/badwidth.bmp"));
}

void TestPictureLoader::thingsThatAreNoPictureFail() {
    QTemporaryDir dir;
    QVERIFY(!loadPicture(dir.path()));
    QVERIFY(!loadPicture(dir.filePath("missing.bmp")));
    QVERIFY(!loadPicture("/dev/zero"));
    QVERIFY(!loadPicture("/dev/null"));
    QVERIFY(QFile::link("/dev/zero", dir.filePath("zero.bmp")));
    QVERIFY(!loadPicture(dir.filePath("zero.bmp")));

    writeFile(dir.filePath("empty.bmp"), {});
    QVERIFY(!loadPicture(dir.filePath("empty.bmp")));
    writeFile(dir.filePath("text.bmp"), "This is no picture at all.\r\n");
    QVERIFY(!loadPicture(dir.filePath("text.bmp")));

    // A good bitmap followed by holes up to 300 MiB: refused by its size, before any reading.
    writeFile(dir.filePath("huge.bmp"), bitmapFile(testPicture(), {}));
    QVERIFY(QFile::resize(dir.filePath("huge.bmp"), qint64(300) << 20));
    QVERIFY(!loadPicture(dir.filePath("huge.bmp")));
}

void TestPictureLoader::fifoFailsWithoutBlocking() {
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("pipe.bmp"));
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    auto load =
        std::async(std::launch::async, [&] { return loadPicture(dir.filePath("pipe.bmp")); });
    if (load.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        QFile writer(dir.filePath("pipe.bmp")); // lets a blocked reader go before failing
        writer.open(QIODevice::WriteOnly);
        writer.close();
        load.wait();
        QFAIL("loading a FIFO blocked");
    }
    QVERIFY(!load.get());
}

QTEST_MAIN(TestPictureLoader)
#include "test_picture_loader.moc"
