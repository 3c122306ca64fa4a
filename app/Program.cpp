#include "app/Program.h"

#include "playfield/frmRange.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

namespace {

PlayFieldServices makeServices(SoundOutput& sound, MessageBox& messages, ProgramEnd& end,
                               DesktopSource& desktop, BrowserLauncher& browser,
                               const settingsfiles::SettingsFolders& settingsFolders) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return {sound,
            messages,
            end,
            desktop,
            browser,
            QCoreApplication::applicationDirPath(),
            screen ? screen->geometry() : QRect(0, 0, 1024, 768),
            units::primaryScreenMetrics(),
            settingsFolders};
}

bool compositorRunning() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name = "_NET_WM_CM_S0";
    auto atomCookie = xcb_intern_atom(connection, 1, quint16(name.size()), name.constData());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    auto ownerCookie = xcb_get_selection_owner(connection, atom->atom);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return running;
}

} // namespace

int hideDelayMs() {
    return compositorRunning() ? 200 : 60;
}

Program::Program() = default;
Program::~Program() = default;

void Program::start() {
    m_login = std::make_unique<frmLogin>(m_programEnd, units::primaryScreenMetrics());
    m_login->onLoggedIn = [this] { showStartScreen(); };
    m_login->Form_Load();
    m_login->show();
}

void Program::showStartScreen() {
    // The login dialog must be off the screen before the play field grabs the desktop.
    QGuiApplication::sync();
    QTimer::singleShot(hideDelayMs(), qApp, [this] {
        m_login.reset();
        m_start->Form_Load();
        m_start->show();
    });
    // What needs no snapshot is done while the windows beneath repaint.
    m_sound.prepare();
    m_start = std::make_unique<frmStart>(
        makeServices(m_sound, m_messages, m_programEnd, m_desktop, m_browser, m_settingsFolders));
}
