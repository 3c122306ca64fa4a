// The two settings folders: each file is read from the player's folder when it holds it, else
// from the program folder; a write goes to the program folder whenever it can be written and
// leaves no player's copy to hide it, else to the player's folder (made 0700); a write neither
// takes is reported with the file and the reasons, and nothing on disk changes.
#include "settings/files/SettingsFolders.h"
#include "support/FileAttribute.h"
#include "support/FixedSettingsFolders.h"
#include "support/FolderBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace settingsfiles;

namespace {

constexpr uid_t kNobody = 65534;

mode_t modeOf(const QString& path) {
    struct stat info {};
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A player who cannot write the program folder, as under an install for every user. Root writes
// any folder, so as root the player is nobody, by effective ids, over a root-owned folder.
class PlayerWithoutWriteAccess {
  public:
    PlayerWithoutWriteAccess(const QString& root, const QString& program, const QString& home)
        : m_program(program) {
        if (geteuid() != 0) {
            m_ready = chmod(QFile::encodeName(program).constData(), 0555) == 0;
            return;
        }
        m_ready = chmod(QFile::encodeName(root).constData(), 0755) == 0 &&
                  chmod(QFile::encodeName(program).constData(), 0755) == 0 &&
                  chown(QFile::encodeName(home).constData(), kNobody, kNobody) == 0 &&
                  setegid(kNobody) == 0 && seteuid(kNobody) == 0;
        m_switched = m_ready;
    }
    ~PlayerWithoutWriteAccess() {
        if (m_switched) {
            (void)seteuid(0);
            (void)setegid(0);
        } else {
            chmod(QFile::encodeName(m_program).constData(), 0755);
        }
    }
    bool ready() const { return m_ready; }

  private:
    QString m_program;
    bool m_ready = false;
    bool m_switched = false;
};

} // namespace

class TestSettingsFolders : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void playerFolderFromTheEnvironment();
    void readsEachFileFromTheFirstFolderHoldingIt();
    void writableProgramFolderTakesTheWriteAndTheCopyGoes();
    void unwritableProgramFolderSendsTheWriteToThePlayer();
    void writeNeitherFolderTakesIsReportedAndLosesNothing();
    void pictureFilesAreNeverSplitAcrossTheFolders();

  private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_program;
    QString m_home;
    QString m_player;
};

void TestSettingsFolders::init() {
    m_root = std::make_unique<QTemporaryDir>();
    m_program = m_root->filePath("program");
    m_home = m_root->filePath("home");
    m_player = m_home + "/.config/deskwreck";
    QVERIFY(QDir().mkpath(m_program) && QDir().mkpath(m_home));
}

void TestSettingsFolders::playerFolderFromTheEnvironment() {
    QCOMPARE(playerFolderFor("/xdg/", "/home/me"), QString("/xdg/deskwreck"));
    QCOMPARE(playerFolderFor("", "/home/me"), QString("/home/me/.config/deskwreck"));
    QCOMPARE(playerFolderFor("relative", "/home/me"), QString("/home/me/.config/deskwreck"));
    QCOMPARE(playerFolderFor("", ""), QString());
}

void TestSettingsFolders::readsEachFileFromTheFirstFolderHoldingIt() {
    const FixedSettingsFolders folders(m_program, m_player);
    writeRaw(m_program + "/PICNAM.DAT", "\"/shipped.bmp\"\r\n");
    writeRaw(m_program + "/PICDIM.DAT", "1\r\n2\r\n");
    writeRaw(m_program + "/caption.dat", "\"Shipped\"\r\n");
    QCOMPARE(readCaption(folders), QString("Shipped"));

    QVERIFY(QDir().mkpath(m_player));
    writeRaw(m_player + "/Caption.DAT", "\"Mine\"\r\n");
    writeRaw(m_player + "/picdim.dat", "30\r\n40\r\n");
    QCOMPARE(readCaption(folders), QString("Mine"));
    QCOMPARE(readPicturePath(folders), QString("/shipped.bmp"));
    QCOMPARE(readPictureSize(folders)->width, 30);
}

void TestSettingsFolders::writableProgramFolderTakesTheWriteAndTheCopyGoes() {
    const FixedSettingsFolders folders(m_program, m_player);
    QVERIFY(writeCaption(folders, "Hello, world"));
    QCOMPARE(readAll(m_program + "/caption.dat"), QByteArray("\"Hello, world\"\r\n"));
    QVERIFY(!QFileInfo::exists(m_player)); // never made when not needed

    QVERIFY(QDir().mkpath(m_player));
    writeRaw(m_player + "/CAPTION.DAT", "\"Mine\"\r\n");
    writeRaw(m_player + "/MEAS.DAT", "1\r\n2\r\n");
    QVERIFY(writeCaption(folders, "New"));
    QCOMPARE(readCaption(folders), QString("New"));
    QCOMPARE(entriesOf(m_player), QStringList{"MEAS.DAT"});
    QCOMPARE(entriesOf(m_program), QStringList{"caption.dat"});
}

