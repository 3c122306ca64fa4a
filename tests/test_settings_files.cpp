// The settings files' bytes: quoted and number lines ending in CR LF in Windows-1252 (UTF-8 for
// a text it cannot hold), the readers' field rules, names found without regard to case,
// MEAS.DAT's scrambled lines, and writes that never lose the previous file when the folder or
// the disk refuses them.
#include "settings/files/SettingsFiles.h"
#include "support/FileAttribute.h"
#include "support/FolderBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <deque>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace settingsfiles;

namespace {

// Writes beyond a few bytes fail with EFBIG, for root too, as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestSettingsFiles : public QObject {
    Q_OBJECT

  private slots:
    void pictureFilesHoldTheExampleBytes();
    void captionWithCommaRoundTrips();
    void emptyCaptionIsTwoQuotes();
    void captionWithQuoteReadsUpToTheQuote();
    void captionsRoundTripThroughWindows1252();
    void textsBeyondWindows1252AreUtf8_data();
    void textsBeyondWindows1252AreUtf8();
    void numberFields_data();
    void numberFields();
    void textFields_data();
    void textFields();
    void oneLinePictureSizeFails();
    void textWhereANumberBelongsReadsZero();
    void missingFilesFailToRead();
    void namesAreFoundWithoutRegardToCase();
    void writerReplacesTheExistingSpelling();
    void writerLeavesOneSpelling();
    void folderThatCannotBeWrittenLosesNothing();
    void failedWriteKeepsThePreviousFile();
    void refusedRenameKeepsTheOldFile();
    void pictureFilesTakeTheirNamesTogether();
    void settingsFileThatIsAFifoIsNeverOpened();
    void passwordFileHoldsTheExampleBytes();
    void passwordStoresSpaceAndCommaAndUnencodable();
    void passwordFileIsPrivate();
};

void TestSettingsFiles::pictureFilesHoldTheExampleBytes() {
    QTemporaryDir dir;
    writePicture(dir.path(), "C:\\Pics\\dog.bmp", 3000.0f, 2250.0f);
    QCOMPARE(entriesOf(dir.path()), QStringList({"PICDIM.DAT", "PICNAM.DAT"}));
    const QByteArray name = readAll(dir.filePath("PICNAM.DAT"));
    QCOMPARE(name.toHex(' '),
             QByteArray("22 43 3a 5c 50 69 63 73 5c 64 6f 67 2e 62 6d 70 22 0d 0a"));
    QCOMPARE(readAll(dir.filePath("PICDIM.DAT")).toHex(' '),
             QByteArray("33 30 30 30 0d 0a 32 32 35 30 0d 0a"));
    QCOMPARE(readPicturePath(dir.path()), QString("C:\\Pics\\dog.bmp"));
    const auto size = readPictureSize(dir.path());
    QVERIFY(size);
    QCOMPARE(size->width, 3000);
    QCOMPARE(size->height, 2250);
}

void TestSettingsFiles::captionWithCommaRoundTrips() {
    QTemporaryDir dir;
    writeCaption(dir.path(), "Hello, world");
    QCOMPARE(readAll(dir.filePath("caption.dat")).toHex(' '),
             QByteArray("22 48 65 6c 6c 6f 2c 20 77 6f 72 6c 64 22 0d 0a"));
    QCOMPARE(readCaption(dir.path()), QString("Hello, world"));
}

void TestSettingsFiles::emptyCaptionIsTwoQuotes() {
    QTemporaryDir dir;
    writeCaption(dir.path(), "");
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"\"\r\n"));
    QCOMPARE(readCaption(dir.path()), QString(""));
}

void TestSettingsFiles::captionWithQuoteReadsUpToTheQuote() {
    QTemporaryDir dir;
    writeCaption(dir.path(), "say \"hi\", now");
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"say \"hi\", now\"\r\n"));
    QCOMPARE(readCaption(dir.path()), QString("say "));
}

void TestSettingsFiles::captionsRoundTripThroughWindows1252() {
    QTemporaryDir dir;
    writeCaption(dir.path(), QString::fromUtf8("é € ü"));
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"\xE9 \x80 \xFC\"\r\n"));
    QCOMPARE(readCaption(dir.path()), QString::fromUtf8("é € ü"));
    // Windows-1252 text that also reads as UTF-8 of Windows-1252 text stays as written.
    writeCaption(dir.path(), QString::fromUtf8("Ã©"));
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"\xC3\xA9\"\r\n"));
    QCOMPARE(readCaption(dir.path()), QString::fromUtf8("Ã©"));
    // The rare text that does not: its bytes are the UTF-8 of a Cyrillic letter.
    writeCaption(dir.path(), QString::fromUtf8("Ð¶"));
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"\xD0\xB6\"\r\n"));
    QCOMPARE(readCaption(dir.path()), QString::fromUtf8("ж"));
}

