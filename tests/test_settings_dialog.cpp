// The settings dialog: its window and controls, the drive, folder and *.bmp lists, the preview
// and its height and width in twips, "Set Image" and "Set Caption" writing the settings files
// before the play field reads them back, and every way of leaving it restarting Timer1.
#include "settings/SettingsRules.h"
#include "settings/frmSettings.h"
#include "support/BitmapWriter.h"
#include "support/SettingsScene.h"

#include <QTimer>

namespace {

const RecordedMessage kNoPicture{"Unable to select picture.  Please try again.",
                                 "Error:", MessageIcon::Critical};

// Notes which folder the file list showed when a message came up.
struct FolderAtMessage final : MessageBox {
    void show(const QString& text, const QString& title, MessageIcon icon) override {
        folderSeen = dialog ? dialog->File1->path() : QString();
        recorded.show(text, title, icon);
    }
    const frmSettings* dialog = nullptr;
    QString folderSeen;
    RecordingMessageBox recorded;
};

} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void rulesOfThePreviewAndPaths();
    void drivesOfferedAndTheDriveOfAFolder();

    void windowAndControlsAtTheirPlaces();
    void linesFrameThePreviewBand();
    void focusStartsInText1AndFollowsTheTabOrder();

    void listsStartAtTheCurrentFolder();
    void foldersOpenByDoubleClickOrEnter();
    void unreadableDriveFallsBackThenReports();

    void previewReadsHeightThenWidth();
    void setImageWithoutSelectionWritesNothing();
    void doubleClickSetsThePictureAtOnce();
    void unloadableBitmapKeepsThePreviousPreview();

    void pathsInAnyScriptAndPathsThatCannotBeReadBack();
    void writesNeitherFolderTakesAreReportedAsFailed();

    void setCaptionByButtonAndByEnter();
    void emptyCaptionAndTheTypingLimit();
    void longCaptionStaysWholeButTypingStopsAt26();

    void everyWayOutRestartsTimer1();
    void reopeningShowsTheTargetsCurrentCaption();

  private:
    QListWidgetItem* fileItem(const QString& name) const;
    void clickFile(const QString& name);

    std::unique_ptr<SettingsScene> m_scene;
    std::unique_ptr<frmSettings> m_dialog;
};

void SettingsDialogTest::init() {
    m_scene = std::make_unique<SettingsScene>();
    QVERIFY(m_scene->isValid());
}

void SettingsDialogTest::cleanup() {
    m_dialog.reset();
    m_scene.reset();
}

