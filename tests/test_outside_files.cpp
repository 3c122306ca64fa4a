// The readers of files from outside the game (the settings files, the waves, the target's
// picture) read regular files only and never wait on a FIFO in their place: not one that is
// there from the start, nor one swapped in for the file between a look at the name and its
// opening.
#include "components/PictureLoader.h"
#include "components/WaveDecoder.h"
#include "settings/files/SettingsFiles.h"
#include "support/FolderBytes.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Reader = std::function<bool(const QString& folder)>; // whether it read anything

// Opening the FIFO for writing lets a reader waiting on it go.
void releaseWaitingReaders(const QStringList& paths) {
    for (const QString& path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
}

// Whether the reader ever waited while a regular file and a FIFO changed places under the name,
// over a couple of thousand reads.
bool waitsOnSwappedFifo(const QString& path, const QString& aside, const Reader& read,
                        const QString& folder) {
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    auto reading = std::async(std::launch::async, [&] {
        for (; !stop; ++reads)
            read(folder);
    });
    QElapsedTimer swapping;
    swapping.start();
    while (reads < 2000 && swapping.elapsed() < 5000)
        renameat2(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD,
                  QFile::encodeName(aside).constData(), RENAME_EXCHANGE);
    stop = true;
    if (reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
        return false;
    while (reading.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        releaseWaitingReaders({path, aside});
    return true;
}

} // namespace

class TestOutsideFiles : public QObject {
    Q_OBJECT

  private slots:
    void fifoUnderEachNameNeverBlocks_data();
    void fifoUnderEachNameNeverBlocks();
};

void TestOutsideFiles::fifoUnderEachNameNeverBlocks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<Reader>("read");
    const Reader picturePath = [](const QString& f) {
        return bool(settingsfiles::readPicturePath(f));
    };
    const Reader pictureSize = [](const QString& f) {
        return bool(settingsfiles::readPictureSize(f));
    };
    const Reader caption = [](const QString& f) { return bool(settingsfiles::readCaption(f)); };
    QTest::newRow("picnam.dat") << "picnam.dat" << picturePath;
    QTest::newRow("picdim.dat") << "picdim.dat" << pictureSize;
    QTest::newRow("caption.dat") << "caption.dat" << caption;
    for (const char* wave : {"shoot.wav", "dart.wav", "love.wav", "succ.wav", "guit.wav"}) {
        QTest::newRow(wave) << wave << Reader([wave](const QString& f) {
            return bool(wave::decode(f + '/' + wave));
        });
    }
    QTest::newRow("picture") << "target.bmp" << Reader([](const QString& f) {
        return bool(loadPicture(f + "/target.bmp"));
    });
}

void TestOutsideFiles::fifoUnderEachNameNeverBlocks() {
    QFETCH(QString, name);
    QFETCH(Reader, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QString aside = dir.filePath("aside");
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QVERIFY(!read(dir.path()));

    writeRaw(aside, "1\r\n2\r\n");
    QVERIFY2(!waitsOnSwappedFifo(path, aside, read, dir.path()),
             qPrintable(name + " was opened after a FIFO took its place, and the open waited"));
}

QTEST_MAIN(TestOutsideFiles)
#include "test_outside_files.moc"