void TestSettingsFiles::textsBeyondWindows1252AreUtf8_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("Cyrillic") << QString::fromUtf8("Привет, мир");
    QTest::newRow("Greek") << QString::fromUtf8("/home/me/Εικόνες/σκύλος.bmp");
    QTest::newRow("CJK") << QString::fromUtf8("/home/me/图片/写真.bmp");
    QTest::newRow("emoji and Latin-1") << QString::fromUtf8("é 😀 x");
}

void TestSettingsFiles::textsBeyondWindows1252AreUtf8() {
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(writeCaption(dir.path(), text));
    QCOMPARE(readAll(dir.filePath("caption.dat")), '"' + text.toUtf8() + "\"\r\n");
    QCOMPARE(readCaption(dir.path()), text);
    QVERIFY(writePicture(dir.path(), text, 30.0f, 45.0f));
    QCOMPARE(readPicturePath(dir.path()), text);
}

void TestSettingsFiles::numberFields_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("numbers");
    QTest::newRow("ties go to even")
        << QByteArray("3000.5\r\n3001.5\r\n") << QList<int>{3000, 3002};
    QTest::newRow("negative tie") << QByteArray("-2.5\r\n-3.5\r\n") << QList<int>{-2, -4};
    QTest::newRow("leading spaces, comma") << QByteArray("  12,  -7\r\n") << QList<int>{12, -7};
    QTest::newRow("space ends a number") << QByteArray("4000 3000\r\n") << QList<int>{4000, 3000};
    QTest::newRow("lone LF and CR") << QByteArray("1\n2\r3") << QList<int>{1, 2, 3};
    QTest::newRow("no number is 0") << QByteArray("abc\r\n\r\n.\r\n") << QList<int>{0, 0, 0};
    QTest::newRow("digits then text") << QByteArray("12px\r\n") << QList<int>{12};
    QTest::newRow("32-bit limits")
        << QByteArray("2147483647\r\n-2147483648\r\n") << QList<int>{2147483647, -2147483647 - 1};
    QTest::newRow("beyond 32 bits is clamped")
        << QByteArray("2147483647.5\r\n99999999999999999999\r\n-3000000000\r\n")
        << QList<int>{2147483647, 2147483647, -2147483647 - 1};
    QTest::newRow("long fraction")
        << QByteArray("0." + QByteArray(400, '0') + "1\r\n") << QList<int>{0};
}

void TestSettingsFiles::numberFields() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, numbers);
    FieldReader reader(bytes);
    for (int expected : numbers)
        QCOMPARE(reader.nextNumber(), std::optional<std::int32_t>(expected));
    QCOMPARE(reader.nextNumber(), std::nullopt);
}

void TestSettingsFiles::textFields_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("quoted keeps commas and spaces")
        << QByteArray("  \" a, b \"\r\n") << QStringList{" a, b "};
    QTest::newRow("rest of a quoted field is skipped")
        << QByteArray("\"one\"tail,two\r\n") << QStringList{"one", "two"};
    QTest::newRow("unquoted ends at comma, trailing spaces trimmed")
        << QByteArray("  one  ,two\r\nthree") << QStringList{"one", "two", "three"};
    QTest::newRow("empty line is empty text") << QByteArray("\r\nx\r\n") << QStringList{"", "x"};
    QTest::newRow("unclosed quote runs to the end") << QByteArray("\"abc") << QStringList{"abc"};
}

void TestSettingsFiles::textFields() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    FieldReader reader(bytes);
    for (const QString& expected : texts)
        QCOMPARE(reader.nextText(), std::optional<QString>(expected));
    QCOMPARE(reader.nextText(), std::nullopt);
}

void TestSettingsFiles::oneLinePictureSizeFails() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("picnam.dat"), "\"/pics/dog.bmp\"\r\n");
    writeRaw(dir.filePath("picdim.dat"), "3000\r\n");
    QCOMPARE(readPicturePath(dir.path()), QString("/pics/dog.bmp"));
    QVERIFY(!readPictureSize(dir.path()));
}

void TestSettingsFiles::textWhereANumberBelongsReadsZero() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("picdim.dat"), "wide\r\n2250\r\n");
    const auto size = readPictureSize(dir.path());
    QVERIFY(size);
    QCOMPARE(size->width, 0);
    QCOMPARE(size->height, 2250);
}