QListWidgetItem* SettingsDialogTest::fileItem(const QString& name) const {
    const QList<QListWidgetItem*> found = m_dialog->File1->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void SettingsDialogTest::clickFile(const QString& name) {
    QListWidgetItem* item = fileItem(name);
    QVERIFY2(item, qPrintable(name));
    QTest::mouseClick(m_dialog->File1->viewport(), Qt::LeftButton, {},
                      m_dialog->File1->visualItemRect(item).center());
}

void SettingsDialogTest::rulesOfThePreviewAndPaths() {
    using namespace settingsrules;
    QCOMPARE(fullPathOf("/", "a.bmp"), QString("/a.bmp"));
    QCOMPARE(fullPathOf("/home/me/Pictures", "a.bmp"), QString("/home/me/Pictures/a.bmp"));
    QCOMPARE(fullPathOf("/media/usb/", "B.BMP"), QString("/media/usb/B.BMP"));

    QCOMPARE(pixelsToTwips(200, 15.0), 3000);
    QCOMPARE(pixelsToTwips(150, 15.0), 2250);
    QCOMPARE(pixelsToTwips(7, 1440.0 / 110.0), 92); // 91.64 at 110 dpi
    QCOMPARE(pixelsToTwips(1, 2.5), 2);             // halves go to the even neighbour
    QCOMPARE(pixelsToTwips(3, 2.5), 8);

    const units::ScreenMetrics at96;
    QCOMPARE(units::toPixels(at96, 0, 0, 5490, 6705), QRect(0, 0, 366, 447));
    QCOMPARE(units::toPixels(at96, 2160, 600, 2655, 285), QRect(144, 40, 177, 19));
    const units::ScreenMetrics at120{120.0, 120.0};
    QCOMPARE(units::toPixels(at120, 120, 3360, 2295, 1695), QRect(10, 280, 191, 141));
}

void SettingsDialogTest::drivesOfferedAndTheDriveOfAFolder() {
    const QStringList mounted = QString("/proc / /sys /run/user/1000 /dev/shm /boot/efi /home "
                                        "/media/me/USB /run/media/me/CARD /mnt/data /snap/core/1 "
                                        "/media/me/USB /home/me/nas")
                                    .split(' ');
    const QStringList expected = {
        "/", "/home", "/home/me/nas", "/media/me/USB", "/mnt/data", "/run/media/me/CARD"};
    QCOMPARE(filebrowser::browsableDrives(mounted, "/home/me"), expected);
    QCOMPARE(filebrowser::browsableDrives({}, "/home/me"), QStringList{"/"});

    QCOMPARE(filebrowser::driveOf("/home/me/Pictures", expected), QString("/home"));
    QCOMPARE(filebrowser::driveOf("/home/me/nas/x", expected), QString("/home/me/nas"));
    QCOMPARE(filebrowser::driveOf("/homework", expected), QString("/"));
    QCOMPARE(filebrowser::driveOf("/tmp", expected), QString("/"));
}

void SettingsDialogTest::windowAndControlsAtTheirPlaces() {
    if (units::primaryScreenMetrics().dpiX != 96.0)
        QSKIP("the pixel places below hold at 96 dpi");
    m_dialog = m_scene->openDialog();
    frmSettings& d = *m_dialog;
    QCOMPARE(d.windowTitle(), QString("Deskwreck! Settings"));
    QCOMPARE(d.size(), QSize(366, 447));
    QCOMPARE(d.minimumSize(), d.maximumSize());
    const QPoint offCentre = d.frameGeometry().center() - d.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 2, "the dialog stands at the centre of the screen");
    const Qt::WindowFlags flags = d.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint) && !(flags & Qt::WindowMaximizeButtonHint));

    QCOMPARE(d.Frame1->title(), QString("Password:"));
    QCOMPARE(d.Frame1->geometry(), QRect(8, 8, 345, 81));
    QCOMPARE(d.Text1->geometry(), QRect(144, 16, 177, 19));
    QCOMPARE(d.Command1->text(), QString("Change"));
    QCOMPARE(d.Command1->geometry(), QRect(16, 24, 89, 25));
    QCOMPARE(d.Label3->text(),
             QString("To change your password, you must enter it in both boxes above."));
    QCOMPARE(d.Frame2->title(), QString("Picture:"));
    QCOMPARE(d.File1->geometry(), QRect(208, 16, 129, 84));
    QCOMPARE(d.Command2->text(), QString("Set Image"));
    QCOMPARE(d.Image1->geometry(), QRect(8, 224, 153, 113));
    QCOMPARE(d.Command2->pos(), d.Image1->pos()); // the button is drawn over the preview
    QCOMPARE(d.Label2->geometry(), QRect(72, 208, 65, 17));
    QCOMPARE(d.Frame3->title(), QString("Caption:"));
    QCOMPARE(d.Frame3->geometry(), QRect(0, 360, 353, 50));
    QCOMPARE(d.Text3->maxLength(), 26);
    QCOMPARE(d.Command5->text(), QString("Close"));
    QCOMPARE(d.Command5->geometry(), QRect(8, 416, 97, 25));

    for (QLineEdit* box : {d.Text1, d.Text2}) {
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        QCOMPARE(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box),
                 int('*'));
        QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
    }
    for (QPushButton* button : {d.Command1, d.Command2, d.Command4, d.Command5}) {
        QCOMPARE(button->font().family(), QString("MS Sans Serif"));
        QCOMPARE(button->font().pointSizeF(), 9.75);
        QVERIFY(button->font().bold());
        QCOMPARE(button->font().styleHint(), QFont::SansSerif);
        QVERIFY(!button->autoDefault() && !button->isDefault());
    }
    // However wide the stand-in font, the instruction is never cut off.
    QVERIFY(QFontMetrics(d.Label3->font()).horizontalAdvance(d.Label3->text()) <=
            d.Label3->contentsRect().width());
    QVERIFY(d.Label1->text().isEmpty() && d.Label2->text().isEmpty());
    QVERIFY(!d.Image1->hasPicture());
}

