// The password change: only two characters or more typed identically in both boxes are taken;
// MEAS.DAT then holds, for each character, a noise number from 50 to 249 and the character's
// code plus 12, nothing of an older password, and is readable by its owner alone.
#include "settings/PasswordChange.h"
#include "settings/frmSettings.h"
#include "support/SettingsScene.h"

namespace {

const RecordedMessage kRejected{"Your password was not changed!  Try Again.", "Error",
                                MessageIcon::Critical};
const RecordedMessage kChanged{"Your password has been changed!", "OK", MessageIcon::None};

// The lines of MEAS.DAT, each of which must end in CR LF.
QStringList passwordLines(const QString& folder) {
    QFile file(folder + "/MEAS.DAT");
    if (!file.open(QIODevice::ReadOnly))
        return {"<missing>"};
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith("\r\n"))
        return {"<no line end>"};
    return QString::fromLatin1(bytes.chopped(2)).split("\r\n");
}

} // namespace

class PasswordTest : public QObject {
    Q_OBJECT

  private slots:
    void init();

    void theRule_data();
    void theRule();
    void randomStaysBelowOne();

    void rejectedPasswordsWriteNothing_data();
    void rejectedPasswordsWriteNothing();
    void twoCharactersGiveFourLines();
    void spaceAndCommaAreStored();
    void shorterPasswordLeavesNoTraceOfTheOld();
    void fileIsForItsOwnerOnly();
    void passwordNeitherFolderTakesIsReported();
    void charactersOfAnyScriptAreKept();

  private:
    void change(const QString& first, const QString& second);

    std::unique_ptr<SettingsScene> m_scene;
};

void PasswordTest::init() {
    m_scene = std::make_unique<SettingsScene>();
    QVERIFY(m_scene->isValid());
}

void PasswordTest::change(const QString& first, const QString& second) {
    frmSettings dialog(m_scene->target, m_scene->messages, m_scene->folders);
    dialog.Text1->setText(first);
    dialog.Text2->setText(second);
    dialog.Command1->click();
    // The boxes keep what was typed, whatever the outcome.
    QCOMPARE(dialog.Text1->text(), first);
    QCOMPARE(dialog.Text2->text(), second);
}

void PasswordTest::theRule_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("both empty") << ""
                                << "" << false;
    QTest::newRow("one character") << "a"
                                   << "a" << false;
    QTest::newRow("one character outside the BMP") << "\U0001F600"
                                                   << "\U0001F600" << false;
    QTest::newRow("two characters") << "ab"
                                    << "ab" << true;
    QTest::newRow("letter case differs") << "Secret"
                                         << "secret" << false;
    QTest::newRow("trailing space in the second") << "secret"
                                                  << "secret " << false;
    QTest::newRow("trailing space in the first") << "secret "
                                                 << "secret" << false;
    QTest::newRow("second empty") << "secret"
                                  << "" << false;
    QTest::newRow("spaces kept alike") << " a b "
                                       << " a b " << true;
}

void PasswordTest::theRule() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, accepted);
    QCOMPARE(passwordAccepted(first, second), accepted);
}

void PasswordTest::randomStaysBelowOne() {
    for (int draw = 0; draw < 1000; ++draw) {
        const double r = clockSeededRandom();
        QVERIFY2(r >= 0.0 && r < 1.0, qPrintable(QString::number(r, 'g', 17)));
    }
}

void PasswordTest::rejectedPasswordsWriteNothing_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("both empty") << ""
                                << "";
    QTest::newRow("one character") << "x"
                                   << "x";
    QTest::newRow("letter case differs") << "Pass"
                                         << "pass";
    QTest::newRow("trailing space") << "pass"
                                    << "pass ";
}

void PasswordTest::rejectedPasswordsWriteNothing() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    change(first, second);
    QCOMPARE(m_scene->messages.messages, QList<RecordedMessage>{kRejected});
    QVERIFY(QDir(m_scene->programFolder.path()).isEmpty());
}

void PasswordTest::twoCharactersGiveFourLines() {
    change("ab", "ab");
    QCOMPARE(m_scene->messages.messages, QList<RecordedMessage>{kChanged});
    const QStringList lines = passwordLines(m_scene->programFolder.path());
    QCOMPARE(lines.size(), 4);
    for (int noiseLine : {0, 2}) {
        bool isNumber = false;
        const int noise = lines[noiseLine].toInt(&isNumber);
        QVERIFY2(isNumber && noise >= 50 && noise <= 249, qPrintable(lines[noiseLine]));
    }
    QCOMPARE(lines[1], QString("109"));
    QCOMPARE(lines[3], QString("110"));
}

void PasswordTest::spaceAndCommaAreStored() {
    change("a ,", "a ,");
    const QStringList lines = passwordLines(m_scene->programFolder.path());
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[1], QString("109"));
    QCOMPARE(lines[3], QString("44"));
    QCOMPARE(lines[5], QString("56"));
}

void PasswordTest::shorterPasswordLeavesNoTraceOfTheOld() {
    change("abcdef", "abcdef");
    QCOMPARE(passwordLines(m_scene->programFolder.path()).size(), 12);
    change("xy", "xy");
    const QStringList lines = passwordLines(m_scene->programFolder.path());
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[1], QString("132"));
    QCOMPARE(lines[3], QString("133"));
    QCOMPARE(QDir(m_scene->programFolder.path()).entryList(QDir::Files), QStringList{"MEAS.DAT"});
    QCOMPARE(m_scene->messages.messages, (QList<RecordedMessage>{kChanged, kChanged}));
}

void PasswordTest::fileIsForItsOwnerOnly() {
    change("owner", "owner");
    const QFileDevice::Permissions permissions =
        QFile::permissions(m_scene->programFolder.path() + "/MEAS.DAT");
    QVERIFY(permissions & QFileDevice::ReadOwner);
    QVERIFY(permissions & QFileDevice::WriteOwner);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(permissions & others, QFileDevice::Permissions());
}

void PasswordTest::passwordNeitherFolderTakesIsReported() {
    SettingsScene::writeFile(m_scene->playerHome.filePath("plain"), "x");
    m_scene->folders.program = m_scene->playerHome.filePath("plain/program");
    m_scene->folders.player = m_scene->playerHome.filePath("plain/deskwreck");
    change("secret", "secret");
    QCOMPARE(m_scene->messages.messages.size(), 1);
    const RecordedMessage& shown = m_scene->messages.messages.first();
    QVERIFY2(shown.text.startsWith("Unable to save MEAS.DAT.\n\n"), qPrintable(shown.text));
    QCOMPARE(shown.title, QString("Error:"));
    QCOMPARE(shown.icon, MessageIcon::Critical);
}

void PasswordTest::charactersOfAnyScriptAreKept() {
    change(QString::fromUtf8("aж字😀"), QString::fromUtf8("aж字😀"));
    const QStringList lines = passwordLines(m_scene->programFolder.path());
    QCOMPARE(lines.size(), 8);
    QCOMPARE((QStringList{lines[1], lines[3], lines[5], lines[7]}),
             (QStringList{"109", "1090", "23395", "128524"}));
    QCOMPARE(m_scene->messages.messages, QList<RecordedMessage>{kChanged});
}

QTEST_MAIN(PasswordTest)
#include "test_password.moc"
