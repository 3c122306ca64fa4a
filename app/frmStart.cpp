#include "app/frmStart.h"

#include "components/MemoryPolicy.h"
#include "components/Placement.h"
#include "components/ProgramEnd.h"
#include "components/WindowRole.h"
#include "playfield/frmRange.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

const QColor kPaleYellow(255, 255, 192);

} // namespace

frmStart::frmStart(const PlayFieldServices& services)
    : QDialog(nullptr, windowrole::fixedDialog()), MMControl1(services.sound),
      m_services(services) {
    const auto& metrics = services.metrics;
    setWindowTitle(QStringLiteral("Deskwreck!"));
    setFixedSize(metrics.toPixelsX(5940), metrics.toPixelsY(6495));
    setColours(this, Qt::black, Qt::white);

    OKButton = new QPushButton(QStringLiteral("Start"), this);
    OKButton->setFont(gameFont(9.75, true));
    OKButton->setDefault(true);
    placeInTwips(OKButton, metrics, 4680, 120, 1215, 375);
    Command1 = new QPushButton(QStringLiteral("Exit"), this);
    Command1->setFont(gameFont(9.75, true));
    placeInTwips(Command1, metrics, 4680, 600, 1215, 375);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    createInstructions();
    for (QLabel* label : findChildren<QLabel*>())
        shrinkToFit(label);
    createPictures(); // after the labels, so the pictures lie in front of them
    OKButton->raise();
    Command1->raise();
    OKButton->setFocus();
    windowrole::frameFixedDialog(this);
}

frmStart::~frmStart() = default;

QLabel* frmStart::addLabel(const QString& text, double left, double top, double width,
                           double height) {
    auto* label = new QLabel(text, this);
    label->setFont(gameFont(9.75, true));
    setColours(label, Qt::black, kPaleYellow);
    placeInTwips(label, m_services.metrics, left, top, width, height);
    return label;
}

void frmStart::createInstructions() {
    Label4 = addLabel(QStringLiteral("DESKWRECK!"), 120, 480, 4410, 405);
    Label4->setFont(gameFont(18, true));
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColours(Label4, Qt::black, QColor(255, 255, 0));
    Label5 = addLabel(QStringLiteral("Deskwreck! can work with ANY .BMP photograph and caption "
                                     "that YOU supply!!"),
                      120, 1080, 4410, 525);
    Label5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label5->setWordWrap(true);

    addLabel(QStringLiteral("- Left-Click to Fire."), 240, 3600, 2010, 285);
    addLabel(QStringLiteral("- 1=Darts"), 240, 3840, 1170, 285);
    addLabel(QStringLiteral("- 2=Kisses"), 240, 4080, 1170, 285);
    addLabel(QStringLiteral("- 3=Shotgun"), 240, 4320, 1290, 285);
    addLabel(QStringLiteral("- 4=Suction Cups"), 240, 4560, 1890, 285);
    addLabel(QStringLiteral("- Right-Click to Exit (QUICKLY)"), 2520, 3600, 3330, 285);
    addLabel(QStringLiteral("- Plus+/Minus-= Adjust Speed"), 2520, 3840, 3210, 285);
    addLabel(QStringLiteral("- <Spacebar>= Restart"), 2520, 4080, 2370, 285);
    addLabel(QStringLiteral("- Backspace = Options"), 2520, 4320, 2370, 285);
}

void frmStart::createPictures() {
    auto addPicture = [this](const QString& resource, double left, double top, double width,
                             double height) {
        auto* box = new QLabel(this);
        box->setPixmap(QPixmap(resource));
        box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColours(box, Qt::black, Qt::white);
        placeInTwips(box, m_services.metrics, left, top, width, height);
        return box;
    };
    Picture2 = addPicture(QStringLiteral(":/start/splash.bmp"), 0, 0, 735, 855);
    Picture3 = addPicture(QStringLiteral(":/start/dart.bmp"), 4440, 1200, 1455, 855);
    Picture1 = addPicture(QStringLiteral(":/start/splash.bmp"), 5040, 2640, 735, 855);
    Picture4 = addPicture(QStringLiteral(":/start/suctiondart.bmp"), 1560, 3960, 855, 495);
}

void frmStart::Form_Load() {
    MMControl1.setFileName(m_services.programFolder + QStringLiteral("/guit.wav"));
    MMControl1.setCommand(QStringLiteral("open"));
    MMControl1.setCommand(QStringLiteral("play"));
    m_range = std::make_unique<frmRange>(m_services);
    m_range->Form_Load();
}

void frmStart::OKButton_Click() {
    m_range->showFullScreen();
    m_range->raise();
    m_range->activateWindow();
    m_range->Picture1->setFocus();
    MMControl1.setCommand(QStringLiteral("close"));
    // The music is closed and the play field's load is done: what both freed goes back.
    memory::returnFreedPages();
}

void frmStart::Command1_Click() {
    m_services.programEnd.End();
}

void frmStart::keyPressEvent(QKeyEvent* event) {
    // Esc does nothing here; Enter still reaches the default button.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void frmStart::closeEvent(QCloseEvent* event) {
    event->accept();
    m_services.programEnd.End();
}