void SettingsDialogTest::linesFrameThePreviewBand() {
    m_dialog = m_scene->openDialog();
    struct Expected {
        DecorativeLine* line;
        QPoint from, to;
        QColor colour;
        int width;
    };
    const QColor plain = m_dialog->palette().color(QPalette::WindowText);
    const QList<Expected> lines = {
        {m_dialog->Line1, {3360, 3360}, {3360, 5280}, QColor(255, 255, 0), 5},
        {m_dialog->Line2, {5280, 3360}, {5280, 5280}, QColor(255, 0, 0), 5},
        {m_dialog->Line3, {1440, 3360}, {1440, 5280}, QColor(0, 255, 0), 5},
        {m_dialog->Line4, {5280, 3360}, {120, 3360}, plain, 1},
        {m_dialog->Line5, {5280, 5280}, {120, 5280}, plain, 1},
    };
    for (const Expected& expected : lines) {
        QCOMPARE(expected.line->fromTwips(), expected.from);
        QCOMPARE(expected.line->toTwips(), expected.to);
        QCOMPARE(expected.line->colour(), expected.colour);
        QCOMPARE(expected.line->lineWidth(), expected.width);
        QCOMPARE(expected.line->focusPolicy(), Qt::NoFocus);
    }
    // The thick lines are painted in their colours: sample the middle of the red one.
    const QImage shot = m_dialog->grab().toImage();
    const QPoint middle = settingsrules::twipPoint(units::primaryScreenMetrics(), 5280, 4320);
    QCOMPARE(QColor(shot.pixel(middle)), QColor(255, 0, 0));
}

