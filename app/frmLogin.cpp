#include "app/frmLogin.h"

#include "components/Placement.h"
#include "components/ProgramEnd.h"
#include "components/WindowRole.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A label whose access key only moves the focus to its buddy. A plain QLabel also clicks a
// buddy that is a button, and the password label's buddy is OK.
class AccessKeyLabel final : public QLabel {
  public:
    AccessKeyLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

  protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::Shortcut || !buddy())
            return QLabel::event(event);
        buddy()->setFocus(Qt::ShortcutFocusReason);
        window()->setAttribute(Qt::WA_KeyboardFocusChange);
        return true;
    }
};

} // namespace

frmLogin::frmLogin(ProgramEnd& programEnd, const units::ScreenMetrics& metrics)
    : QDialog(nullptr, windowrole::fixedDialog()), m_programEnd(programEnd) {
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(metrics.toPixelsX(3750), metrics.toPixelsY(1545));

    // Created in tab order.
    lblLabels[0] = new AccessKeyLabel(QStringLiteral("&User Name:"), this);
    placeInTwips(lblLabels[0], metrics, 105, 150, 1080, 270);
    txtUserName = new QLineEdit(this);
    placeInTwips(txtUserName, metrics, 1290, 120, 2325, 345);
    txtPassword = new QLineEdit(this);
    showAsterisks(txtPassword);
    placeInTwips(txtPassword, metrics, 1290, 525, 2325, 345);
    lblLabels[1] = new AccessKeyLabel(QStringLiteral("&Password:"), this);
    placeInTwips(lblLabels[1], metrics, 105, 540, 1080, 270);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    placeInTwips(cmdOK, metrics, 495, 1020, 1140, 390);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    placeInTwips(cmdCancel, metrics, 2100, 1020, 1140, 390);

    // An access key moves the focus to the next control after its label in tab order.
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1]->setBuddy(cmdOK);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    txtUserName->setFocus();
    windowrole::frameFixedDialog(this);
}

void frmLogin::Form_Load() {
    Attempts = 1;
}

void frmLogin::cmdOK_Click() {
    LoginSucceeded = true;
    setVisible(false);
    if (onLoggedIn)
        onLoggedIn();
}

void frmLogin::cmdCancel_Click() {
    LoginSucceeded = false;
    setVisible(false);
    m_programEnd.End();
}

void frmLogin::reject() {
    cmdCancel_Click();
}

void frmLogin::closeEvent(QCloseEvent* event) {
    // The close box unloads the only window there is, which ends the program.
    event->accept();
    if (!LoginSucceeded)
        m_programEnd.End();
}
