#include "settings/frmSettings.h"

#include "components/DialogTitleBar.h"
#include "components/GameScreen.h"
#include "components/Placement.h"

#include "settings/PasswordChange.h"
#include "settings/SettingsRules.h"
#include "settings/TypingLimit.h"
#include "settings/files/SettingsFiles.h"

#include <QDir>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace {

constexpr int kCaptionLimit = 26;
constexpr int kEnter = 13;

// The character code a key press types: 13 for Enter, 0 when it types nothing.
int characterCodeOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return kEnter;
    return event.text().isEmpty() ? 0 : event.text().front().unicode();
}

} // namespace

frmSettings::frmSettings(TargetHost& target, MessageBox& messages,
                         const settingsfiles::SettingsFolders& folders, QWidget* parent)
    : QDialog(parent), m_target(target), m_messages(messages), m_folders(folders),
      m_metrics(gamescreen::metrics()) {
    setWindowTitle(QStringLiteral("Deskwreck! Settings"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(0, 0, 5490, 6705).size());

    // Created bottom to top: the lines lie under the preview, the preview under "Set Image".
    createPreviewBand();
    createPasswordFrame();
    createPictureFrame();
    createCaptionFrame();
    Command5 = new QPushButton(QStringLiteral("Close"), this);
    Command5->setGeometry(twips(120, 6240, 1455, 375));
    for (QPushButton* button : {Command1, Command2, Command4, Command5}) {
        button->setFont(gameFont(9.75, true));
        // Enter in the caption box sets the caption and nothing else.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    arrangeTabOrder();
    connectHandlers();
    if (toolkitDrawsFrames())
        DialogTitleBar::install(this);
    Form_Load();
    Text1->setFocus();
}

QRect frmSettings::twips(int left, int top, int width, int height) const {
    return units::toPixels(m_metrics, left, top, width, height);
}

void frmSettings::createPreviewBand() {
    const auto line = [this](QPoint from, QPoint to, QColor colour, int width) {
        return new DecorativeLine(m_metrics, from, to, colour, width, this);
    };
    const QColor defaultColour = palette().color(QPalette::WindowText);
    Line5 = line({5280, 5280}, {120, 5280}, defaultColour, 1);
    Line4 = line({5280, 3360}, {120, 3360}, defaultColour, 1);
    Line3 = line({1440, 3360}, {1440, 5280}, QColor(0, 255, 0), 5);
    Line2 = line({5280, 3360}, {5280, 5280}, QColor(255, 0, 0), 5);
    Line1 = line({3360, 3360}, {3360, 5280}, QColor(255, 255, 0), 5);

    Image1 = new PreviewImage(m_metrics, {120, 3360}, this);
    Label1 = new QLabel(this);
    Label1->setGeometry(twips(120, 3120, 975, 255));
    Label2 = new QLabel(this);
    Label2->setGeometry(twips(1080, 3120, 975, 255));
    for (QLabel* label : {Label1, Label2})
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    Command2 = new QPushButton(QStringLiteral("Set Image"), this);
    Command2->setGeometry(twips(120, 3360, 1695, 375));
}

void frmSettings::createPasswordFrame() {
    Frame1 = new QGroupBox(QStringLiteral("Password:"), this);
    Frame1->setGeometry(twips(120, 120, 5175, 1215));
    Text1 = new QLineEdit(Frame1);
    Text1->setGeometry(twips(2160, 240, 2655, 285));
    Text2 = new QLineEdit(Frame1);
    Text2->setGeometry(twips(2160, 600, 2655, 285));
    showAsterisks(Text1);
    showAsterisks(Text2);
    Command1 = new QPushButton(QStringLiteral("Change"), Frame1);
    Command1->setGeometry(twips(240, 360, 1335, 375));
    Label3 = new QLabel(
        QStringLiteral("To change your password, you must enter it in both boxes above."), Frame1);
    Label3->setGeometry(twips(120, 960, 4815, 255));
    shrinkToFit(Label3);
}

void frmSettings::createPictureFrame() {
    Frame2 = new QGroupBox(QStringLiteral("Picture:"), this);
    Frame2->setGeometry(twips(120, 1320, 5175, 1695));
    Drive1 = new DriveList(Frame2);
    Drive1->setGeometry(twips(120, 240, 975, 315));
    Dir1 = new FolderList(Frame2);
    Dir1->setGeometry(twips(1200, 240, 1815, 1215));
    File1 = new FileList(Frame2);
    File1->setGeometry(twips(3120, 240, 1935, 1260));
}

void frmSettings::createCaptionFrame() {
    Frame3 = new QGroupBox(QStringLiteral("Caption:"), this);
    Frame3->setGeometry(twips(0, 5400, 5295, 750));
    Command4 = new QPushButton(QStringLiteral("Set Caption"), Frame3);
    Command4->setGeometry(twips(120, 240, 1695, 375));
    Text3 = new QLineEdit(Frame3);
    Text3->setGeometry(twips(1920, 240, 3255, 285));
    limitTyping(Text3, kCaptionLimit);
    Text3->installEventFilter(this);
}

void frmSettings::arrangeTabOrder() {
    const QList<QWidget*> order = {Text1, Text2,    Command1, Drive1,   Dir1,
                                   File1, Command2, Text3,    Command4, Command5};
    for (qsizetype index = 1; index < order.size(); ++index)
        QWidget::setTabOrder(order[index - 1], order[index]);
}

void frmSettings::connectHandlers() {
    connect(Drive1, &DriveList::driveChanged, this, &frmSettings::Drive1_Change);
    connect(Dir1, &FolderList::pathChanged, this, &frmSettings::Dir1_Change);
    connect(File1, &FileList::fileClicked, this, &frmSettings::File1_Click);
    connect(File1, &FileList::fileDoubleClicked, this, &frmSettings::File1_DblClick);
    connect(Command1, &QPushButton::clicked, this, &frmSettings::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSettings::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &frmSettings::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmSettings::Command5_Click);
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text3 && event->type() == QEvent::KeyPress) {
        int KeyAscii = characterCodeOf(*static_cast<QKeyEvent*>(event));
        if (KeyAscii != 0)
            Text3_KeyPress(KeyAscii);
    }
    return QDialog::eventFilter(watched, event); // the box always gets the key too
}

void frmSettings::Form_Load() {
    setWholeText(Text3, m_target.TargetCaption());
    // The lists open on the process's current folder, without raising their change events.
    const QString current = QDir::currentPath();
    const QSignalBlocker driveBlocker(Drive1);
    const QSignalBlocker folderBlocker(Dir1);
    Drive1->setDrive(filebrowser::driveOf(current, Drive1->drives()));
    if (!Dir1->setPath(current))
        Dir1->setPath(QString::fromLatin1(filebrowser::kFallbackDrive));
    File1->setPath(Dir1->path());
}

void frmSettings::Drive1_Change() {
    if (Dir1->setPath(Drive1->drive()))
        return;
    // Raises the drive change once more, which moves the folder list to the fallback.
    Drive1->setDrive(QString::fromLatin1(filebrowser::kFallbackDrive));
    m_messages.show(QStringLiteral("Error reading drive."), QStringLiteral("Error:"),
                    MessageIcon::Critical);
}

void frmSettings::Dir1_Change() {
    File1->setPath(Dir1->path()); // a folder that cannot be listed leaves the list as it was
}

void frmSettings::File1_Click() {
    Image1->load(settingsrules::fullPathOf(File1->path(), File1->fileName()));
    // Whether or not it loaded, the labels show the preview's size: height, then width.
    Label1->setText(QString::number(Image1->heightTwips()));
    Label2->setText(QString::number(Image1->widthTwips()));
}

void frmSettings::File1_DblClick() {
    Command2_Click();
}

void frmSettings::Command1_Click() {
    if (!passwordAccepted(Text1->text(), Text2->text())) {
        m_messages.show(QStringLiteral("Your password was not changed!  Try Again."),
                        QStringLiteral("Error"), MessageIcon::Critical);
        return;
    }
    const auto written = settingsfiles::writePassword(m_folders, Text1->text(), clockSeededRandom);
    if (!written)
        return showWriteFailure(written);
    m_messages.show(QStringLiteral("Your password has been changed!"), QStringLiteral("OK"),
                    MessageIcon::None);
}

void frmSettings::Command2_Click() {
    const QString path = settingsrules::fullPathOf(File1->path(), File1->fileName());
    // A path holding a double quote or a line end would read back cut short.
    if (File1->fileName().isEmpty() || !settingsfiles::fitsQuotedLine(path)) {
        m_messages.show(QStringLiteral("Unable to select picture.  Please try again."),
                        QStringLiteral("Error:"), MessageIcon::Critical);
        return;
    }
    // The size of the bitmap last previewed; the bitmap itself is not loaded again here.
    const auto written = settingsfiles::writePicture(m_folders, path, float(Image1->widthTwips()),
                                                     float(Image1->heightTwips()));
    if (!written)
        return showWriteFailure(written);
    m_target.GetPicture();
}

void frmSettings::Command4_Click() {
    const QString caption = Text3->text();
    if (const auto written = settingsfiles::writeCaption(m_folders, caption); !written)
        return showWriteFailure(written);
    m_messages.show(QStringLiteral("Caption Set: ") + caption, QStringLiteral("Caption Set"),
                    MessageIcon::None);
    m_target.GetCaption();
}

void frmSettings::Text3_KeyPress(int& KeyAscii) {
    if (KeyAscii == kEnter)
        Command4_Click();
}

void frmSettings::Command5_Click() {
    m_target.SetTimer1Enabled(true);
    QDialog::accept();
}

void frmSettings::keyPressEvent(QKeyEvent* event) {
    // The dialog has no Cancel: Esc leaves it open, with what was typed into its boxes.
    if (event->matches(QKeySequence::Cancel))
        return;
    QDialog::keyPressEvent(event);
}

void frmSettings::reject() {
    m_target.SetTimer1Enabled(true);
    QDialog::reject();
}

// In place of the confirmation, which would tell the player a setting was kept when it was not.
void frmSettings::showWriteFailure(const settingsfiles::WriteResult& result) {
    m_messages.show(QStringLiteral("Unable to save %1.\n\n%2")
                        .arg(result.fileName, result.reasons.join(QLatin1Char('\n'))),
                    QStringLiteral("Error:"), MessageIcon::Critical);
}