void SettingsDialogTest::focusStartsInText1AndFollowsTheTabOrder() {
    m_dialog = m_scene->openDialog();
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    frmSettings& d = *m_dialog;
    QCOMPARE(QApplication::focusWidget(), d.Text1);
    const QList<QWidget*> order = {d.Text2,    d.Command1, d.Drive1,   d.Dir1,     d.File1,
                                   d.Command2, d.Text3,    d.Command4, d.Command5, d.Text1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void SettingsDialogTest::listsStartAtTheCurrentFolder() {
    m_dialog = m_scene->openDialog();
    const QString current = QDir::currentPath();
    QCOMPARE(m_dialog->Dir1->path(), current);
    QCOMPARE(m_dialog->File1->path(), current);
    QCOMPARE(m_dialog->File1->pattern(), QString("*.bmp"));
    QStringList listed;
    for (int row = 0; row < m_dialog->File1->count(); ++row)
        listed.append(m_dialog->File1->item(row)->text());
    QCOMPARE(listed, (QStringList{"broken.bmp", "photo.bmp", "SMALL.BMP"}));
    QVERIFY(m_dialog->File1->fileName().isEmpty());
    QCOMPARE(m_dialog->Drive1->drive(), filebrowser::driveOf(current, m_dialog->Drive1->drives()));
    QCOMPARE(m_dialog->Drive1->drives().first(), QString("/"));
    QCOMPARE(m_dialog->Text3->text(), QString("Boss"));
    QVERIFY(m_scene->messages.messages.isEmpty());
}

void SettingsDialogTest::foldersOpenByDoubleClickOrEnter() {
    m_dialog = m_scene->openDialog();
    FolderList* folders = m_dialog->Dir1;
    const QString current = QDir::currentPath();
    QListWidgetItem* sub = nullptr;
    QListWidgetItem* own = nullptr;
    for (int row = 0; row < folders->count(); ++row) {
        if (FolderList::pathOf(folders->item(row)) == current + "/sub")
            sub = folders->item(row);
        if (FolderList::pathOf(folders->item(row)) == current)
            own = folders->item(row);
    }
    QVERIFY(sub && own);
    QCOMPARE(FolderList::pathOf(folders->item(0)), QString("/"));

    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                      folders->visualItemRect(sub).center());
    QCOMPARE(folders->path(), current); // a single click only selects
    SettingsScene::doubleClick(folders, sub);
    QCOMPARE(folders->path(), current + "/sub");
    QCOMPARE(m_dialog->File1->path(), current + "/sub");
    QCOMPARE(m_dialog->File1->count(), 1);
    QCOMPARE(m_dialog->File1->item(0)->text(), QString("inner.bmp"));

    folders->setFocus();
    folders->setCurrentRow(folders->count() - 2); // the parent, just above the open folder
    QTest::keyClick(folders, Qt::Key_Return);
    QCOMPARE(folders->path(), current);
    QCOMPARE(m_dialog->File1->count(), 3);

    QVERIFY(!folders->setPath(current + "/missing"));
    QCOMPARE(folders->path(), current);
}

void SettingsDialogTest::unreadableDriveFallsBackThenReports() {
    FolderAtMessage messages;
    frmSettings dialog(m_scene->target, messages, m_scene->folders);
    messages.dialog = &dialog;
    const QString vanished = QDir::currentPath() + "/unplugged";
    dialog.Drive1->setDrives({"/", vanished});

    dialog.Drive1->setDrive(vanished);
    QCOMPARE(dialog.Drive1->drive(), QString("/"));
    QCOMPARE(dialog.Dir1->path(), QString("/"));
    QCOMPARE(dialog.File1->path(), QString("/"));
    QCOMPARE(messages.recorded.messages,
             (QList<RecordedMessage>{{"Error reading drive.", "Error:", MessageIcon::Critical}}));
    QCOMPARE(messages.folderSeen, QString("/")); // the lists had fallen back before the message
}

void SettingsDialogTest::previewReadsHeightThenWidth() {
    m_dialog = m_scene->openDialog();
    if (units::primaryScreenMetrics().twipsPerPixelX() != 15.0)
        QSKIP("the numbers below hold at 15 twips per pixel");
    clickFile("photo.bmp");
    QCOMPARE(m_dialog->File1->fileName(), QString("photo.bmp"));
    QCOMPARE(m_dialog->Label1->text(), QString("2250"));
    QCOMPARE(m_dialog->Label2->text(), QString("3000"));
    QCOMPARE(m_dialog->Image1->size(), QSize(200, 150));
    QCOMPARE(m_dialog->Image1->pos(), m_dialog->Command2->pos()); // top-left corner stays

    QTest::keyClick(m_dialog->File1, Qt::Key_Down); // keys select too
    QCOMPARE(m_dialog->File1->fileName(), QString("SMALL.BMP"));
    QCOMPARE(m_dialog->Label1->text(), QString("300"));
    QCOMPARE(m_dialog->Label2->text(), QString("600"));
    QCOMPARE(m_scene->target.getPictureCalls, 0);
}

void SettingsDialogTest::setImageWithoutSelectionWritesNothing() {
    m_dialog = m_scene->openDialog();
    m_dialog->Command2->click();
    QCOMPARE(m_scene->messages.messages, QList<RecordedMessage>{kNoPicture});
    // Nor straight after a change of folder, which leaves no file selected.
    clickFile("photo.bmp");
    QVERIFY(m_dialog->Dir1->setPath(QDir::currentPath() + "/sub"));
    QVERIFY(m_dialog->File1->fileName().isEmpty());
    m_dialog->Command2->click();
    QCOMPARE(m_scene->messages.messages, (QList<RecordedMessage>{kNoPicture, kNoPicture}));
    QVERIFY(QDir(m_scene->programFolder.path()).isEmpty());
    QCOMPARE(m_scene->target.getPictureCalls, 0);
}

void SettingsDialogTest::doubleClickSetsThePictureAtOnce() {
    m_dialog = m_scene->openDialog();
    if (units::primaryScreenMetrics().twipsPerPixelX() != 15.0)
        QSKIP("the numbers below hold at 15 twips per pixel");
    QListWidgetItem* photo = fileItem("photo.bmp");
    QVERIFY(photo);
    SettingsScene::doubleClick(m_dialog->File1, photo);
    QCOMPARE(m_dialog->Label1->text(), QString("2250"));
    QCOMPARE(m_scene->target.getPictureCalls, 1);
    const QString path = QDir::currentPath() + "/photo.bmp";
    QCOMPARE(m_scene->target.picturePathRead, std::optional<QString>(path));
    const QString folder = m_scene->programFolder.path();
    QCOMPARE(QDir(folder).entryList(QDir::Files), (QStringList{"PICDIM.DAT", "PICNAM.DAT"}));
    QCOMPARE(m_scene->programFile("PICNAM.DAT"), "\"" + path.toLatin1() + "\"\r\n");
    QCOMPARE(m_scene->programFile("PICDIM.DAT"), QByteArray("3000\r\n2250\r\n"));
    QVERIFY(m_scene->messages.messages.isEmpty());
    QCOMPARE(m_scene->target.timerChanges, 0); // the target stays still while the dialog is open
    QVERIFY(m_dialog->isVisible());
}

void SettingsDialogTest::unloadableBitmapKeepsThePreviousPreview() {
    m_dialog = m_scene->openDialog();
    clickFile("broken.bmp");
    QCOMPARE(m_dialog->Label1->text(), QString("1695"));
    QCOMPARE(m_dialog->Label2->text(), QString("2295"));
    QVERIFY(!m_dialog->Image1->hasPicture());
    m_dialog->Command2->click();
    const QString path = QDir::currentPath() + "/broken.bmp";
    QCOMPARE(m_scene->programFile("PICNAM.DAT"), "\"" + path.toLatin1() + "\"\r\n");
    QCOMPARE(m_scene->programFile("PICDIM.DAT"), QByteArray("2295\r\n1695\r\n"));
    QCOMPARE(m_scene->target.getPictureCalls, 1);

    if (units::primaryScreenMetrics().twipsPerPixelX() != 15.0)
        QSKIP("the numbers below hold at 15 twips per pixel");
    clickFile("SMALL.BMP");
    clickFile("broken.bmp");
    QCOMPARE(m_dialog->Label1->text(), QString("300"));
    QCOMPARE(m_dialog->Label2->text(), QString("600"));
    QCOMPARE(m_dialog->Image1->size(), QSize(40, 20));
    m_dialog->Command2->click();
    QCOMPARE(m_scene->programFile("PICDIM.DAT"), QByteArray("600\r\n300\r\n"));
    QVERIFY(m_scene->messages.messages.isEmpty());

    // Bad bitmaps: an enormous stated size, a negative width, a header size that is none.
    QByteArray reallyBig = bmptest::bitmapFile(bmptest::testPicture(), {});
    QByteArray badWidth = reallyBig;
    QByteArray badHeaderSize = reallyBig;
    bmptest::put32(reallyBig, bmptest::kWidth, 3'000'000);
    bmptest::put32(reallyBig, bmptest::kHeight, 3'000'000);
    bmptest::put32(badWidth, bmptest::kWidth, quint32(-7));
    bmptest::put32(badHeaderSize, 14, 1000);
    const QList<std::pair<QString, QByteArray>> badBitmaps{{"reallybig.bmp", reallyBig},
                                                           {"badwidth.bmp", badWidth},
                                                           {"badheadersize.bmp", badHeaderSize}};
    for (const auto& [name, bytes] : badBitmaps) {
        QFile file(QDir::currentPath() + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QVERIFY(m_dialog->File1->setPath(QDir::currentPath()));
        clickFile(name);
        QCOMPARE(m_dialog->Label1->text(), QString("300"));
        QCOMPARE(m_dialog->Image1->size(), QSize(40, 20));
    }
}

void SettingsDialogTest::pathsInAnyScriptAndPathsThatCannotBeReadBack() {
    const QString cyrillic = QDir::currentPath() + QString::fromUtf8("/Фото");
    QVERIFY(QDir().mkdir(cyrillic));
    SettingsScene::writeBitmap(cyrillic + QString::fromUtf8("/кот.bmp"), 4, 4);
    SettingsScene::writeBitmap(QDir::currentPath() + "/say \"cheese\".bmp", 4, 4);
    SettingsScene::writeBitmap(QDir::currentPath() + "/two\nlines.bmp", 4, 4);
    m_dialog = m_scene->openDialog();
    for (const QString name : {"say \"cheese\".bmp", "two\nlines.bmp"}) {
        clickFile(name);
        m_dialog->Command2->click();
    }
    QCOMPARE(m_scene->messages.messages, (QList<RecordedMessage>{kNoPicture, kNoPicture}));
    QVERIFY(QDir(m_scene->programFolder.path()).isEmpty());
    QCOMPARE(m_scene->target.getPictureCalls, 0);

    QVERIFY(m_dialog->Dir1->setPath(cyrillic));
    clickFile(QString::fromUtf8("кот.bmp"));
    m_dialog->Command2->click();
    const QString path = cyrillic + QString::fromUtf8("/кот.bmp");
    QCOMPARE(m_scene->programFile("PICNAM.DAT"), "\"" + path.toUtf8() + "\"\r\n");
    QCOMPARE(m_scene->target.picturePathRead, std::optional<QString>(path));
}

void SettingsDialogTest::writesNeitherFolderTakesAreReportedAsFailed() {
    SettingsScene::writeFile(m_scene->playerHome.filePath("plain"), "x");
    m_scene->folders.program = m_scene->playerHome.filePath("plain/program");
    m_scene->folders.player = m_scene->playerHome.filePath("plain/deskwreck");
    m_dialog = m_scene->openDialog();
    m_dialog->Text3->setText("Lost");
    m_dialog->Command4->click();
    clickFile("photo.bmp");
    m_dialog->Command2->click();
    const QList<RecordedMessage>& shown = m_scene->messages.messages;
    QCOMPARE(shown.size(), 2);
    for (const auto& [message, file] :
         {std::pair{shown[0], "caption.dat"}, std::pair{shown[1], "PICNAM.DAT"}}) {
        QCOMPARE(message.title, QString("Error:"));
        QCOMPARE(message.icon, MessageIcon::Critical);
        const QStringList lines = message.text.split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QString("Unable to save %1.").arg(file));
        QVERIFY2(lines[2].startsWith(m_scene->folders.program + ": "), qPrintable(lines[2]));
        QCOMPARE(lines[3], m_scene->folders.player + ": the folder cannot be made");
    }
    // Nothing was kept, so the target is not asked to read anything back.
    QCOMPARE(m_scene->target.getCaptionCalls, 0);
    QCOMPARE(m_scene->target.getPictureCalls, 0);
    QCOMPARE(m_scene->target.caption, QString("Boss"));
}

void SettingsDialogTest::setCaptionByButtonAndByEnter() {
    m_dialog = m_scene->openDialog();
    m_dialog->Text3->setText("Hello, world");
    m_dialog->Command4->click();
    QCOMPARE(m_scene->programFile("caption.dat"), QByteArray("\"Hello, world\"\r\n"));
    QCOMPARE(
        m_scene->messages.messages,
        (QList<RecordedMessage>{{"Caption Set: Hello, world", "Caption Set", MessageIcon::None}}));
    QCOMPARE(m_scene->target.getCaptionCalls, 1);
    QCOMPARE(m_scene->target.caption, QString("Hello, world"));

    m_scene->messages.messages.clear();
    m_dialog->Text3->setFocus();
    m_dialog->Text3->setText("Boss 2");
    QTest::keyClick(m_dialog->Text3, Qt::Key_Return);
    QCOMPARE(m_scene->programFile("caption.dat"), QByteArray("\"Boss 2\"\r\n"));
    QCOMPARE(m_scene->messages.messages,
             (QList<RecordedMessage>{{"Caption Set: Boss 2", "Caption Set", MessageIcon::None}}));
    QCOMPARE(m_scene->target.getCaptionCalls, 2);
    QCOMPARE(m_dialog->Text3->text(), QString("Boss 2"));
    // Enter pressed no button of the dialog and left it open with the target still stopped.
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_scene->target.getPictureCalls, 0);
    QCOMPARE(m_scene->target.timerChanges, 0);
}

