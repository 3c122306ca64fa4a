// The target: its picture, size and caption from the settings files, the failures that leave
// it as it was, every real-world bitmap as its picture, and its jumps at each tick of Timer1.
#include "support/PlayFieldFixture.h"

#include "settings/files/SettingsFiles.h"

#include <QDirIterator>
#include <QLabel>
#include <QtTest>

class TargetTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { f = std::make_unique<PlayFieldFixture>(); }
    void cleanup() { f.reset(); }

    void withoutSettingsTheBuiltInTargetStays();
    void pictureFilesSizeTheTargetAndItsCaption();
    void missingBitmapKeepsTheNewSizeAndTheOldPicture();
    void oneLinePictureSizeChangesNothing();
    void negativeOrHugeSizesAreRefusedOrLimited();
    void captionIsPlainText();
    void everyRealWorldBitmap();
    void ticksKeepTheTargetInTheRoom();

  private:
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(f->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString bitmap(QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = f->filePath(QStringLiteral("pic.bmp"));
        image.save(path, "BMP");
        return path;
    }
    std::unique_ptr<PlayFieldFixture> f;
};

void TargetTest::withoutSettingsTheBuiltInTargetStays() {
    f->range->Form_Load();
    const frmRange& range = *f->range;
    QCOMPARE(range.Picture1->Width(), 3195.0f);
    QCOMPARE(range.Picture1->Height(), 3975.0f);
    QCOMPARE(range.Label2->text(), QStringLiteral("Welcome"));
    QCOMPARE(range.Label2->geometry(), QRect(0, 248, 217, 17));
    QCOMPARE(range.Picture1->picture().size(), QSize(213, 268));
    QVERIFY(f->messages.messages.isEmpty());
}

void TargetTest::pictureFilesSizeTheTargetAndItsCaption() {
    settingsfiles::writePicture(f->folder.path(), bitmap({200, 150}, Qt::red), 4000, 3000);
    settingsfiles::writeCaption(f->folder.path(), QStringLiteral("Hello, world"));
    f->range->Form_Load();
    const frmRange& range = *f->range;
    QCOMPARE(range.Picture1->Width(), 4000.0f);
    QCOMPARE(range.Picture1->Height(), 3000.0f);
    QCOMPARE(range.Label2->geometry(), QRect(0, 183, 267, 17)); // top 2745 twips
    QCOMPARE(range.Label2->text(), QStringLiteral("Hello, world"));
    QCOMPARE(range.Picture1->picture().size(), QSize(200, 150));
    QCOMPARE(range.Picture1->picture().pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(f->messages.messages.isEmpty());
}

void TargetTest::missingBitmapKeepsTheNewSizeAndTheOldPicture() {
    settingsfiles::writePicture(f->folder.path(), f->filePath(QStringLiteral("gone.bmp")), 3000,
                                2250);
    f->range->Form_Load();
    QCOMPARE(
        f->messages.messages,
        (QList<RecordedMessage>{{QStringLiteral("Unable to select picture.  Please try again."),
                                 QStringLiteral("Error:"), MessageIcon::Critical}}));
    QCOMPARE(f->range->Picture1->Width(), 3000.0f);
    QCOMPARE(f->range->Picture1->Height(), 2250.0f);
    QCOMPARE(f->range->Picture1->picture().size(), QSize(213, 268));
}

void TargetTest::oneLinePictureSizeChangesNothing() {
    write(QStringLiteral("picnam.dat"), "\"" + bitmap({20, 20}, Qt::blue).toLatin1() + "\"\r\n");
    write(QStringLiteral("picdim.dat"), "4000\r\n");
    f->range->Form_Load();
    QCOMPARE(f->range->Picture1->Width(), 3195.0f);
    QCOMPARE(f->range->Picture1->picture().size(), QSize(213, 268));
    // A size that holds no number reads as 0.
    write(QStringLiteral("picdim.dat"), "abc\r\n1500\r\n");
    f->range->GetPicture();
    QCOMPARE(f->range->Picture1->Width(), 0.0f);
    QCOMPARE(f->range->Picture1->Height(), 1500.0f);
}

void TargetTest::negativeOrHugeSizesAreRefusedOrLimited() {
    const QString path = bitmap({20, 20}, Qt::green);
    write(QStringLiteral("picnam.dat"), "\"" + path.toLatin1() + "\"\r\n");
    write(QStringLiteral("picdim.dat"), "-100\r\n2000\r\n");
    f->range->GetPicture();
    QCOMPARE(f->range->Picture1->Height(), 2000.0f);
    QCOMPARE(f->range->Picture1->Width(), 3195.0f);
    write(QStringLiteral("picdim.dat"), "2147483647\r\n2147483647\r\n");
    f->range->GetPicture();
    QCOMPARE(f->range->Picture1->width(), 32767);
    QCOMPARE(f->range->Picture1->height(), 32767);
    QVERIFY(f->range->Picture1->marks().width() <= 1024);
}

void TargetTest::captionIsPlainText() {
    settingsfiles::writeCaption(f->folder.path(), QStringLiteral("<b>bold</b> & <i>x</i>"));
    f->range->GetCaption();
    QCOMPARE(f->range->Label2->text(), QStringLiteral("<b>bold</b> & <i>x</i>"));
    QCOMPARE(f->range->Label2->textFormat(), Qt::PlainText);
}

void TargetTest::everyRealWorldBitmap() {
    const QString suite = qEnvironmentVariable("DESKWRECK_TESTDATA") + QStringLiteral("/bmpsuite");
    if (!QDir(suite).exists())
        QSKIP("the BMP suite is not beside the project (../shared/testdata/bmpsuite)");
    int good = 0;
    int bad = 0;
    QDirIterator files(suite, {QStringLiteral("*.bmp")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        f->messages.messages.clear();
        settingsfiles::writePicture(f->folder.path(), path, 1500, 1500);
        f->range->GetPicture();
        const bool failed = !f->messages.messages.isEmpty();
        if (path.contains(QStringLiteral("/g/"))) {
            QVERIFY2(!failed, qPrintable(path));
            QVERIFY(!f->range->Picture1->picture().isNull());
            ++good;
        } else if (path.contains(QStringLiteral("/b/")) && failed) {
            ++bad;
        }
    }
    QVERIFY(good > 10);
    QVERIFY(bad > 5);
}

void TargetTest::ticksKeepTheTargetInTheRoom() {
    f->range->Form_Load();
    f->range->Timer1.stop();
    QSet<int> lefts;
    for (int tick = 0; tick < 50; ++tick) {
        f->range->Timer1_Timer();
        const float left = f->range->Picture1->Left();
        const float top = f->range->Picture1->Top();
        QVERIFY(left >= 0 && left <= 15360 - 3195);
        QVERIFY(top >= 1815 && top <= 6884);
        lefts.insert(int(left));
        QTest::qWait(3); // the generator is reseeded from the clock
    }
    QVERIFY(lefts.size() > 5);
}

QTEST_MAIN(TargetTest)
#include "test_target.moc"
