#include "playfield/frmRange.h"

#include "components/GameScreen.h"
#include "components/MessageBox.h"
#include "components/PictureLoader.h"
#include "components/Placement.h"
#include "components/ProgramEnd.h"
#include "components/WindowRole.h"
#include "playfield/BlockTransfer.h"
#include "playfield/BrowserLauncher.h"
#include "playfield/DesktopSource.h"
#include "playfield/FlatFrame.h"
#include "playfield/Rules.h"
#include "playfield/WindowRepaints.h"
#include "resources/BannerAddress.h"
#include "settings/files/SettingsFiles.h"
#include "settings/frmSettings.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTime>

namespace {

constexpr QRgb kMaskBlue = qRgb(0, 0, 255);
constexpr QRgb kBannerGrey = qRgb(192, 192, 192);
constexpr int kLaunchersImage = 5; // its size sets the strip height and the first half-width
constexpr int kBlock = 5000;       // pixels copied from the desktop, each way

constexpr float kFrame1Top = 0;
constexpr float kFrame1Height = 1815;

// The caption's design place inside the target.
constexpr float kLabel2Top = 3720;
constexpr float kLabel2Width = 3255;
constexpr float kLabel2Height = 255;

} // namespace

frmRange::frmRange(const PlayFieldServices& services)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      ImageList2(ImageList::fromResources(QStringLiteral("imagelist2"), 16, kBannerGrey, false,
                                          services.metrics)),
      MMControl1(services.sound),
      ImageList1(ImageList::fromResources(QStringLiteral("imagelist1"), 9, kMaskBlue, true,
                                          services.metrics)),
      m_services(services) {
    setWindowTitle(QStringLiteral("Form1"));
    // Full screen on the game's monitor, which a Wayland compositor is told by the screen.
    if (QScreen* screen = QGuiApplication::screenAt(services.screenGeometry.center()))
        setScreen(screen);
    setGeometry(services.screenGeometry);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setColours(this, QApplication::palette("QMenu").color(QPalette::Window), Qt::black);
    createFrame();
    createStrip();
    createTarget();
    // What the window system repaints of the target and the banner loses what was drawn there.
    new WindowRepaints(this, [this](const QRegion& region) {
        const QRegion onTarget = region.translated(-Picture1->pos()) & Picture1->rect();
        if (!onTarget.isEmpty())
            Picture1->windowRepainted(onTarget);
        const QRegion onBanner =
            region.translated(Picture4->mapFrom(this, QPoint())) & Picture4->contentsRect();
        if (!onBanner.isEmpty())
            Picture4->windowRepainted(onBanner);
    });
    Timer1.setInterval(1000);
    Timer2.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(&Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    windowrole::keepOutOfTaskbar(this);
}

frmRange::~frmRange() = default;

void frmRange::createFrame() {
    const auto& metrics = m_services.metrics;
    Frame1 = new FlatFrame(QStringLiteral("Deskwreck! V2.0"), this);
    Frame1->setFont(gameFont(9.75, true));
    setColours(Frame1, kBannerGrey, Qt::black);
    Frame1->setAttribute(Qt::WA_NoMousePropagation);
    placeInTwips(Frame1, metrics, 0, kFrame1Top, 7095, kFrame1Height);

    Picture4 = new BannerBox(Frame1);
    placeInTwips(Picture4, metrics, 120, 240, 6855, 855);
    Picture4->onClick = [this] { Picture4_Click(); };

    auto makeLabel = [&](const QString& text, double left, double width) {
        auto* label = new QLabel(text, Frame1);
        label->setFont(gameFont(9.75, true));
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        setColours(label, QColor(128, 128, 128), Qt::white);
        placeInTwips(label, metrics, left, 1200, width, 375);
        return label;
    };
    Label1 = makeLabel(QStringLiteral("Score: 0"), 120, 1695);
    Label3 = makeLabel(QStringLiteral("Speed:"), 1920, 1455);

    Label4 = new QLabel(QStringLiteral("Your message could be here! Click the banner to find out "
                                       "how to advertise on every desktop."),
                        Frame1);
    Label4->setFont(gameFont(8.25, true));
    Label4->setWordWrap(true);
    placeInTwips(Label4, metrics, 3480, 1080, 3495, 615);
    shrinkToFit(Label4);
}

void frmRange::createStrip() {
    Picture3 = new SurfaceBox(this, m_services.metrics);
    Picture3->setTwipsGeometry(120, 3120, 1695, 1215);
    Picture3->hide();
    Picture2 = new SurfaceBox(this, m_services.metrics);
    Picture2->setTwipsGeometry(120, 1920, 1695, 1215);
    Picture2->setAttribute(Qt::WA_NoMousePropagation);
}

void frmRange::createTarget() {
    Picture1 = new TargetBox(this, m_services.metrics, m_services.screenGeometry.size());
    Picture1->setTwipsGeometry(2760, 2520, 3195, 3975);
    Picture1->setPicture(QImage(QStringLiteral(":/target.bmp")));
    Picture1->onMouseDown = [this](const MouseArgs& e) {
        Picture1_MouseDown(e.Button, e.Shift, e.X, e.Y);
    };
    Picture1->onMouseMove = [this](const MouseArgs& e) {
        Picture1_MouseMove(e.Button, e.Shift, e.X, e.Y);
    };
    Picture1->onKeyPress = [this](std::int16_t& key) { Picture1_KeyPress(key); };

    Label2 = new QLabel(QStringLiteral("Welcome"), Picture1);
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setFont(gameFont(8.25, true));
    Label2->setAutoFillBackground(true);
    Label2->setAttribute(Qt::WA_NoMousePropagation);
    placeInTwips(Label2, m_services.metrics, 0, kLabel2Top, kLabel2Width, kLabel2Height);
    Picture1->setFocus();
}

void frmRange::Form_Load() {
    m_state.bannerFrame = 1;
    ImageList2.Draw(1, Picture4->surface(), 0, 0, ImageList::Normal);
    Picture4->update();
    m_state.gunImage = 5;

    MMControl1.setFileName(programFile(QStringLiteral("shoot.wav")));
    MMControl1.setCommand(QStringLiteral("open"));
    m_state.weaponType = 3;
    m_state.score = 0;

    takeSnapshot();
    fitToSnapshot();
    const auto& metrics = m_services.metrics;
    const double screenWidthTwips = metrics.toTwipsX(m_services.screenGeometry.width());
    const double screenHeightTwips = metrics.toTwipsY(m_services.screenGeometry.height());
    const auto launcher = ImageList1.ListImages(kLaunchersImage).Picture;
    m_state.stripTop =
        rules::stripTop(screenHeightTwips, metrics.twipsPerPixelY(), launcher.Height);
    const auto stripHeight = float(rules::stripHeight(launcher.Height));
    for (SurfaceBox* strip : {Picture2, Picture3}) {
        strip->setHeight(stripHeight);
        strip->setWidth(float(screenWidthTwips));
    }
    fillStrips();
    // Last, as it may take the snapshot over: then the strips and the backing hold every pixel
    // of it that is ever shown.
    fillBacking();
    m_desktop = QImage();
    m_state.screenWidth = units::roundTo<std::int32_t>(screenWidthTwips);
    m_state.screenHeight = units::roundTo<std::int32_t>(screenHeightTwips);
    Picture2->setTop(float(m_state.screenHeight) - stripHeight);
    Picture2->setLeft(0);
    m_state.gunHalfWidth = rules::normalGunHalfWidth(launcher.Width);

    GetPicture();
    GetCaption();
    Label3->setText(rules::loadSpeedText(Timer1.interval(), rules::displayLocale()));
    Timer1.start();
    Timer2.start();
}

void frmRange::takeSnapshot() {
    m_desktop = m_services.desktop.grab();
}

// A compositor that lays its outputs out in device pixels (mutter without scaled framebuffers)
// reports a scaled screen at its device size, yet gives a full-screen window that size over the
// scale. The snapshot, cut to the screen's own pixels at its scale, has the size the play field
// really gets; a logical layout's snapshot is the screen's size but for rounding.
void frmRange::fitToSnapshot() {
    if (m_desktop.isNull())
        return;
    const QSize shown = m_desktop.deviceIndependentSize().toSize();
    QRect& screen = m_services.screenGeometry;
    if (shown.width() + 1 >= screen.width() || shown.height() + 1 >= screen.height())
        return;
    screen.setSize(shown);
    resize(shown);
}

qreal frmRange::snapshotRatio() const {
    return m_desktop.isNull() ? devicePixelRatioF() : m_desktop.devicePixelRatio();
}

// The desktop from (1, 1) on, at most kBlock pixels each way, over the background colour. A
// snapshot that is the form's own size already holds that picture but for its top row and left
// column: it becomes the backing, saving a screen-sized copy (15 ms at 4K).
void frmRange::fillBacking() {
    const qreal ratio = snapshotRatio();
    const QSize pixels = size() * ratio;
    const QColor background = palette().color(QPalette::Window);
    const bool whole = size().width() <= kBlock + 1 && size().height() <= kBlock + 1;
    if (whole && m_desktop.size() == pixels && m_desktop.format() == QImage::Format_RGB32) {
        m_backing = std::move(m_desktop);
        QPainter painter(&m_backing);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(0, 0, width(), 1), background);
        painter.fillRect(QRect(0, 0, 1, height()), background);
        return;
    }
    m_backing = QImage(pixels, QImage::Format_RGB32);
    m_backing.setDevicePixelRatio(ratio);
    m_backing.fill(background);
    blockTransfer(m_backing, {1, 1}, m_desktop, {1, 1}, {kBlock, kBlock});
}