void SettingsDialogTest::emptyCaptionAndTheTypingLimit() {
    m_dialog = m_scene->openDialog();
    m_dialog->Text3->clear();
    m_dialog->Command4->click();
    QCOMPARE(m_scene->programFile("caption.dat"), QByteArray("\"\"\r\n"));
    QCOMPARE(m_scene->messages.messages,
             (QList<RecordedMessage>{{"Caption Set: ", "Caption Set", MessageIcon::None}}));
    QCOMPARE(m_scene->target.caption, QString());

    m_dialog->Text3->setFocus();
    QTest::keyClicks(m_dialog->Text3, "abcdefghijklmnopqrstuvwxyz0123");
    QCOMPARE(m_dialog->Text3->text(), QString("abcdefghijklmnopqrstuvwxyz"));
}

// The limit is on typing only: a longer caption, from a hand-edited caption.dat, shows and is
// set whole, and typing adds nothing until the caption is back within 26 characters.
void SettingsDialogTest::longCaptionStaysWholeButTypingStopsAt26() {
    const QString longCaption("A caption of thirty-four letters!!");
    m_scene->target.caption = longCaption;
    m_dialog = m_scene->openDialog();
    QCOMPARE(m_dialog->Text3->text(), longCaption);
    m_dialog->Command4->click();
    QCOMPARE(m_scene->programFile("caption.dat"), "\"" + longCaption.toLatin1() + "\"\r\n");
    QCOMPARE(m_scene->messages.messages.last().text, "Caption Set: " + longCaption);

    m_dialog->Text3->setFocus();
    m_dialog->Text3->setCursorPosition(2);
    QTest::keyClicks(m_dialog->Text3, "long ");
    QCOMPARE(m_dialog->Text3->text(), longCaption);
    QTest::keyClick(m_dialog->Text3, Qt::Key_Return);
    QCOMPARE(m_scene->programFile("caption.dat"), "\"" + longCaption.toLatin1() + "\"\r\n");
    QTest::keyClick(m_dialog->Text3, Qt::Key_End);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(m_dialog->Text3, Qt::Key_Backspace);
    QTest::keyClicks(m_dialog->Text3, "1234");
    QCOMPARE(m_dialog->Text3->text(), QString("A caption of thirty-four12"));
}

