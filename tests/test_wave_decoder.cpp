// Decoding the wave files a user may drop in the program's folder: integer PCM of 8, 16 and 24
// bits, float, mono and stereo come out as exact 16-bit samples; rates from 8000 to 192000 and
// one or two channels are accepted; long files are cut at the length limit, headers that claim
// more data than there is give what is there; missing, foreign, truncated, empty files, folders
// and pipes give nothing, without blocking.
#include "components/WaveDecoder.h"
#include "support/SoundCapture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <limits>

using namespace soundtest;

class TestWaveDecoder : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void floatSamplesBecome16Bit();
    void integerWavesDecodeExactly();
    void floatAndStereoWavesDecodeExactly();
    void ratesAndChannelsAtTheLimitsAreAccepted();
    void longFilesAreCutAtTheLimit();
    void overstatedDataGivesWhatIsThere();
    void unusableFilesGiveNothing_data();
    void unusableFilesGiveNothing();
    void missingFilesFoldersAndPipesGiveNothing();

  private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestWaveDecoder::floatSamplesBecome16Bit() {
    QCOMPARE(wave::toPcm16(0.0f), 0);
    QCOMPARE(wave::toPcm16(0.5f), 16384);
    QCOMPARE(wave::toPcm16(-1.0f), -32768);
    QCOMPARE(wave::toPcm16(1.0f), 32767);
    QCOMPARE(wave::toPcm16(2.5f), 32767);
    QCOMPARE(wave::toPcm16(-7.0f), -32768);
    QCOMPARE(wave::toPcm16(std::numeric_limits<float>::quiet_NaN()), 0);
    // Halves go to the even neighbour.
    QCOMPARE(wave::toPcm16(0.5f / 32768), 0);
    QCOMPARE(wave::toPcm16(1.5f / 32768), 2);
    QCOMPARE(wave::toPcm16(-2.5f / 32768), -2);
}

void TestWaveDecoder::integerWavesDecodeExactly() {
    const auto signal = noise(1000, 21, 30000);
    QVERIFY(writePcm16(path("16.wav"), signal));
    const auto pcm16 = wave::decode(path("16.wav"));
    QVERIFY(pcm16.has_value());
    QCOMPARE(pcm16->channels, 1);
    QCOMPARE(pcm16->sampleRate, kRate);
    QVERIFY(pcm16->samples == signal);

    // 8-bit samples are unsigned around 128.
    QVERIFY(writeFile(path("8.wav"), waveHeader(1, 1, 8000, 8, 3) + QByteArray("\x00\x80\xff", 3)));
    const auto pcm8 = wave::decode(path("8.wav"));
    QVERIFY(pcm8.has_value());
    QCOMPARE(pcm8->samples, (std::vector<std::int16_t>{-32768, 0, 32512}));

    const QByteArray samples24("\x00\x01\x00"
                               "\xff\xff\x7f"
                               "\x00\x00\x80",
                               9);
    QVERIFY(writeFile(path("24.wav"), waveHeader(1, 1, kRate, 24, 9) + samples24));
    const auto pcm24 = wave::decode(path("24.wav"));
    QVERIFY(pcm24.has_value());
    QCOMPARE(pcm24->samples, (std::vector<std::int16_t>{1, 32767, -32768}));
}

// sf_readf_short reads float files as zeros; these must keep their samples.
void TestWaveDecoder::floatAndStereoWavesDecodeExactly() {
    const auto signal = noise(1000, 22, 30000);
    QVERIFY(writeFloat(path("float.wav"), signal));
    const auto floats = wave::decode(path("float.wav"));
    QVERIFY(floats.has_value());
    QVERIFY(floats->samples == signal);

    QVERIFY(writePcm16(path("stereo.wav"), signal, 2));
    const auto stereo = wave::decode(path("stereo.wav"));
    QVERIFY(stereo.has_value());
    QCOMPARE(stereo->channels, 2);
    QCOMPARE(stereo->frames(), std::size_t{500});
    QVERIFY(stereo->samples == signal);
}

void TestWaveDecoder::ratesAndChannelsAtTheLimitsAreAccepted() {
    const auto signal = noise(400, 23);
    for (int rate : {wave::kMinRate, wave::kMaxRate}) {
        QVERIFY(writePcm16(path("rate.wav"), signal, 2, rate));
        const auto decoded = wave::decode(path("rate.wav"));
        QVERIFY2(decoded.has_value(), qPrintable(QString::number(rate)));
        QCOMPARE(decoded->sampleRate, rate);
        QVERIFY(decoded->samples == signal);
    }
}

void TestWaveDecoder::longFilesAreCutAtTheLimit() {
    const auto signal = noise(3 * 8000, 24);
    QVERIFY(writePcm16(path("long.wav"), signal, 1, 8000));
    const auto decoded = wave::decode(path("long.wav"), 1);
    QVERIFY(decoded.has_value());
    QVERIFY(decoded->samples == std::vector<std::int16_t>(signal.begin(), signal.begin() + 8000));
}

void TestWaveDecoder::overstatedDataGivesWhatIsThere() {
    const auto signal = noise(50, 25);
    QVERIFY(writePcm16(path("overstated.wav"), signal));
    QFile file(path("overstated.wav"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(40)); // the data chunk's size
    QVERIFY(file.write(QByteArray("\xf0\xff\xff\x7f", 4)) == 4);
    file.close();
    const auto decoded = wave::decode(path("overstated.wav"));
    QVERIFY(decoded.has_value());
    QVERIFY(decoded->samples == signal);
}

void TestWaveDecoder::unusableFilesGiveNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray data(200, '\x10');
    QTest::newRow("text") << QByteArray("[picture]\r\nname=target.bmp\r\n");
    QTest::newRow("header cut short") << (waveHeader(1, 1, kRate, 16, 200) + data).left(30);
    QTest::newRow("rate too low") << waveHeader(1, 1, wave::kMinRate - 1, 16, 200) + data;
    QTest::newRow("rate too high") << waveHeader(1, 1, wave::kMaxRate + 1, 16, 200) + data;
    QTest::newRow("absurd rate") << waveHeader(1, 1, 2000000000, 16, 200) + data;
    QTest::newRow("no channel") << waveHeader(1, 0, kRate, 16, 200) + data;
    QTest::newRow("three channels") << waveHeader(1, 3, kRate, 16, 198) + data.left(198);
    QTest::newRow("absurd channels") << waveHeader(1, 60000, kRate, 16, 200) + data;
    QTest::newRow("no samples") << waveHeader(1, 1, kRate, 16, 0);
    QTest::newRow("empty file") << QByteArray();
}

void TestWaveDecoder::unusableFilesGiveNothing() {
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(path("bad.wav"), bytes));
    QVERIFY(!wave::decode(path("bad.wav")).has_value());
}

void TestWaveDecoder::missingFilesFoldersAndPipesGiveNothing() {
    QVERIFY(!wave::decode(path("missing.wav")).has_value());
    QVERIFY(!wave::decode(QString()).has_value());
    QVERIFY(QDir(m_dir.path()).mkdir("folder.wav"));
    QVERIFY(!wave::decode(path("folder.wav")).has_value());
    // Opening a pipe for reading would wait for a writer for ever.
    QVERIFY(mkfifo(QFile::encodeName(path("pipe.wav")).constData(), 0600) == 0);
    QVERIFY(!wave::decode(path("pipe.wav")).has_value());
}

QTEST_GUILESS_MAIN(TestWaveDecoder)
#include "test_wave_decoder.moc"
