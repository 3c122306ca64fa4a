// The real sound output over OpenAL Soft, heard through its wave driver: a played file reaches
// the mix whole, from its first sample, soon after "play"; shots fired 50 ms apart overlap, the
// first one not cut short; "close" and stopAll silence; the start screen's music and the play
// field's shot sound play at once; an idle device rests, but not under a playing sound; float and
// stereo waves play; missing and broken files only mean silence and the next good file plays; with
// no device every call is a quiet no-op, and the sound stays open for a device found later.
#include "components/MMControl.h"
#include "components/OpenAlSoundOutput.h"
#include "support/SoundCapture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace soundtest;

namespace {

// How long after "play" the sound may start in the mix: a few mixer periods, with room for a
// busy machine.
constexpr int kLatencyMs = 150;

std::size_t samplesIn(qint64 ms) {
    return static_cast<std::size_t>(ms * kRate / 1000);
}

} // namespace

class TestSoundOutput : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void playReachesTheMixFromTheFirstSample();
    void shotsInQuickSuccessionOverlap();
    void closeStopsTheSound();
    void stopAllSilencesEveryControl();
    void musicAndShotSoundPlayTogether();
    void idleDeviceRestsOnlyWhenNothingPlays();
    void floatAndStereoWavesPlay();
    void badFilesAreSilentAndTheNextGoodOpenWorks();
    void noDeviceIsSilentAndQuiet_data();
    void noDeviceIsSilentAndQuiet();
    void withoutDevice();

  private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString writeNoise(const QString& name, int samples, unsigned seed);
    std::vector<std::int16_t> mixOf(std::unique_ptr<OpenAlSoundOutput>& output);

    QTemporaryDir m_dir;
    QString m_mixPath;
};

void TestSoundOutput::initTestCase() {
    QVERIFY(m_dir.isValid());
    if (qEnvironmentVariableIsSet("DESKWRECK_SOUND_CHILD"))
        return; // the parent chose this run's device
    // Mono 16-bit at the waves' own rate, undithered: the mix holds the waves' samples exactly.
    m_mixPath = path("mix.wav");
    const QString config = QStringLiteral("drivers = wave\nfrequency = 44100\nchannels = mono\n"
                                          "sample-type = int16\ndither = false\n"
                                          "output-limiter = false\nperiod_size = 256\n"
                                          "periods = 3\n[wave]\nfile = %1\n")
                               .arg(m_mixPath);
    QVERIFY(writeFile(path("alsoft.conf"), config.toUtf8()));
    qputenv("ALSOFT_CONF", QFile::encodeName(path("alsoft.conf")));
}

QString TestSoundOutput::writeNoise(const QString& name, int samples, unsigned seed) {
    const QString file = path(name);
    writePcm16(file, noise(samples, seed));
    return file;
}

// The wave driver writes from its own thread until the device closes.
std::vector<std::int16_t> TestSoundOutput::mixOf(std::unique_ptr<OpenAlSoundOutput>& output) {
    output.reset();
    return readCapture(m_mixPath);
}

void TestSoundOutput::playReachesTheMixFromTheFirstSample() {
    const auto shot = noise(kRate * 3 / 10, 1);
    QVERIFY(writePcm16(path("shoot.wav"), shot));
    auto output = std::make_unique<OpenAlSoundOutput>();
    QElapsedTimer sinceOpen;
    sinceOpen.start();
    const SoundOutput::Handle handle = output->open(path("shoot.wav"));
    QVERIFY(handle != 0);
    QVERIFY(output->hasDevice());
    const qint64 playedAt = sinceOpen.elapsed();
    output->play(handle);
    QTest::qWait(500);

    auto mix = mixOf(output);
    const auto at = find(mix, shot);
    QVERIFY(at.has_value());
    QVERIFY2(*at <= samplesIn(playedAt + kLatencyMs), qPrintable(QString::number(*at)));
    QVERIFY(subtract(mix, shot, *at));
    QVERIFY(silent(mix));
}