void TestSettingsFolders::unwritableProgramFolderSendsTheWriteToThePlayer() {
    writeRaw(m_program + "/caption.dat", "\"Shipped\"\r\n");
    const FixedSettingsFolders folders(m_program, m_player);
    PlayerWithoutWriteAccess player(m_root->path(), m_program, m_home);
    if (!player.ready())
        QSKIP("cannot take the part of a player without write access here");
    QVERIFY(writeCaption(folders, QString::fromUtf8("Привет")));
    QVERIFY(writePicture(folders, "/a.bmp", 15.0f, 30.0f));
    QVERIFY(writePassword(folders, "pw", [] { return 0.0; }));
    QCOMPARE(readCaption(folders), QString::fromUtf8("Привет"));
    QCOMPARE(readPicturePath(folders), QString("/a.bmp"));
    QCOMPARE(entriesOf(m_player),
             (QStringList{"MEAS.DAT", "PICDIM.DAT", "PICNAM.DAT", "caption.dat"}));
    QCOMPARE(readAll(m_player + "/MEAS.DAT"), QByteArray("50\r\n124\r\n50\r\n131\r\n"));
    QCOMPARE(modeOf(m_player), mode_t(0700));
    QCOMPARE(modeOf(m_home + "/.config"), mode_t(0700));
    QCOMPARE(modeOf(m_player + "/MEAS.DAT"), mode_t(0600));
    QCOMPARE(entriesOf(m_program), QStringList{"caption.dat"});
    QCOMPARE(readAll(m_program + "/caption.dat"), QByteArray("\"Shipped\"\r\n"));
}

void TestSettingsFolders::writeNeitherFolderTakesIsReportedAndLosesNothing() {
    // A folder path under a regular file can be made by nobody, root included.
    writeRaw(m_home + "/.config", "not a folder");
    writeRaw(m_program + "/PICNAM.DAT", "\"/old.bmp\"\r\n");
    // A settings name taken by a folder: no file can be renamed over it, even by root.
    QVERIFY(QDir().mkpath(m_program + "/picdim.dat/keep"));
    const FixedSettingsFolders folders(m_program, m_player);
    const WriteResult written = writePicture(folders, "/new.bmp", 15.0f, 30.0f);
    QVERIFY(!written);
    QCOMPARE(written.fileName, QString("PICDIM.DAT"));
    QCOMPARE(written.reasons.size(), 2);
    QVERIFY2(written.reasons[0].startsWith(m_program + ": "), qPrintable(written.reasons[0]));
    QCOMPARE(written.reasons[1], m_player + ": the folder cannot be made");
    // Neither picture file took its name: the path stays with its old size.
    QCOMPARE(readAll(m_program + "/PICNAM.DAT"), QByteArray("\"/old.bmp\"\r\n"));
    QCOMPARE(entriesOf(m_program), (QStringList{"PICNAM.DAT", "picdim.dat"}));
    QCOMPARE(entriesOf(m_program + "/picdim.dat"), QStringList{"keep"});
    QCOMPARE(readAll(m_home + "/.config"), QByteArray("not a folder"));
}

void TestSettingsFolders::pictureFilesAreNeverSplitAcrossTheFolders() {
    writeRaw(m_program + "/PICNAM.DAT", "\"/shipped.bmp\"\r\n");
    writeRaw(m_program + "/PICDIM.DAT", "15\r\n30\r\n");
    QVERIFY(QDir().mkpath(m_player));
    writeRaw(m_player + "/PICNAM.DAT", "\"/mine.bmp\"\r\n");
    writeRaw(m_player + "/PICDIM.DAT", "45\r\n60\r\n");
    // The player's size can be neither removed nor replaced; the path can.
    const FileAttribute appendOnly(m_player + "/PICDIM.DAT", "a");
    if (!appendOnly.done())
        QSKIP("chattr +a is not available here");
    const FixedSettingsFolders folders(m_program, m_player);
    QVERIFY(!writePicture(folders, "/new.bmp", 75.0f, 90.0f));
    QCOMPARE(readAll(m_program + "/PICNAM.DAT"), QByteArray("\"/shipped.bmp\"\r\n"));
    QCOMPARE(readAll(m_program + "/PICDIM.DAT"), QByteArray("15\r\n30\r\n"));
    QCOMPARE(readAll(m_player + "/PICNAM.DAT"), QByteArray("\"/mine.bmp\"\r\n"));
    QCOMPARE(readAll(m_player + "/PICDIM.DAT"), QByteArray("45\r\n60\r\n"));
    QCOMPARE(entriesOf(m_program), (QStringList{"PICDIM.DAT", "PICNAM.DAT"}));
    QCOMPARE(entriesOf(m_player), (QStringList{"PICDIM.DAT", "PICNAM.DAT"}));
}

QTEST_GUILESS_MAIN(TestSettingsFolders)
#include "test_settings_folders.moc"