void TestSettingsFiles::missingFilesFailToRead() {
    QTemporaryDir dir;
    QVERIFY(!readPicturePath(dir.path()));
    QVERIFY(!readPictureSize(dir.path()));
    QVERIFY(!readCaption(dir.path()));
    writeRaw(dir.filePath("caption.dat"), "");
    QVERIFY(!readCaption(dir.path()));
}

void TestSettingsFiles::namesAreFoundWithoutRegardToCase() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("PicNam.Dat"), "\"/a.bmp\"\r\n");
    writeRaw(dir.filePath("PICDIM.DAT"), "10\r\n20\r\n");
    writeRaw(dir.filePath("CAPTION.DAT"), "\"Hi\"\r\n");
    QCOMPARE(settingsPath(dir.path(), "picnam.dat"), dir.path() + "/PicNam.Dat");
    QCOMPARE(settingsPath(dir.path(), "MEAS.DAT"), dir.path() + "/MEAS.DAT");
    QCOMPARE(readPicturePath(dir.path()), QString("/a.bmp"));
    QCOMPARE(readPictureSize(dir.path())->height, 20);
    QCOMPARE(readCaption(dir.path()), QString("Hi"));
}

void TestSettingsFiles::writerReplacesTheExistingSpelling() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("picnam.dat"), "\"/old.bmp\"\r\n");
    writeRaw(dir.filePath("picdim.dat"), "1\r\n2\r\n");
    writePicture(dir.path(), "/new.bmp", 30.0f, 45.0f);
    QCOMPARE(entriesOf(dir.path()), QStringList({"picdim.dat", "picnam.dat"}));
    QCOMPARE(readAll(dir.filePath("picnam.dat")), QByteArray("\"/new.bmp\"\r\n"));
    QCOMPARE(readAll(dir.filePath("picdim.dat")), QByteArray("30\r\n45\r\n"));
}

void TestSettingsFiles::writerLeavesOneSpelling() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("caption.dat"), "\"lower\"\r\n");
    writeRaw(dir.filePath("Caption.dat"), "\"mixed\"\r\n");
    writeCaption(dir.path(), "new");
    QCOMPARE(entriesOf(dir.path()).size(), 1);
    QCOMPARE(readCaption(dir.path()), QString("new"));
}

void TestSettingsFiles::folderThatCannotBeWrittenLosesNothing() {
    QTemporaryDir dir;
    // A folder path under a regular file: nothing can be created there, even by root.
    writeRaw(dir.filePath("plain"), "x");
    const QString blocked = dir.filePath("plain");
    QVERIFY(!replaceFile(blocked, kCaptionFile, quotedLine("lost")));
    writeCaption(blocked, "lost");
    QCOMPARE(readAll(blocked), QByteArray("x"));

    // A setting whose name is taken by a folder: the folder and its content stay.
    QVERIFY(QDir(dir.path()).mkdir("caption.dat"));
    writeRaw(dir.filePath("caption.dat/keep"), "k");
    QVERIFY(!replaceFile(dir.path(), kCaptionFile, quotedLine("lost")));
    QVERIFY(QFileInfo(dir.filePath("caption.dat")).isDir());
    QCOMPARE(readAll(dir.filePath("caption.dat/keep")), QByteArray("k"));
    QCOMPARE(entriesOf(dir.path()), QStringList({"caption.dat", "plain"}));
}

void TestSettingsFiles::failedWriteKeepsThePreviousFile() {
    QTemporaryDir dir;
    writeCaption(dir.path(), "The old caption");
    const QByteArray before = readAll(dir.filePath("caption.dat"));
    {
        FileSizeLimit limit(8);
        QVERIFY(!replaceFile(dir.path(), kCaptionFile, quotedLine("A caption too long to fit")));
    }
    QCOMPARE(readAll(dir.filePath("caption.dat")), before);
    QCOMPARE(entriesOf(dir.path()), QStringList({"caption.dat"}));
}

void TestSettingsFiles::refusedRenameKeepsTheOldFile() {
    QTemporaryDir dir;
    writeCaption(dir.path(), "old");
    const FileAttribute immutable(dir.path(), "i");
    if (!immutable.done())
        QSKIP("chattr +i is not available here");
    // Appended lines would never be read: the write fails, and says why.
    const WriteResult written = replaceFile(dir.path(), kCaptionFile, quotedLine("new"));
    QVERIFY(!written);
    QCOMPARE(written.fileName, QString("caption.dat"));
    QCOMPARE(written.reasons.size(), 1);
    QVERIFY2(written.reasons[0].startsWith(dir.path() + ": "), qPrintable(written.reasons[0]));
    QCOMPARE(readAll(dir.filePath("caption.dat")), QByteArray("\"old\"\r\n"));
    QVERIFY(!replaceFile(dir.path(), kPictureNameFile, quotedLine("/a.bmp")));
}