void frmRange::fillStrips() {
    const qreal ratio = snapshotRatio();
    for (SurfaceBox* strip : {Picture2, Picture3}) {
        strip->resizeBacking(ratio);
        blockTransfer(strip->backing(), {0, 0}, m_desktop, {0, m_state.stripTop}, {kBlock, kBlock});
    }
}

QString frmRange::TargetCaption() const {
    return Label2->text();
}

void frmRange::GetPicture() {
    const settingsfiles::SettingsFolders& folders = m_services.settingsFolders;
    const auto path = settingsfiles::readPicturePath(folders);
    if (!path)
        return;
    const auto size = settingsfiles::readPictureSize(folders);
    // A negative side is no size a box can take: the setting stops there.
    if (!size || size->height < 0)
        return;
    Picture1->setHeight(float(size->height));
    if (size->width < 0)
        return;
    Picture1->setWidth(float(size->width));
    placeInTwips(Label2, m_services.metrics, 0, Picture1->Height() - kLabel2Height,
                 Picture1->Width(), kLabel2Height);

    const auto picture = loadPicture(*path);
    if (!picture) {
        m_services.messages.show(QStringLiteral("Unable to select picture.  Please try again."),
                                 QStringLiteral("Error:"), MessageIcon::Critical);
        return;
    }
    // The box shows only as much of a picture as its own size allows: keep no more than that.
    Picture1->setPicture(
        picture->copy(picture->rect().intersected(QRect(QPoint(0, 0), Picture1->size()))));
    Picture1->Refresh();
}