void TestSoundOutput::shotsInQuickSuccessionOverlap() {
    const auto shot = noise(kRate * 3 / 10, 2);
    QVERIFY(writePcm16(path("dart.wav"), shot));
    auto output = std::make_unique<OpenAlSoundOutput>();
    {
        MMControl control(*output);
        control.setFileName(path("dart.wav"));
        control.setCommand("open");
        QVERIFY(control.isOpen());
        for (int shotNumber = 0; shotNumber < 3; ++shotNumber) {
            control.setCommand("play");
            control.setCommand("prev");
            QTest::qWait(50);
        }
        QTest::qWait(500);
    }

    // Three whole copies, each a little after the one before, and nothing else.
    auto mix = mixOf(output);
    std::size_t previous = 0;
    for (int shotNumber = 0; shotNumber < 3; ++shotNumber) {
        const auto at = find(mix, shot, previous);
        QVERIFY2(at.has_value(), qPrintable(QString("shot %1").arg(shotNumber)));
        if (shotNumber > 0) {
            QVERIFY(*at > previous);
            QVERIFY(*at - previous <= samplesIn(50 + kLatencyMs));
        }
        QVERIFY(subtract(mix, shot, *at));
        previous = *at;
    }
    QVERIFY(silent(mix));
}

void TestSoundOutput::closeStopsTheSound() {
    const auto music = noise(kRate, 3);
    QVERIFY(writePcm16(path("guit.wav"), music));
    auto output = std::make_unique<OpenAlSoundOutput>();
    {
        MMControl control(*output);
        control.setFileName(path("guit.wav"));
        control.setCommand("open");
        control.setCommand("play");
        QTest::qWait(150);
        control.setCommand("close");
        QVERIFY(!control.isOpen());
        QTest::qWait(400);
    }

    const auto mix = mixOf(output);
    const auto at = find(mix, music);
    QVERIFY(at.has_value());
    const std::size_t heard = samplesIn(100);
    QVERIFY(std::equal(music.begin(), music.begin() + heard, mix.begin() + *at));
    const std::size_t stoppedBy = *at + samplesIn(150 + kLatencyMs);
    QVERIFY(mix.size() > stoppedBy + samplesIn(100));
    QVERIFY(silent(mix, stoppedBy));
}

void TestSoundOutput::stopAllSilencesEveryControl() {
    const auto music = noise(kRate, 4);
    const auto shot = noise(kRate, 5);
    QVERIFY(writePcm16(path("guit.wav"), music));
    QVERIFY(writePcm16(path("love.wav"), shot));
    auto output = std::make_unique<OpenAlSoundOutput>();
    {
        MMControl startScreen(*output);
        MMControl playField(*output);
        startScreen.setFileName(path("guit.wav"));
        startScreen.setCommand("open");
        playField.setFileName(path("love.wav"));
        playField.setCommand("open");
        startScreen.setCommand("play");
        QTest::qWait(50);
        playField.setCommand("play");
        QTest::qWait(100);
        output->stopAll();
        QTest::qWait(400);
    }

    // Both began, both ended together, and the mix is silent from then on.
    auto mix = mixOf(output);
    const auto musicAt = find(mix, music);
    QVERIFY(musicAt.has_value());
    const std::size_t stoppedBy = *musicAt + samplesIn(150 + kLatencyMs);
    QVERIFY(mix.size() > stoppedBy + samplesIn(100));
    QVERIFY(silent(mix, stoppedBy));
    const auto musicEnd = std::find_if(mix.rbegin(), mix.rend(), [](auto s) { return s != 0; });
    const auto heard = static_cast<std::size_t>(mix.rend() - musicEnd) - *musicAt;
    QVERIFY(subtract(mix, {music.begin(), music.begin() + heard}, *musicAt));
    const auto shotAt = find(mix, shot);
    QVERIFY(shotAt.has_value());
    QVERIFY(*shotAt > *musicAt);
    QVERIFY(subtract(mix, {shot.begin(), shot.begin() + (*musicAt + heard - *shotAt)}, *shotAt));
    QVERIFY(silent(mix));
}

