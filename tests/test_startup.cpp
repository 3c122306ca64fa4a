// The login dialog and the start screen: their captions, sizes, controls, tab order, Enter and
// Esc, access keys, and the order of start-up: music first, then the hidden play field with its
// snapshot, and the music stopping when the game starts; the game's icon.
#include "support/PlayFieldFixture.h"

#include "app/frmLogin.h"
#include "app/frmStart.h"
#include "components/DialogTitleBar.h"
#include "components/WindowRole.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void loginDialogLayout();
    void loginEnterAndEscape();
    void loginAccessKeys();
    void loginCloseBoxEndsTheProgram();
    void startScreenLayout();
    void startScreenLoadsMusicThenPlayField();
    void startShowsThePlayFieldAndStopsTheMusic();
    void startScreenEscDoesNothingAndExitEnds();
    void gameIconAtEverySize();
};

void StartupTest::loginDialogLayout() {
    RecordingProgramEnd end;
    frmLogin login(end, units::ScreenMetrics{});
    login.Form_Load();
    QCOMPARE(login.Attempts, std::int16_t(1));
    QCOMPARE(login.windowTitle(), QStringLiteral("Login"));
    QCOMPARE(login.size(), QSize(250, 103));
    QCOMPARE(login.lblLabels[0]->text(), QStringLiteral("&User Name:"));
    QCOMPARE(login.lblLabels[1]->text(), QStringLiteral("&Password:"));
    QCOMPARE(login.txtUserName->geometry(), QRect(86, 8, 155, 23));
    QCOMPARE(login.txtPassword->echoMode(), QLineEdit::Password);
    QCOMPARE(login.cmdOK->geometry(), QRect(33, 68, 76, 26));
    QCOMPARE(login.cmdCancel->geometry(), QRect(140, 68, 76, 26));
    login.show();
    QVERIFY(QTest::qWaitForWindowActive(&login));
    QCOMPARE(QApplication::focusWidget(), login.txtUserName);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), login.txtPassword);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), login.cmdOK);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), login.cmdCancel);
}

void StartupTest::loginEnterAndEscape() {
    for (bool filled : {false, true}) {
        RecordingProgramEnd end;
        frmLogin login(end, units::ScreenMetrics{});
        int loggedIn = 0;
        login.onLoggedIn = [&] { ++loggedIn; };
        login.show();
        QVERIFY(QTest::qWaitForWindowActive(&login));
        if (filled) {
            QTest::keyClicks(login.txtUserName, QStringLiteral("someone"));
            QTest::keyClicks(login.txtPassword, QStringLiteral("secret"));
        }
        QTest::keyClick(login.txtPassword, Qt::Key_Return);
        QCOMPARE(loggedIn, 1);
        QVERIFY(login.LoginSucceeded);
        QVERIFY(!login.isVisible());
        QCOMPARE(end.ends, 0);

        frmLogin again(end, units::ScreenMetrics{});
        again.show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QTest::keyClick(again.txtUserName, Qt::Key_Escape);
        QCOMPARE(end.ends, 1);
        QVERIFY(!again.LoginSucceeded);
        QVERIFY(!again.isVisible());
    }
}

void StartupTest::loginAccessKeys() {
    RecordingProgramEnd end;
    frmLogin login(end, units::ScreenMetrics{});
    int loggedIn = 0;
    login.onLoggedIn = [&] { ++loggedIn; };
    login.show();
    QVERIFY(QTest::qWaitForWindowActive(&login));
    QTest::keyClick(&login, Qt::Key_P, Qt::AltModifier);
    // Past the delay after which a label clicks a button it is the access key of.
    QTest::qWait(500);
    QCOMPARE(QApplication::focusWidget(), login.cmdOK);
    QCOMPARE(loggedIn, 0);
    QVERIFY(login.isVisible());
    QVERIFY(!login.LoginSucceeded);
    QTest::keyClick(&login, Qt::Key_U, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), login.txtUserName);
}

// The window system's close box, and the one of the title bar the game draws where the toolkit
// would draw a frame with minimize and maximize boxes.
void StartupTest::loginCloseBoxEndsTheProgram() {
    RecordingProgramEnd end;
    frmLogin login(end, units::ScreenMetrics{});
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    login.close();
    QCOMPARE(end.ends, 1);

    frmLogin framed(end, units::ScreenMetrics{});
    const DialogTitleBar* bar = DialogTitleBar::install(&framed);
    QVERIFY2(framed.windowFlags().testFlag(Qt::FramelessWindowHint),
             qPrintable(QString::number(framed.windowFlags(), 16)));
    QCOMPARE(framed.size(), QSize(250, 103 + DialogTitleBar::kHeight));
    QCOMPARE(framed.txtUserName->geometry(), QRect(86, 8 + DialogTitleBar::kHeight, 155, 23));
    framed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&framed));
    QCOMPARE(QApplication::focusWidget(), framed.txtUserName);
    QTest::mouseClick(bar->closeBox(), Qt::LeftButton);
    QCOMPARE(end.ends, 2);
}

