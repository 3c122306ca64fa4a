// The picture loader: every good bitmap of the BMP suite loads at its size; questionable and bad
// ones load or fail without harm; folders, devices, FIFOs, empty, huge and non-picture files,
// and bitmaps that state an impossible size, all fail at once instead of hanging or exhausting
// memory.
#include "components/PictureLoader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <chrono>
#include <future>
#include <sys/stat.h>

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

// A 24-bit bitmap header stating the given size, with a few bytes of pixels after it.
QByteArray bitmapClaiming(qint32 width, qint32 height) {
    QByteArray bytes(54, '\0');
    auto put32 = [&](int offset, quint32 value) { qToLittleEndian(value, bytes.data() + offset); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + 64);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    qToLittleEndian(quint16(1), bytes.data() + 26);
    qToLittleEndian(quint16(24), bytes.data() + 28);
    return bytes + QByteArray(64, '\x7f');
}

} // namespace

class TestPictureLoader : public QObject {
    Q_OBJECT

  private slots:
    void goodBitmapsLoadAtTheirSize();
    void questionableAndBadBitmapsDoNoHarm();
    void impossibleBitmapsFail();
    void thingsThatAreNoPictureFail();
    void fifoFailsWithoutBlocking();
};

void TestPictureLoader::goodBitmapsLoadAtTheirSize() {
    const QStringList names = bitmapsIn(suiteFolder("g"));
    QCOMPARE(names.size(), 27);
    for (const QString& name : names) {
        const auto image = loadPicture(suiteFolder("g") + '/' + name);
        QVERIFY2(image, qPrintable(name));
        QCOMPARE(image->size(), expectedGoodSize(name));
    }
}

void TestPictureLoader::questionableAndBadBitmapsDoNoHarm() {
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

void TestPictureLoader::impossibleBitmapsFail() {
    QTemporaryDir dir;
    const QString path = dir.filePath("claims.bmp");
    writeFile(path, bitmapClaiming(4, 4));
    QCOMPARE(loadPicture(path)->size(), QSize(4, 4)); // the crafted header itself is sound
    writeFile(path, bitmapClaiming(100000, 100000));
    QVERIFY(!loadPicture(path));
    writeFile(path, bitmapClaiming(20000, 20000)); // each side fits, the pixel count does not
    QVERIFY(!loadPicture(path));
    writeFile(path, bitmapClaiming(40000, 2));
    QVERIFY(!loadPicture(path));
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
    QFile::copy(suiteFolder("g") + "/rgb24.bmp", dir.filePath("huge.bmp"));
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