void SettingsDialogTest::everyWayOutRestartsTimer1() {
    m_dialog = m_scene->openDialog();
    m_dialog->hide();
    frmSettings* dialog = m_dialog.get();
    QTimer::singleShot(0, dialog, [dialog] { dialog->Command5->click(); });
    QCOMPARE(dialog->exec(), int(QDialog::Accepted));
    QVERIFY(m_scene->target.timer1Enabled);
    QCOMPARE(m_scene->target.timerChanges, 1);
    QVERIFY(!dialog->isVisible());

    // The title bar's close box restarts it too.
    m_scene->target.timer1Enabled = false;
    auto again = m_scene->openDialog();
    QVERIFY(again->close());
    QVERIFY(m_scene->target.timer1Enabled);
    QVERIFY(!again->isVisible());

    // Esc is no way out: there is no Cancel, and what was being typed stays.
    auto third = m_scene->openDialog();
    const int changes = m_scene->target.timerChanges;
    QTest::keyClicks(third->Text1, "half typed");
    QTest::keyClick(third->Text1, Qt::Key_Escape);
    third->Text3->setFocus();
    QTest::keyClick(third->Text3, Qt::Key_Escape);
    QTest::keyClick(third.get(), Qt::Key_Escape);
    QVERIFY(third->isVisible());
    QCOMPARE(third->Text1->text(), QString("half typed"));
    QCOMPARE(m_scene->target.timerChanges, changes);
}

void SettingsDialogTest::reopeningShowsTheTargetsCurrentCaption() {
    m_dialog = m_scene->openDialog();
    clickFile("photo.bmp");
    m_dialog->Text3->setText("Changed");
    m_dialog->Command4->click();
    m_dialog->Command5->click();
    m_dialog.reset();

    m_dialog = m_scene->openDialog();
    QCOMPARE(m_dialog->Text3->text(), QString("Changed"));
    QVERIFY(!m_dialog->Image1->hasPicture());
    QVERIFY(m_dialog->Label1->text().isEmpty() && m_dialog->Label2->text().isEmpty());
    QVERIFY(m_dialog->File1->fileName().isEmpty());
}

QTEST_MAIN(SettingsDialogTest)
#include "test_settings_dialog.moc"