void StartupTest::startScreenLayout() {
    PlayFieldFixture f;
    frmStart start(f.services({1024, 768}));
    QCOMPARE(start.windowTitle(), QStringLiteral("Deskwreck!"));
    QCOMPARE(start.size(), QSize(396, 433));
    QCOMPARE(start.OKButton->text(), QStringLiteral("Start"));
    QCOMPARE(start.Command1->text(), QStringLiteral("Exit"));
    QCOMPARE(start.OKButton->geometry(), QRect(312, 8, 81, 25));
    QCOMPARE(start.Label4->text(), QStringLiteral("DESKWRECK!"));
    QVERIFY(start.OKButton->isDefault());
    QCOMPARE(start.palette().color(QPalette::Window), QColor(Qt::black));
    QStringList texts;
    for (const QLabel* label : start.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    for (const char* text :
         {"- Left-Click to Fire.", "- 1=Darts", "- 2=Kisses", "- 3=Shotgun", "- 4=Suction Cups",
          "- Right-Click to Exit (QUICKLY)", "- Plus+/Minus-= Adjust Speed",
          "- <Spacebar>= Restart", "- Backspace = Options",
          "Deskwreck! can work with ANY .BMP photograph and caption that YOU supply!!"})
        QVERIFY2(texts.contains(QString::fromLatin1(text)), text);
    // However wide the stand-in font, no instruction is cut off.
    for (const QLabel* label : start.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed =
            QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
        QVERIFY2(label->contentsRect().contains(needed), qPrintable(label->text()));
    }
    // The boxes show only the top-left part of their pictures.
    QCOMPARE(start.Picture3->size(), QSize(97, 57));
    QCOMPARE(start.Picture4->size(), QSize(57, 33));
    QCOMPARE(start.Picture2->pixmap().size(), QSize(64, 64));
}

void StartupTest::startScreenLoadsMusicThenPlayField() {
    PlayFieldFixture f;
    frmStart start(f.services({1024, 768}));
    start.Form_Load();
    QCOMPARE(f.sound.calls, (QStringList{"open guit.wav", "play guit.wav", "open shoot.wav"}));
    QVERIFY(start.playField());
    QVERIFY(!start.playField()->isVisible());
    QVERIFY(start.playField()->Timer1.isActive());
    QCOMPARE(start.playField()->backing().pixel(10, 10), f.desktop.grab().pixel(10, 10));
}

void StartupTest::startShowsThePlayFieldAndStopsTheMusic() {
    PlayFieldFixture f;
    frmStart start(f.services({1024, 768}));
    start.Form_Load();
    start.show();
    QVERIFY(QTest::qWaitForWindowActive(&start));
    QCOMPARE(QApplication::focusWidget(), start.OKButton);
    f.sound.calls.clear();
    QTest::keyClick(start.OKButton, Qt::Key_Return);
    QCOMPARE(f.sound.calls, QStringList{"close guit.wav"});
    QVERIFY(start.playField()->isVisible());
    QVERIFY(start.isVisible());
    QCOMPARE(start.playField()->geometry(), QRect(0, 0, 1024, 768));
}

void StartupTest::startScreenEscDoesNothingAndExitEnds() {
    PlayFieldFixture f;
    frmStart start(f.services({1024, 768}));
    start.show();
    QVERIFY(QTest::qWaitForWindowActive(&start));
    QTest::keyClick(&start, Qt::Key_Escape);
    QVERIFY(start.isVisible());
    QCOMPARE(f.programEnd.ends, 0);
    QTest::mouseClick(start.Command1, Qt::LeftButton);
    QCOMPARE(f.programEnd.ends, 1);
}

// Task bars and switchers ask for the sizes the icon offers; any other is drawn from the next
// larger picture.
void StartupTest::gameIconAtEverySize() {
    const QIcon icon = windowrole::gameIcon();
    const QList<QSize> offered{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    QCOMPARE(icon.availableSizes(), offered);
    for (const QSize& size : offered + QList<QSize>{{24, 24}, {100, 100}}) {
        const QImage drawn = icon.pixmap(size).toImage();
        QCOMPARE(drawn.size(), size);
        QVERIFY(drawn.pixelColor(size.width() / 2, size.height() / 2).alpha() > 0);
    }
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