void frmRange::GetCaption() {
    if (const auto caption = settingsfiles::readCaption(m_services.settingsFolders))
        Label2->setText(*caption);
}

void frmRange::SetTimer1Enabled(bool enabled) {
    if (enabled)
        Timer1.start();
    else
        Timer1.stop();
}

void frmRange::Form_MouseDown(std::int16_t Button, std::int16_t, float X, float Y) {
    m_state.score = rules::scoreAfterMiss(m_state.score);
    Label1->setText(rules::scoreText(m_state.score, rules::displayLocale()));
    if (Button == 2) {
        m_services.programEnd.End();
        return;
    }
    MMControl1.setCommand(QStringLiteral("play"));
    MMControl1.setCommand(QStringLiteral("prev"));
    // Only the mark's pixels changed, so only they are repainted.
    repaint(drawMark(m_backing, X, Y));
}

void frmRange::Picture1_MouseDown(std::int16_t Button, std::int16_t, float X, float Y) {
    if (Button == 2) {
        m_services.programEnd.End();
        return;
    }
    MMControl1.setCommand(QStringLiteral("play"));
    MMControl1.setCommand(QStringLiteral("prev"));
    m_state.score = rules::scoreAfterHit(m_state.score);
    Label1->setText(rules::scoreText(m_state.score, rules::displayLocale()));
    const QRect drawn = drawMark(Picture1->marks(), X, Y);
    Picture1->repaint(drawn);
}

QRect frmRange::drawMark(QImage& surface, float X, float Y) {
    const std::int16_t weapon = m_state.weaponType;
    int width = 0;
    int height = 0;
    if (const int sizeImage = rules::offsetImageFor(weapon)) {
        width = ImageList1.ListImages(sizeImage).Picture.Width;
        height = ImageList1.ListImages(sizeImage).Picture.Height;
    }
    const auto at = rules::markPosition(weapon, {X, Y}, width, height);
    return ImageList1.Draw(weapon, surface, at.X, at.Y, ImageList::Transparent);
}