void TestSoundOutput::musicAndShotSoundPlayTogether() {
    const auto music = noise(kRate * 8 / 10, 6);
    const auto shot = noise(kRate / 5, 7);
    QVERIFY(writePcm16(path("guit.wav"), music));
    QVERIFY(writePcm16(path("shoot.wav"), shot));
    auto output = std::make_unique<OpenAlSoundOutput>();
    {
        MMControl startScreen(*output);
        startScreen.setFileName(path("guit.wav"));
        startScreen.setCommand("open");
        startScreen.setCommand("play");
        QTest::qWait(100);
        MMControl playField(*output);
        playField.setFileName(path("shoot.wav"));
        playField.setCommand("open");
        QTest::qWait(100);
        playField.setCommand("play");
        playField.setCommand("prev");
        QTest::qWait(900);
    }

    auto mix = mixOf(output);
    const auto musicAt = find(mix, music);
    QVERIFY(musicAt.has_value());
    QVERIFY(subtract(mix, music, *musicAt));
    const auto shotAt = find(mix, shot);
    QVERIFY(shotAt.has_value());
    QVERIFY(*shotAt > *musicAt);
    QVERIFY(subtract(mix, shot, *shotAt));
    QVERIFY(silent(mix));
}

// An idle device rests, but never under a sound still playing, and the next shot wakes it.
void TestSoundOutput::idleDeviceRestsOnlyWhenNothingPlays() {
    QVERIFY(writePcm16(path("long.wav"), noise(kRate * 2, 12)));
    const auto shot = noise(kRate / 5, 13);
    QVERIFY(writePcm16(path("succ.wav"), shot));
    auto output = std::make_unique<OpenAlSoundOutput>();
    const SoundOutput::Handle music = output->open(path("long.wav"));
    const SoundOutput::Handle succ = output->open(path("succ.wav"));
    QVERIFY(music != 0 && succ != 0);
    output->play(music);
    QTest::qWait(1800);
    QVERIFY(!output->isResting());
    QTRY_VERIFY_WITH_TIMEOUT(output->isResting(), 5000);
    QVERIFY(output->hasDevice());
    output->play(succ);
    QVERIFY(!output->isResting());
    QTest::qWait(500);

    // Waking starts the wave driver's file afresh: it holds the shot and nothing else. The
    // shot comes whole, after the silence that a sound server just started may drop.
    auto mix = mixOf(output);
    const auto at = find(mix, shot);
    QVERIFY(at.has_value());
    QVERIFY2(*at >= 256, qPrintable(QString::number(*at))); // more than a period of silence
    QVERIFY(subtract(mix, shot, *at));
    QVERIFY(silent(mix));
}

void TestSoundOutput::floatAndStereoWavesPlay() {
    const auto shot = noise(kRate / 5, 8);
    QVERIFY(writeFloat(path("float.wav"), shot));
    // The same signal on both sides: the mono mix holds the sum of the two.
    const auto side = noise(kRate / 5, 9);
    std::vector<std::int16_t> stereo;
    std::vector<std::int16_t> sum;
    for (std::int16_t sample : side) {
        stereo.insert(stereo.end(), {sample, sample});
        sum.push_back(static_cast<std::int16_t>(2 * sample));
    }
    QVERIFY(writePcm16(path("stereo.wav"), stereo, 2));
    auto output = std::make_unique<OpenAlSoundOutput>();
    const SoundOutput::Handle floatWave = output->open(path("float.wav"));
    const SoundOutput::Handle stereoWave = output->open(path("stereo.wav"));
    QVERIFY(floatWave != 0);
    QVERIFY(stereoWave != 0);
    output->play(floatWave);
    QTest::qWait(300);
    output->play(stereoWave);
    QTest::qWait(400);

    auto mix = mixOf(output);
    const auto floatAt = find(mix, shot);
    QVERIFY(floatAt.has_value());
    QVERIFY(subtract(mix, shot, *floatAt));
    const auto stereoAt = find(mix, sum);
    QVERIFY(stereoAt.has_value());
    QVERIFY(subtract(mix, sum, *stereoAt));
    QVERIFY(silent(mix));
}