void TestSettingsFiles::pictureFilesTakeTheirNamesTogether() {
    QTemporaryDir dir;
    writePicture(dir.path(), "/old.bmp", 15.0f, 30.0f);
    // Both new files are written; the size then cannot take its name after the path has.
    const FileAttribute appendOnly(dir.filePath("PICDIM.DAT"), "a");
    if (!appendOnly.done())
        QSKIP("chattr +a is not available here");
    const WriteResult written = writePicture(dir.path(), "/new.bmp", 45.0f, 60.0f);
    QVERIFY(!written);
    QCOMPARE(written.fileName, QString("PICDIM.DAT"));
    QCOMPARE(readAll(dir.filePath("PICNAM.DAT")), QByteArray("\"/old.bmp\"\r\n"));
    QCOMPARE(readAll(dir.filePath("PICDIM.DAT")), QByteArray("15\r\n30\r\n"));
    QCOMPARE(entriesOf(dir.path()), (QStringList{"PICDIM.DAT", "PICNAM.DAT"}));
}

void TestSettingsFiles::settingsFileThatIsAFifoIsNeverOpened() {
    QTemporaryDir dir;
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("caption.dat")).constData(), 0600), 0);
    QVERIFY(!readCaption(dir.path()));
    writeCaption(dir.path(), "new");
    QCOMPARE(readCaption(dir.path()), QString("new"));
}

void TestSettingsFiles::passwordFileHoldsTheExampleBytes() {
    QTemporaryDir dir;
    std::deque<double> draws{87.0 / 200.0 + 0.001, 0.0, 0.99999};
    int calls = 0;
    writePassword(dir.path(), "abc", [&] {
        ++calls;
        const double r = draws.front();
        draws.pop_front();
        return r;
    });
    QCOMPARE(calls, 3);
    const QByteArray bytes = readAll(dir.filePath("MEAS.DAT"));
    QCOMPARE(bytes.size(), 29);
    QCOMPARE(bytes.toHex(' '),
             QByteArray("31 33 37 0d 0a 31 30 39 0d 0a 35 30 0d 0a 31 31 30 0d 0a "
                        "32 34 39 0d 0a 31 31 31 0d 0a"));
}

void TestSettingsFiles::passwordStoresSpaceAndCommaAndUnencodable() {
    QTemporaryDir dir;
    // A character Windows-1252 cannot hold keeps its code point: U+1F600 plus 12.
    writePassword(dir.path(), QString::fromUtf8("a b,é😀"), [] { return 0.5; });
    QCOMPARE(readAll(dir.filePath("MEAS.DAT")),
             QByteArray("150\r\n109\r\n150\r\n44\r\n150\r\n110\r\n150\r\n56\r\n150\r\n245\r\n"
                        "150\r\n128524\r\n"));
    QCOMPARE(passwordCharacterNumber(U'€'), 0x80 + 12);
    QCOMPARE(passwordCharacterNumber(U'ж'), 0x436 + 12);
    QCOMPARE(passwordCharacterNumber(U'Ω'), 0x3A9 + 12);
    QCOMPARE(passwordCharacterNumber(U'字'), 0x5B57 + 12);
    QCOMPARE(passwordCharacterNumber(U'\u02C6'), 0x88 + 12); // ˆ, in the code page at 88
    QCOMPARE(passwordCharacterNumber(U'\u0088'), 0x88 + 12); // a C1 control it leaves out
    // A shorter password leaves no trace of the longer one.
    writePassword(dir.path(), "xy", [] { return 0.0; });
    QCOMPARE(readAll(dir.filePath("MEAS.DAT")), QByteArray("50\r\n132\r\n50\r\n133\r\n"));
}

void TestSettingsFiles::passwordFileIsPrivate() {
    QTemporaryDir dir;
    writeRaw(dir.filePath("meas.dat"), "old\r\n");
    QFile::setPermissions(dir.filePath("meas.dat"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ReadOther);
    writePassword(dir.path(), "pw", [] { return 0.1; });
    QCOMPARE(entriesOf(dir.path()), QStringList({"meas.dat"}));
    struct stat info {};
    QCOMPARE(stat(QFile::encodeName(dir.filePath("meas.dat")).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0600));
    QCOMPARE(readAll(dir.filePath("meas.dat")), QByteArray("70\r\n124\r\n70\r\n131\r\n"));
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "test_settings_files.moc"