void frmRange::Form_MouseMove(std::int16_t, std::int16_t, float X, float) {
    moveGun(X);
}

void frmRange::Picture1_MouseMove(std::int16_t, std::int16_t, float X, float) {
    moveGun(Picture1->Left() + X);
}

void frmRange::moveGun(float X) {
    // Only the previous launcher differs from the clean copy, so restoring its pixels restores
    // the whole strip.
    const QRect previous = m_gunPixels;
    blockTransfer(Picture2->backing(), previous.topLeft(), Picture3->backing(), previous.topLeft(),
                  previous.size());
    const auto gun = rules::gunDraw(X, m_state.gunHalfWidth);
    m_state.gunHalfWidth = gun.halfWidthUsed;
    m_gunPixels =
        ImageList1.Draw(m_state.gunImage, Picture2->backing(), gun.left, 0, ImageList::Transparent);
    Picture2->repaint(previous.united(m_gunPixels));
    m_state.gunHalfWidth =
        rules::normalGunHalfWidth(ImageList1.ListImages(m_state.gunImage).Picture.Width);
}

void frmRange::Picture1_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == rules::kBackspace) {
        Timer1.stop();
        openSettings();
    }
    if (const auto weapon = rules::weaponForKey(KeyAscii)) {
        m_state.weaponType = weapon->weaponType;
        MMControl1.setCommand(QStringLiteral("close"));
        MMControl1.setFileName(programFile(QString::fromLatin1(weapon->soundFile)));
        MMControl1.setCommand(QStringLiteral("open"));
        m_state.gunImage = weapon->gunImage;
    }
    if (rules::isDeadKey(KeyAscii))
        return;
    const std::int32_t interval = rules::nextInterval(KeyAscii, Timer1.interval());
    Timer1.setInterval(interval);
    Label3->setText(rules::speedText(interval));
    if (KeyAscii == rules::kSpace) {
        Picture1->Refresh();
        m_state.score = 0;
        Label1->setText(rules::scoreText(m_state.score, rules::displayLocale()));
    }
}

void frmRange::openSettings() {
    // A fresh dialog each time, with no owner window; Close starts Timer1 again.
    frmSettings dialog(*this, m_services.messages, m_services.settingsFolders);
    gamescreen::centre(&dialog);
    dialog.Text3->setText(Label2->text());
    dialog.exec();
}

void frmRange::Timer1_Timer() {
    const auto now = QTime::currentTime();
    m_random.seed(std::uint32_t(now.msecsSinceStartOfDay()));
    const float r1 = randomNumber();
    const float r2 = randomNumber();
    const rules::TargetRoom room{m_state.screenWidth, m_state.screenHeight, Picture1->Width(),
                                 Picture1->Height(),  Picture2->Height(),   kFrame1Top,
                                 kFrame1Height};
    const auto place = rules::placeTarget(r1, r2, room);
    Picture1->setLeft(float(place.x));
    Picture1->setTop(float(place.y));
}

float frmRange::randomNumber() {
    // 24 random bits make every float in [0, 1) on a 2^-24 grid equally likely.
    return float(m_random() >> 8) * (1.0f / 16777216.0f);
}

void frmRange::Timer2_Timer() {
    Timer2.setInterval(100);
    const auto step = rules::nextBannerFrame(m_state.bannerFrame);
    m_state.bannerFrame = step.frame;
    if (step.intervalMs != 100)
        Timer2.setInterval(step.intervalMs);
    ImageList2.Draw(m_state.bannerFrame, Picture4->surface(), 0, 0, ImageList::Normal);
    Picture4->update();
}

void frmRange::Picture4_Click() {
    if (!m_services.browser.launch(QString::fromLatin1(kBannerAddress)))
        m_services.messages.show(
            QStringLiteral(
                "An error was encountered while attempting to execute Internet Explorer."),
            QStringLiteral("Error:"), MessageIcon::Critical);
}

void frmRange::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_backing);
}

void frmRange::mousePressEvent(QMouseEvent* event) {
    const auto e = mouseArgs(*event, m_services.metrics);
    Form_MouseDown(e.Button, e.Shift, e.X, e.Y);
}

void frmRange::mouseMoveEvent(QMouseEvent* event) {
    const auto e = mouseArgs(*event, m_services.metrics);
    Form_MouseMove(e.Button, e.Shift, e.X, e.Y);
}

QString frmRange::programFile(const QString& name) const {
    return m_services.programFolder + QLatin1Char('/') + name;
}