void TestSoundOutput::badFilesAreSilentAndTheNextGoodOpenWorks() {
    const auto shot = noise(kRate / 5, 10);
    QVERIFY(writePcm16(path("succ.wav"), shot));
    QVERIFY(writeFile(path("text.wav"), "This is not a sound.\r\n"));
    const QByteArray good = waveHeader(1, 1, kRate, 16, 200) + QByteArray(200, '\x10');
    QVERIFY(writeFile(path("truncated.wav"), good.left(20)));
    QVERIFY(writeFile(path("rate.wav"), waveHeader(1, 1, 2000000000, 16, 200) + good.mid(44)));
    QVERIFY(writeFile(path("channels.wav"), waveHeader(1, 200, kRate, 16, 200) + good.mid(44)));
    QVERIFY(writeFile(path("empty.wav"), waveHeader(1, 1, kRate, 16, 0)));
    QVERIFY(QDir(m_dir.path()).mkdir("folder.wav"));
    const QStringList bad{"missing.wav",  "text.wav",  "truncated.wav", "rate.wav",
                          "channels.wav", "empty.wav", "folder.wav"};

    auto output = std::make_unique<OpenAlSoundOutput>();
    {
        MMControl control(*output);
        for (const QString& name : bad) {
            control.setFileName(path(name));
            control.setCommand("open");
            QVERIFY2(!control.isOpen(), qPrintable(name));
            control.setCommand("play");
            control.setCommand("prev");
        }
        control.setFileName(path("succ.wav"));
        control.setCommand("open");
        QVERIFY(control.isOpen());
        control.setCommand("play");
        control.setCommand("prev");
        QTest::qWait(400);
        control.setCommand("close");
        control.setCommand("play");
        control.setCommand("close");
    }
    output->play(12345);
    output->rewind(12345);
    output->close(12345);

    auto mix = mixOf(output);
    const auto at = find(mix, shot);
    QVERIFY(at.has_value());
    QVERIFY(subtract(mix, shot, *at));
    QVERIFY(silent(mix));
}

void TestSoundOutput::noDeviceIsSilentAndQuiet_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("pulseServer");
    QTest::newRow("no usable driver") << QByteArray("drivers = nosuchdriver\n") << QByteArray();
    QTest::newRow("sound server unreachable") << QByteArray() << QByteArray("unix:/nonexistent");
}

// OpenAL reads its settings once per process, so each case runs in a process of its own.
void TestSoundOutput::noDeviceIsSilentAndQuiet() {
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, pulseServer);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DESKWRECK_SOUND_CHILD", "1");
    environment.remove("ALSOFT_CONF");
    environment.remove("ALSOFT_LOGLEVEL");
    if (!config.isEmpty()) {
        QVERIFY(writeFile(path("nodevice.conf"), config));
        environment.insert("ALSOFT_CONF", path("nodevice.conf"));
    }
    if (!pulseServer.isEmpty())
        environment.insert("PULSE_SERVER", QString::fromLatin1(pulseServer));

    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {"withoutDevice"});
    QVERIFY(child.waitForFinished(15000));
    const QByteArray report = child.readAllStandardOutput();
    QVERIFY2(child.exitCode() == 0, report.constData());
    QCOMPARE(child.readAllStandardError(), QByteArray());
    if (report.contains("SKIP   : TestSoundOutput::withoutDevice"))
        QSKIP("this machine has a sound device that the child found");
    QVERIFY(report.contains("PASS   : TestSoundOutput::withoutDevice"));
}

void TestSoundOutput::withoutDevice() {
    if (!qEnvironmentVariableIsSet("DESKWRECK_SOUND_CHILD"))
        QSKIP("run in a process of its own by noDeviceIsSilentAndQuiet");
    QVERIFY(writePcm16(path("shoot.wav"), noise(kRate / 10, 11)));
    OpenAlSoundOutput output;
    const SoundOutput::Handle handle = output.open(path("shoot.wav"));
    if (output.hasDevice())
        QSKIP("a sound device is present");
    // Kept open for a device found later; until then every call is a quiet no-op.
    QVERIFY(handle != 0);
    output.play(handle);
    output.rewind(handle);
    output.close(handle);
    output.stopAll();
    MMControl control(output);
    control.setFileName(path("shoot.wav"));
    for (const char* command : {"open", "play", "prev", "close", "open", "play"})
        control.setCommand(command);
    QVERIFY(control.isOpen());
    QVERIFY(!output.hasDevice());
}

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
